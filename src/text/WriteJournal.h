// The write journal: the plan of a write that changes a file in place or several files
// together, recorded in the user's state folder before the first change, so that the next
// start can finish what a killed writer left half done.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/FileIo.h"

namespace norra {

// Which process wrote a record: the process id alone can be taken by a later process, so its
// start time (clock ticks since boot) and the boot it ran in tell that process apart.
struct JournalOwner {
  pid_t pid = 0;
  std::uint64_t started = 0;  // 0: not known
  std::string boot;           // empty: not known
  friend bool operator==(const JournalOwner&, const JournalOwner&) = default;
};

// One change of the plan.
struct JournalStep {
  enum class Kind {
    Rename,   // `from` (a finished temporary of `size` bytes) is renamed over `target`
    InPlace,  // `from` (finished, `size` bytes) is copied into `target`, which keeps its inode
    Restore,  // `target` is being written in place; `from` is the backup of its old content,
              // complete once it exists, and `temporary` the new content
    Remove,   // `target` (an old name of a moved file) goes once every file is in place
  };
  Kind kind = Kind::Rename;
  std::string from;
  std::string target;
  std::string temporary;
  std::int64_t size = -1;
  // The target as it was when the plan was made: device and inode always; for Rename and
  // Remove also its size and modification time. `present` false: there was no target.
  bool present = false;
  FileIdentity state;
  friend bool operator==(const JournalStep& a, const JournalStep& b) {
    return a.kind == b.kind && a.from == b.from && a.target == b.target &&
           a.temporary == b.temporary && a.size == b.size && a.present == b.present &&
           a.state == b.state && a.state.size == b.state.size &&
           a.state.modifiedNs == b.state.modifiedNs;
  }
};

struct JournalRecord {
  JournalOwner owner;
  // Folders where the writer makes temporaries: those of a killed writer are removed, whether
  // or not the plan was complete.
  std::vector<std::string> folders;
  std::vector<JournalStep> steps;  // empty while the temporaries are still being written
  friend bool operator==(const JournalRecord&, const JournalRecord&) = default;
};

// The record as text: one line per item, names escaped, a checksum on the last line.
std::string FormatJournalRecord(const JournalRecord& record);
// The record back from its text; nothing when the text is cut short, altered or not a record.
std::optional<JournalRecord> ParseJournalRecord(std::string_view text);

// This process as a record names it.
const JournalOwner& CurrentJournalOwner();
// The running process with that id as a record would name it.
JournalOwner JournalOwnerOf(pid_t pid);
// Whether the process a record names still runs (the same process, not a later one that took
// its id).
bool JournalOwnerRuns(const JournalOwner& owner);

// Where records go: $XDG_STATE_HOME/norra, else ~/.local/state/norra; ends in "/". Made (0700)
// when `make`; empty when there is none.
std::string JournalFolder(bool make);

// The live record of one operation. It is written atomically and flushed with its folder, and
// kept locked while this process works, so another process never takes it for a killed one's.
class WriteJournal {
 public:
  WriteJournal() = default;
  ~WriteJournal() { End(); }
  WriteJournal(const WriteJournal&) = delete;
  WriteJournal& operator=(const WriteJournal&) = delete;

  // Writes the record (the owner is filled in), or replaces the one written before.
  FileError Record(JournalRecord record);
  // The operation is over: the record goes.
  void End();
  bool Active() const { return lock_ >= 0; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int lock_ = -1;  // the open record, locked
};

// What the start of a program did about the record of a writer that was killed.
struct JournalFinding {
  enum class Kind {
    RolledBack,     // `file` was being written in place: it holds its old content again
    RolledForward,  // `file` was put in place from its finished temporary
    LeftAlone,      // `file` changed after the plan was made: its new content was dropped
    NotRestored,    // `file` could not be given its old content back; `detail` holds it
    NotFinished,    // `file` could not be put in place (`detail`: why)
    Unreadable,     // `file` is a record that could not be read; it was set aside
  };
  Kind kind = Kind::RolledBack;
  std::string file;
  std::string detail;
};

// Finishes every record whose writer no longer runs: an in-place write is rolled back from its
// backup, renames whose temporaries are complete are rolled forward (then the old names of
// moved files go), and every temporary and backup of the record is removed with it. Records of
// running writers are left alone. Never throws.
std::vector<JournalFinding> FinishInterruptedWrites();

// The findings for the user, one paragraph each; empty when there are none.
std::string JournalFindingsText(const std::vector<JournalFinding>& findings);

}  // namespace norra

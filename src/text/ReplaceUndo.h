// Taking a disk replace back from its journal: every file that still holds what the replace
// wrote gets its old content again, each in one atomic write; a file changed since is left as
// it is and named. Running it again after an interruption finishes the job, as files already
// given back count as given back.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "text/FileIo.h"

namespace norra {

struct ReplaceUndoResult {
  bool journalRead = false;  // false: the journal could not be read (nothing was done)
  int restored = 0;          // files that hold their old content now (also those that did)
  std::vector<std::string> leftChanged;  // files changed since the replace: left as they are
  // Files that could not be given back, with the reason.
  std::vector<std::pair<std::string, std::string>> failed;
  bool Complete() const { return journalRead && leftChanged.empty() && failed.empty(); }
};

// Undoes the replace the journal at `path` records; marks the journal undone when every file
// was given back.
ReplaceUndoResult UndoDiskReplace(const std::string& path);

// The journal an undo without a name takes: the newest one not undone yet; empty when none.
std::string LatestUndoableJournal(const std::string& folder = {});

}  // namespace norra

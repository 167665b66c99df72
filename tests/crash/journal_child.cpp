// Kills the writes that go through the write journal at random moments, then starts again as the
// editor does (finishing what the killed writer left) and checks the disk:
//   inplace  the editor's save of a file with a second hard link, written in place: both names
//            must hold the old or the new bytes
//   swap     save-as-all swapping f00 and f01 with the old files not kept: both texts must
//            exist on disk, each file old or new (swap-linked: both files hard-linked)
// Every time, no temporary, backup or journal record may be left afterwards. The journal and the
// cache folder live in the data's own folder, so the test never touches the user's.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/FileListDialogPort.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "groups/FileListDialog.h"
#include "groups/FileListDialogContext.h"
#include "groups/SaveAsAll.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "settings/Settings.h"
#include "text/WriteJournal.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::string_view kMarker = "\x95\xd2\x8f\x57\x8d\xcf\x82\xdd\r\n";  // 編集済み

class HeadlessHost : public norra::DocumentsHost {
 public:
  std::unique_ptr<norra::TextControl> CreateTextControl() override {
    return std::make_unique<norra::MemoryTextControl>();
  }
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string bytes(in ? static_cast<std::size_t>(in.tellg()) : 0, '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// Truncates and rewrites: the file keeps its inode and so its other names.
void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The editor's logic without windows, on the files of one folder.
struct Editor {
  explicit Editor(const fs::path& folder)
      : settings(Tags(), (folder / "unused.ini").string(), folder.string(),
                 norra::ScreenSize{1920, 1080}),
        log(ui),
        docs(settings, log, ui, host) {
    settings.File.MaxLength = INT_MAX;
  }
  static norra::TagTable& Tags() {
    static norra::TagTable tags;
    static const bool built = tags.Build();
    (void)built;
    return tags;
  }
  norra::MemoryUi ui;
  norra::Settings settings;
  norra::UndoLog log;
  HeadlessHost host;
  norra::Documents docs;
};

// The child's work: `prepare` opens what it writes and returns the write, which starts when
// the parent has been told.
using Work = std::function<std::function<bool()>(Editor&)>;

[[noreturn]] void RunWork(const fs::path& folder, const Work& work, int signalFd) {
  int status = 3;
  {
    Editor editor(folder);
    if (const std::function<bool()> write = work(editor)) {
      const char ready = 'r';
      if (::write(signalFd, &ready, 1) == 1) {
        status = write() ? 0 : 4;
        const char done = 'd';
        if (::write(signalFd, &done, 1) != 1) status = 5;
      }
    }
  }
  ::_exit(status);  // no exit handlers: the parent's state is not the child's to tear down
}

struct Run {
  bool ready = false;
  int status = -1;  // the exit status, -1 when killed
  double seconds = 0;
};

// One writer; killed `delay` seconds after its write began unless `delay` is negative.
Run RunChild(const fs::path& folder, const Work& work, double delay) {
  Run run;
  int fds[2];
  if (::pipe(fds) != 0) return run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    RunWork(folder, work, fds[1]);
  }
  ::close(fds[1]);
  char signal = 0;
  run.ready = pid > 0 && ::read(fds[0], &signal, 1) == 1;
  const Clock::time_point start = Clock::now();
  if (run.ready && delay >= 0) {
    std::this_thread::sleep_for(std::chrono::duration<double>(delay));
    ::kill(pid, SIGKILL);
  } else if (run.ready && ::read(fds[0], &signal, 1) == 1) {
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  }
  ::close(fds[0]);
  if (pid < 0) return run;
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return run;
}

// What the next start did: a set of bits, 1 rolled back, 2 rolled forward, 4 anything else.
int StartAgain() {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int seen = 0;
    for (const norra::JournalFinding& f : norra::FinishInterruptedWrites()) {
      using K = norra::JournalFinding::Kind;
      seen |= f.kind == K::RolledBack ? 1 : f.kind == K::RolledForward ? 2 : 4;
      if (f.kind != K::RolledBack && f.kind != K::RolledForward)
        std::fprintf(stderr, "start: %s\n", norra::JournalFindingsText({f}).c_str());
    }
    ::_exit(seen);
  }
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 8;
}

// Names left in the folder besides `expected` (the cache and state folders are looked into).
std::vector<std::string> Leftovers(const fs::path& folder, const std::vector<std::string>& expected) {
  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(entry.path(), folder).string();
    if (entry.is_directory() &&
        (relative == "cache" || relative == "cache/norra" || relative == "state" ||
         relative == "state/norra"))
      continue;
    if (relative != "unused.ini" &&
        std::find(expected.begin(), expected.end(), relative) == expected.end())
      left.push_back(relative);
  }
  return left;
}

struct Scenario {
  const char* name;
  fs::path folder;
  Work work;
  std::vector<std::string> files;  // the names the folder should hold
  // Puts the old content back before each kill.
  std::function<void()> restore;
  // Checks the files after the next start; empty when they are right, else what is wrong.
  std::function<std::string()> check;
};

int Kill(const Scenario& s, int kills, unsigned long long seed) {
  int failures = 0;
  auto fail = [&failures, &s](const std::string& what) {
    ++failures;
    std::fprintf(stderr, "FAIL: %s: %s\n", s.name, what.c_str());
  };
  s.restore();
  const Run measured = RunChild(s.folder, s.work, -1);
  if (!measured.ready || measured.status != 0) {
    fail("the undisturbed write ended with status " + std::to_string(measured.status));
    return 1;
  }
  if (const std::string wrong = s.check(); !wrong.empty()) fail("undisturbed: " + wrong);
  std::printf("%s: one write %.3f s, seed %llu\n", s.name, measured.seconds, seed);

  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> moment(0.0, measured.seconds);
  int early = 0, back = 0, forward = 0;
  for (int k = 0; k < kills; ++k) {
    s.restore();
    const double delay = moment(random);
    const Run run = RunChild(s.folder, s.work, delay);
    if (!run.ready) {
      fail("the writer did not reach its write");
      continue;
    }
    if (run.status >= 0) ++early;
    const int seen = StartAgain();
    if (seen & 1) ++back;
    if (seen & 2) ++forward;
    const std::string at = "kill " + std::to_string(k) + " after " + std::to_string(delay) + " s";
    if (seen & ~3) fail(at + ": the start reported more than a roll back or forward (" +
                        std::to_string(seen) + ")");
    if (const std::string wrong = s.check(); !wrong.empty()) fail(at + ": " + wrong);
    if (const auto left = Leftovers(s.folder, s.files); !left.empty()) {
      fail(at + ": left behind: " + left.front() +
           (left.size() > 1 ? " and " + std::to_string(left.size() - 1) + " more" : ""));
      for (const std::string& name : left) fs::remove_all(s.folder / name);
    }
  }
  std::printf("%s: %d kills: finished before the kill %d, rolled back %d, rolled forward %d, "
              "failures %d\n",
              s.name, kills, early, back, forward, failures);
  return failures == 0 ? 0 : 1;
}

Scenario InPlace(const fs::path& file) {
  const fs::path folder = file.parent_path();
  const fs::path link = file.string() + ".link";
  const std::string oldBytes = ReadBytes(file);
  const std::string newBytes = std::string(kMarker) + oldBytes;
  fs::remove(link);
  fs::create_hard_link(file, link);
  Scenario s;
  s.name = "in-place";
  s.folder = folder;
  s.files = {file.filename().string(), link.filename().string()};
  s.work = [file](Editor& editor) -> std::function<bool()> {
    if (editor.docs.OpenPage(file.string(), false) != 1) return nullptr;
    norra::Page& page = *editor.docs.ActivePage();
    page.Control().SetSelection(0, 0);
    if (!page.Control().ReplaceSelection(kMarker)) return nullptr;
    return [&editor, &page] { return editor.docs.SavePage(page) == norra::SaveOk; };
  };
  s.restore = [file, oldBytes] { WriteBytes(file, oldBytes); };
  s.check = [file, link, oldBytes, newBytes]() -> std::string {
    const std::string bytes = ReadBytes(file);
    if (fs::hard_link_count(file) != 2 || !fs::equivalent(file, link))
      return "the two names are no longer one file";
    if (bytes != oldBytes && bytes != newBytes)
      return std::to_string(bytes.size()) + " bytes that are neither the old nor the new file";
    return {};
  };
  return s;
}

// With `linked`, both files have a second name and are written in place, which makes the time
// between the first file's new text and the second's long.
Scenario Swap(const fs::path& folder, bool linked) {
  const fs::path f00 = folder / "f00", f01 = folder / "f01";
  const std::string textA = ReadBytes(f00), textB = ReadBytes(f01);
  Scenario s;
  s.name = linked ? "swap of hard-linked files" : "swap";
  s.folder = folder;
  s.files = {"f00", "f01"};
  if (linked) {
    for (const fs::path& file : {f00, f01}) fs::create_hard_link(file, file.string() + ".link");
    s.files = {"f00", "f00.link", "f01", "f01.link"};
  }
  s.work = [f00, f01](Editor& editor) -> std::function<bool()> {
    if (editor.docs.OpenPage(f00.string(), false) != 1 ||
        editor.docs.OpenPage(f01.string(), false) != 1)
      return nullptr;
    auto dialog = std::make_shared<norra::FileListDialog>(
        norra::FileListDialogContext{editor.docs, editor.settings, editor.log, editor.ui,
                                     editor.host, nullptr, {}, {}},
        norra::ListDialogMode::SaveAsAll);
    for (std::size_t row = 0; row < dialog->Rows().size(); ++row) {
      const norra::Page* page = dialog->Rows()[row].page;
      dialog->SetRowPath(row, (page->FilePath() == f00.string() ? f01 : f00).string());
    }
    dialog->Showing();
    dialog->SaveAs()->SetKeepOldFiles(false);  // "元を残す" off
    return [dialog] {
      dialog->Click(norra::FileListControl::cmdWithout);
      return dialog->Closed();
    };
  };
  s.restore = [f00, f01, textA, textB] {
    WriteBytes(f00, textA);
    WriteBytes(f01, textB);
  };
  s.check = [f00, f01, textA, textB, linked]() -> std::string {
    if (linked) {
      for (const fs::path& file : {f00, f01}) {
        if (fs::hard_link_count(file) != 2 || !fs::equivalent(file, file.string() + ".link"))
          return file.filename().string() + " and its second name are no longer one file";
      }
    }
    const std::string a = ReadBytes(f00), b = ReadBytes(f01);
    if ((a == textA && b == textB) || (a == textB && b == textA)) return {};
    if (a == b) return "both files hold one text: the other is lost";
    return "f00 (" + std::to_string(a.size()) + " bytes) or f01 (" + std::to_string(b.size()) +
           " bytes) holds neither text";
  };
  return s;
}

// Lines of printable ASCII and double-byte characters, CR LF ended, from the seed.
std::string MakeText(std::size_t size, unsigned long long seed) {
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int> pick(0, 9), letter('a', 'z'), lead(0x88, 0x9F), trail(0x40, 0x7E);
  std::string text;
  text.reserve(size + 256);
  while (text.size() < size) {
    for (int i = 0; i < 40; ++i) {
      if (pick(random) < 6) {
        text += static_cast<char>(letter(random));
      } else {
        text += static_cast<char>(lead(random));
        text += static_cast<char>(trail(random));
      }
    }
    text += "\r\n";
  }
  return text;
}

// A folder of its own for the data: NORRA_CRASH_DIR, else /dev/shm when it has room (a kill
// leaves the page cache as it was, so memory tests the same thing), else TMPDIR or /tmp.
fs::path DataFolder(std::size_t bytes) {
  fs::path base;
  if (const char* dir = std::getenv("NORRA_CRASH_DIR"); dir != nullptr && dir[0] != '\0') {
    base = dir;
  } else {
    std::error_code error;
    const fs::space_info shm = fs::space("/dev/shm", error);
    if (!error && shm.available > 5 * bytes + (std::size_t{64} << 20) && ::access("/dev/shm", W_OK) == 0) {
      base = "/dev/shm";
    } else {
      const char* tmp = std::getenv("TMPDIR");
      base = tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp";
    }
  }
  std::string pattern = (base / "norra-journal.XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr,
                 "Usage: journal_child inplace|swap|swap-linked MEGABYTES KILLS [SEED]\n"
                 "  inplace:     the editor's save of a hard-linked file of MEGABYTES, in place\n"
                 "  swap:        save-as-all swapping two files of MEGABYTES each, old files not kept\n"
                 "  swap-linked: the same with both files hard-linked (written in place)\n"
                 "NORRA_CRASH_DIR: where the data goes; NORRA_CRASH_SEED: the seed when none is given.\n");
    return 2;
  }
  const std::string mode = argv[1];
  const std::size_t bytes = static_cast<std::size_t>(std::strtod(argv[2], nullptr) * 1048576);
  const int kills = std::atoi(argv[3]);
  const char* seedText = argc == 5 ? argv[4] : std::getenv("NORRA_CRASH_SEED");
  const unsigned long long seed =
      seedText != nullptr && seedText[0] != '\0' ? std::strtoull(seedText, nullptr, 10)
                                                 : std::random_device{}();
  const bool linked = mode == "swap-linked";
  if (mode != "inplace" && mode != "swap" && !linked) return 2;
  const fs::path folder = DataFolder(mode == "inplace" ? bytes : 2 * bytes);
  if (folder.empty()) {
    std::fprintf(stderr, "FAIL: no folder for the data\n");
    return 2;
  }
  std::printf("%s: %.1f MB, %d kills, in %s, seed %llu\n", mode.c_str(), bytes / 1048576.0, kills,
              folder.c_str(), seed);
  std::fflush(stdout);
  ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
  int result = 2;
  if (mode == "inplace") {
    WriteBytes(folder / "big.txt", MakeText(bytes, seed));
    result = Kill(InPlace(folder / "big.txt"), kills, seed);
  } else {
    WriteBytes(folder / "f00", MakeText(bytes, seed));
    WriteBytes(folder / "f01", MakeText(bytes, seed + 1));
    result = Kill(Swap(folder, linked), kills, seed);
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return result;
}

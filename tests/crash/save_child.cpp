// Kills the editor's save of a large Page at random moments: a forked child opens the file as a
// Page, edits it and saves it through the documents layer; the parent kills it with SIGKILL and
// checks that the file holds its old or its new bytes, and that the next save leaves no
// temporary file behind.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "settings/Settings.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Typed at the start of the text, so that every byte of the file moves.
constexpr std::string_view kMarker = "\x95\xd2\x8f\x57\x8d\xcf\x82\xdd\r\n";  // 編集済み

class HeadlessHost : public norra::DocumentsHost {
 public:
  std::unique_ptr<norra::TextControl> CreateTextControl() override {
    return std::make_unique<norra::MemoryTextControl>();
  }
};

// In one block: a byte-by-byte read of hundreds of megabytes is slow in a sanitizer build.
std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string bytes(in ? static_cast<std::size_t>(in.tellg()) : 0, '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The child: open, edit, tell the parent the save starts, save. Never returns.
[[noreturn]] void SaveInChild(const std::string& path, int readyFd) {
  int status = 3;
  {
    norra::MemoryUi ui;
    norra::TagTable tags;
    tags.Build();
    const std::string folder = fs::path(path).parent_path().string();
    norra::Settings settings(tags, folder + "/unused.ini", folder, norra::ScreenSize{1920, 1080});
    settings.File.MaxLength = INT_MAX;
    norra::UndoLog log(ui);
    HeadlessHost host;
    norra::Documents docs(settings, log, ui, host);
    if (docs.OpenPage(path, false) == 1) {
      norra::Page& page = *docs.ActivePage();
      page.Control().SetSelection(0, 0);
      if (page.Control().ReplaceSelection(kMarker)) {
        const char ready = 'r';
        if (::write(readyFd, &ready, 1) == 1) {
          status = docs.SavePage(page) == norra::SaveOk ? 0 : 4;
          const char done = 'd';
          if (::write(readyFd, &done, 1) != 1) status = 5;
        }
      }
    }
  }
  ::_exit(status);  // no exit handlers: the parent's state is not the child's to tear down
}

struct Run {
  bool ready = false;     // the child reached its save
  bool finished = false;  // it ended by itself, with this status
  int status = 0;
  double saveSeconds = 0;  // from the start of the save to its end, when not killed
};

// One child; killed after delay from the start of its save unless delay is negative.
Run RunChild(const std::string& path, double delay) {
  Run run;
  int fds[2];
  if (::pipe(fds) != 0) return run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    SaveInChild(path, fds[1]);
  }
  ::close(fds[1]);
  char signal = 0;
  run.ready = pid > 0 && ::read(fds[0], &signal, 1) == 1;
  const Clock::time_point start = Clock::now();
  if (run.ready && delay >= 0) {
    std::this_thread::sleep_for(std::chrono::duration<double>(delay));
    ::kill(pid, SIGKILL);
  } else if (run.ready && ::read(fds[0], &signal, 1) == 1) {
    run.saveSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  }
  ::close(fds[0]);
  if (pid < 0) return run;
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  run.finished = WIFEXITED(wstatus);
  run.status = run.finished ? WEXITSTATUS(wstatus) : -1;
  return run;
}

bool HasTemporaries(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 1 && name[0] == '.' && name.find(".norra-") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "Usage: save_child FILE KILLS SEED\n");
    return 2;
  }
  const std::string path = fs::absolute(argv[1]).string();
  const int kills = std::atoi(argv[2]);
  const unsigned long long seed = std::strtoull(argv[3], nullptr, 10);
  const bool allowTemporaries = std::getenv("NORRA_CRASH_ALLOW_TEMPORARIES") != nullptr;
  const fs::path folder = fs::path(path).parent_path();
  const std::string oldBytes = ReadBytes(path);
  const std::string newBytes = std::string(kMarker) + oldBytes;

  int failures = 0;
  auto fail = [&failures](const std::string& what) {
    ++failures;
    std::fprintf(stderr, "FAIL: save: %s\n", what.c_str());
  };

  // One undisturbed save measures how long the write takes and shows the bytes it makes.
  const Run measured = RunChild(path, -1);
  if (!measured.ready || measured.status != 0) {
    std::fprintf(stderr, "FAIL: save: the undisturbed save ended with status %d\n",
                 measured.status);
    return 1;
  }
  if (ReadBytes(path) != newBytes) {
    std::fprintf(stderr, "FAIL: save: the undisturbed save did not write the edited text\n");
    return 1;
  }
  std::printf("save: %zu bytes, one save %.3f s, seed %llu\n", oldBytes.size(),
              measured.saveSeconds, seed);

  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> moment(0.0, measured.saveSeconds);
  int olds = 0, news = 0, early = 0, leftovers = 0;
  for (int k = 0; k < kills; ++k) {
    WriteBytes(path, oldBytes);
    const double delay = moment(random);
    const Run run = RunChild(path, delay);
    if (!run.ready) {
      fail("the child did not reach its save");
      continue;
    }
    if (run.finished) ++early;
    const std::string bytes = ReadBytes(path);
    if (bytes == oldBytes)
      ++olds;
    else if (bytes == newBytes)
      ++news;
    else
      fail("kill " + std::to_string(k) + " after " + std::to_string(delay) + " s left " +
           std::to_string(bytes.size()) + " bytes that are neither the old nor the new file");

    // The next save must succeed and leave no temporary of the killed one.
    const Run next = RunChild(path, -1);
    if (next.status != 0 || ReadBytes(path) != std::string(kMarker) + bytes)
      fail("the save after kill " + std::to_string(k) + " ended with status " +
           std::to_string(next.status) + " and " + std::to_string(ReadBytes(path).size()) +
           " bytes");
    if (HasTemporaries(folder)) {
      ++leftovers;
      if (!allowTemporaries)
        fail("a temporary file remains after the save that followed kill " + std::to_string(k) +
             " (delay " + std::to_string(delay) + " s)");
      for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".norra-") != std::string::npos)
          fs::remove(entry.path());
    }
  }
  WriteBytes(path, oldBytes);
  std::printf(
      "save: %d kills: old %d, new %d (finished before the kill %d), temporaries left %d, failures "
      "%d\n",
      kills, olds, news, early, leftovers, failures);
  return failures == 0 ? 0 : 1;
}

// The list of every hit over a folder: how soon the first hits are there, how long the whole
// list takes on one worker and on all, and whether the editor stays responsive meanwhile.
//
//   gui_hitlist FOLDER FIND [MASKS]   lists FIND (UTF-8) in FOLDER and its sub-folders
//   gui_hitlist --many N              lists N hits made up in a temporary tree (100 files)
//
// Prints, for the logic alone with one worker and with one per processor: the time to the
// first hits taken and to the whole list; then through the real find window and results
// window: the time until the first hit rows are in the window, until the list is complete,
// the longest the event loop was kept waiting meanwhile, and the time to go to the last hit.
// Runs on whatever Qt platform is set (QT_QPA_PLATFORM=offscreen works without a display).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/HelpPort.h"
#include "app/MainWindow.h"
#include "engine/TagTable.h"
#include "findreplace/FindReplaceWindow.h"
#include "findreplace/FolderEnumerator.h"
#include "findreplace/HitList.h"
#include "findreplace/HitListRun.h"
#include "gui/FindWindowBridge.h"
#include "gui/HitListWindow.h"
#include "gui/NorraApp.h"
#include "platform/MemoryClipboard.h"
#include "platform/MemoryUi.h"
#include "platform/SystemClock.h"
#include "text/Encoding.h"
#include "text/FileMask.h"

using namespace norra;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

class NoHelp : public HelpPort {
 public:
  bool ShowContents(const std::string&) override { return true; }
  bool SearchKeyword(const std::string&, const std::string&) override { return true; }
};

// The logic alone: enumeration, then the pool, polled as the window's timer does but without
// waiting between looks.
void LogicRun(const std::string& folder, const std::string& find, const std::string& masks,
              unsigned workers) {
  TagTable tags;
  tags.Build();
  const Clock::time_point start = Clock::now();
  std::vector<std::string> files =
      EnumerateFolderFiles(folder, BuildFileMaskList(Utf8ToCp932(masks)), true);
  const Clock::time_point listed = Clock::now();
  std::vector<HitSource> sources(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) sources[i].path = std::move(files[i]);
  HitListRun::Pattern pattern;
  pattern.findText = Utf8ToCp932(find);
  pattern.symbols = tags.BuiltInSymbols();
  HitListRun run(std::move(sources), pattern, workers, folder);
  if (!run.Compile(SystemClock::Instance())) {
    std::fprintf(stderr, "gui_hitlist: the pattern does not compile\n");
    return;
  }
  run.Start();
  HitList list;
  double first = -1;
  for (;;) {
    const bool finished = run.Progress().finished;
    HitBatch batch;
    if (run.TakeBatch(batch)) {
      list.Append(std::move(batch));
      if (first < 0 && list.HitCount() > 0) first = Ms(Clock::now() - start);
    }
    if (finished) break;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  const double total = Ms(Clock::now() - start);
  std::printf("logic, %u worker%s: %zu files (listed in %.1f ms), %zu hits; first hits %.1f ms, "
              "whole list %.1f ms\n",
              run.Workers(), run.Workers() == 1 ? " " : "s", run.FileCount(),
              Ms(listed - start), list.HitCount(), first, total);
}

int WindowRun(const std::string& folder, const std::string& find, const std::string& masks) {
  QTemporaryDir home;
  const QDir root(home.path());
  for (const char* sub : {"config", "help", "files"}) root.mkpath(QString::fromLatin1(sub));
  std::ofstream(root.filePath(QStringLiteral("config/Norra.ini")).toStdString(), std::ios::binary)
      << "[Norra]\r\nIniVersion=3500\r\n";
  StartupOptions options;
  options.workingFolder = root.filePath(QStringLiteral("files")).toStdString();
  options.settingsFolder = root.filePath(QStringLiteral("config")).toStdString() + "/";
  options.helpFolder = root.filePath(QStringLiteral("help")).toStdString() + "/";
  MemoryUi ui;
  MemoryClipboard clipboard;
  NoHelp help;
  auto app = std::make_unique<NorraApp>(std::move(options),
                                        NorraApp::Overrides{&ui, &clipboard, nullptr, &help});
  if (!app->Start()) return 2;
  QCoreApplication::processEvents();
  if (app->FindWindow().Logic() == nullptr && !app->FindWindow().Create()) return 2;
  app->FindWindow().Open(kFindRequestFind);
  QCoreApplication::processEvents();
  FindReplaceWindow* window = app->FindWindow().Logic();
  window->ChooseRange(FindRange::Directory);
  window->SetFolderText(folder);
  window->SetMaskText(masks);
  window->Box(FindBox::Find).ResetText(Utf8ToCp932(find));

  // Twice: the first run makes the results window, the second finds it made.
  for (const char* which : {"first list", "next list "}) {
    const Clock::time_point start = Clock::now();
    window->ListHits();
    const double shown = Ms(Clock::now() - start);
    HitListWindow* list = app->FindWindow().HitWindow();
    if (list == nullptr) return 2;
    auto* tree = list->findChild<QTreeView*>(QStringLiteral("tvwHits"));
    double first = -1;
    double longest = 0;
    Clock::time_point last = Clock::now();
    while (list->Running()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      const Clock::time_point now = Clock::now();
      longest = std::max(longest, Ms(now - last));
      last = now;
      if (first < 0 && tree->model()->rowCount() > 0) first = Ms(now - start);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double total = Ms(Clock::now() - start);
    if (first < 0 && tree->model()->rowCount() > 0) first = total;
    // Going to the end of a long list.
    const Clock::time_point jump = Clock::now();
    tree->scrollToBottom();
    QCoreApplication::processEvents();
    const double toEnd = Ms(Clock::now() - jump);
    std::printf("window, %s: %zu hits; results window up %.1f ms, first rows %.1f ms, whole list %.1f ms, longest wait of the "
                "event loop %.1f ms, to the end %.1f ms\n",
                which, list->List().HitCount(), shown, first, total, longest, toEnd);
  }
  std::fflush(stdout);
  // Made here rather than by the main window's command, it is put away here too.
  app->FindWindow().Destroy();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  std::string folder;
  std::string find;
  std::string masks;
  QTemporaryDir made;
  if (argc >= 3 && std::string(argv[1]) == "--many") {
    // 100 files of equal share, one hit a line.
    const long hits = std::max(100L, std::atol(argv[2]));
    folder = made.path().toStdString() + "/";
    for (int f = 0; f < 100; ++f) {
      std::ofstream out(folder + "f" + std::to_string(f) + ".txt", std::ios::binary);
      for (long line = 0; line < hits / 100; ++line) out << "line " << line << " with a hit in it\r\n";
    }
    find = "hit";
  } else if (argc >= 3) {
    folder = argv[1];
    if (folder.back() != '/') folder += '/';
    find = argv[2];
    masks = argc >= 4 ? argv[3] : "";
  } else {
    std::fprintf(stderr, "usage: gui_hitlist FOLDER FIND [MASKS] | --many N\n");
    return 2;
  }
  // Each twice, the first run warming the file cache and the allocator.
  for (unsigned workers : {1u, 0u, 1u, 0u}) LogicRun(folder, find, masks, workers);
  return WindowRun(folder, find, masks);
}

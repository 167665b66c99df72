// Many small Pages in the real main window: the time and memory of opening them at once (as a
// group or a command line of many files does), and of a replace all over the notebook and its
// undo with that many Pages.
//
//   gui_pages N    N files of about 40 bytes opened at start; prints the CPU time of opening,
//                  the memory each Page costs, then the time of a replace all over the notebook
//                  and of its undo (one process for each N: run it once per count)
//
// Runs on whatever Qt platform is set (QT_QPA_PLATFORM=offscreen works without a display).
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "ProcessMemory.h"
#include "app/HelpPort.h"
#include "app/MainWindow.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "findreplace/FindReplaceWindow.h"
#include "platform/TextControl.h"
#include "gui/FindWindowBridge.h"
#include "gui/MainWindowView.h"
#include "gui/NorraApp.h"
#include "platform/MemoryClipboard.h"
#include "platform/MemoryUi.h"

using namespace norra;
using norra::bench::CurrentKb;

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class NoHelp : public HelpPort {
 public:
  bool ShowContents(const std::string&) override { return true; }
  bool SearchKeyword(const std::string&, const std::string&) override { return true; }
};

void Settle() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

int Run(int count) {
  QTemporaryDir folder;
  if (!folder.isValid()) return 2;
  const QDir root(folder.path());
  for (const char* sub : {"config", "help", "files"}) root.mkpath(QString::fromLatin1(sub));
  {
    std::ofstream ini(root.filePath(QStringLiteral("config/Norra.ini")).toStdString(),
                      std::ios::binary);
    ini << "[Norra]\r\nIniVersion=3500\r\n";
  }
  StartupOptions options;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%05d.txt", i);
    const std::string path = root.filePath(QStringLiteral("files/")).toStdString() + name;
    std::ofstream(path, std::ios::binary) << "The quick brown fox jumps " << name << "\r\n";
    options.args.push_back(path);
  }
  options.workingFolder = root.filePath(QStringLiteral("files")).toStdString();
  options.settingsFolder = root.filePath(QStringLiteral("config")).toStdString() + "/";
  options.helpFolder = root.filePath(QStringLiteral("help")).toStdString() + "/";

  MemoryUi ui;
  MemoryClipboard clipboard;
  NoHelp help;
  const long baseKb = CurrentKb();
  auto app = std::make_unique<NorraApp>(std::move(options),
                                        NorraApp::Overrides{&ui, &clipboard, nullptr, &help});
  const double startCpu = CpuSeconds();
  if (!app->Start()) return 2;
  Settle();
  const double openCpu = CpuSeconds() - startCpu;
  const long openKb = CurrentKb() - baseKb;
  const std::size_t opened = app->Logic().Docs().List().Count();
  if (opened != static_cast<std::size_t>(count)) {
    std::fprintf(stderr, "gui_pages: %zu of %d files opened\n", opened, count);
    return 2;
  }

  // Replace all over the notebook through the find window's logic, then its undo.
  if (app->FindWindow().Logic() == nullptr && !app->FindWindow().Create()) return 2;
  app->FindWindow().Open(kFindRequestReplace);
  Settle();
  FindReplaceWindow* find = app->FindWindow().Logic();
  if (find == nullptr) return 2;
  find->ChooseRange(FindRange::AllNote);
  find->Box(FindBox::Find).ResetText("fox");
  find->Box(FindBox::Replace).ResetText("vixen");
  double cpu = CpuSeconds();
  find->ReplaceAll();
  Settle();
  const double replaceCpu = CpuSeconds() - cpu;
  auto replaced = [&app] {
    std::size_t pages = 0;
    for (const PageListEntry& entry : app->Logic().Docs().List().Entries())
      pages += entry.page->Control().Text().find("vixen") != std::string::npos ? 1 : 0;
    return pages;
  };
  if (replaced() != opened) {
    std::fprintf(stderr, "gui_pages: replace all changed %zu of %zu Pages\n", replaced(), opened);
    return 2;
  }
  cpu = CpuSeconds();
  app->Logic().Log().UndoLast();
  Settle();
  const double undoCpu = CpuSeconds() - cpu;
  if (replaced() != 0) {
    std::fprintf(stderr, "gui_pages: undo left %zu Pages replaced\n", replaced());
    return 2;
  }

  std::printf("%6d Pages: open %7.2f s CPU, %6.1f KB a Page; replace all %6.3f s, undo %6.3f s\n",
              count, openCpu, static_cast<double>(openKb) / count, replaceCpu, undoCpu);
  std::fflush(stdout);
  app->View().SetLogic(nullptr);
  app.reset();
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  const int count = argc == 2 ? std::atoi(argv[1]) : 0;
  if (count <= 0) {
    std::fprintf(stderr, "usage: gui_pages N\n");
    return 2;
  }
  QApplication app(argc, argv);
  return Run(count);
}

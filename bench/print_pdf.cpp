// Prints the 2 MB corpus and then 20 files of 100 KB into PDF files through the Qt printer,
// with the default header and footer, and reports time and sheets per second. A plain Qt
// program: one run of each is minutes of work for a slow printer path, seconds for a good one.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gui/NorraApp.h"
#include "gui/QtPrinterDevice.h"
#include "platform/FixedClock.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "printing/PrintJob.h"
#include "Prose.h"

using namespace norra;

namespace {

void Run(const char* what, const QString& pdf, const std::vector<std::size_t>& sizes) {
  std::vector<std::unique_ptr<MemoryTextControl>> controls;
  std::vector<PrintSource> sources;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    controls.push_back(
        std::make_unique<MemoryTextControl>(bench::PrintProse(sizes[i], 42 + static_cast<unsigned>(i))));
    const std::string name = "file" + std::to_string(i + 1) + ".txt";
    sources.push_back({controls.back().get(), name, "/bench/" + name});
  }
  QtPrinterDevice device;
  device.SetPdfPath(pdf.toStdString());
  MemoryUi ui;
  FixedClock clock;
  PrintJob job(device, ui, clock);
  job.Parameters().headLine = "ﾌｧｲﾙ名:[pathname] ([pageindex_file[1]]/[pagecount_file[0]]ﾍﾟｰｼﾞ)";
  job.Parameters().footLine = "日付:[now[yyyy/mm/dd]] 第[copyindex[1]]部 編集者:[username]";
  job.SetSources(std::move(sources));
  const auto start = std::chrono::steady_clock::now();
  const bool ok = job.Run();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "%-28s %s  sheets %lld  %.2f s  %.0f sheets/s  PDF %.1f MB  (%d lines, %d columns a sheet)\n",
      what, ok ? "ok" : "FAILED", static_cast<long long>(job.SheetsSent()), seconds,
      static_cast<double>(job.SheetsSent()) / seconds, QFileInfo(pdf).size() / 1048576.0,
      job.Layout().linesPerPage, job.Layout().columnsPerLine);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  NorraApp::InstallFontSubstitutes();
  QTemporaryDir dir;
  Run("2 MB, one file", dir.filePath(QStringLiteral("one.pdf")), {std::size_t{2} << 20});
  Run("20 files of 100 KB", dir.filePath(QStringLiteral("twenty.pdf")),
      std::vector<std::size_t>(20, 100 * 1024));
  return 0;
}

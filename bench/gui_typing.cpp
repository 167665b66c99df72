// Times the Qt text control: one typed key in a small and a large text (plain, and with line
// numbers, every mark and wrapping at 40 columns by the line-break rules), and opening big files.
//
//   gui_typing_bench              all measurements (each opening runs in a child process)
//   gui_typing_bench open SIZE    open one generated file of SIZE bytes and report time and memory
//
// Runs on whatever Qt platform is set (QT_QPA_PLATFORM=offscreen works without a display).
#include <QApplication>
#include <QFont>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "gui/ScintillaTextControl.h"
#include "platform/MemoryUi.h"
#include "text/Encoding.h"

using namespace norra;

namespace {

// CP932 text of the given size: lines of Japanese prose, half-width katakana and ASCII, CR LF.
std::string SampleText(std::size_t size) {
  const char* words[] = {"日本語の", "テキスト",         "ﾊﾝｶｸｶﾅ",  "editor ", "を開いて",
                         "、",       "置換する。",       "①②③",     "≒∵",      "123 ",
                         "ｱｲｳｴｵ",    "漢字かな交じり文", "abc_def "};
  std::vector<std::string> encoded;
  for (const char* word : words) encoded.push_back(Utf8ToCp932(word));
  std::string text;
  text.reserve(size + 128);
  unsigned seed = 12345;
  std::size_t lineLength = 0;
  while (text.size() < size) {
    seed = seed * 1103515245u + 12345u;
    const std::string& word = encoded[(seed >> 16) % encoded.size()];
    text += word;
    lineLength += word.size();
    if (lineLength > 60 + (seed >> 8) % 40) {
      text += "\r\n";
      lineLength = 0;
    }
  }
  text.resize(size);
  // Do not end inside a two-byte character or between CR and LF.
  while (!text.empty() && (static_cast<unsigned char>(text.back()) >= 0x80 || text.back() == '\r'))
    text.pop_back();
  return text;
}

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

// The processor time of this thread: on a machine shared with other work, the wall-clock time
// of a key says more about the others than about the key.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Median time of one key (press, release, repaint) typed in the middle of a text of `size`
// bytes, through QScintilla, the control, the Page and the undo log.
double TypingMs(std::size_t size, bool fullView = false, double* cpuMs = nullptr) {
  MemoryUi ui;
  UndoLog undo(ui);
  auto owned = std::make_unique<ScintillaTextControl>();
  ScintillaTextControl* control = owned.get();
  Page page(std::move(owned), undo);
  undo.SetCurrentPage(&page);
  QWidget* editor = control->Widget();
  editor->resize(800, 600);
  editor->show();
  if (fullView) {
    control->SetTextFont(QFont(QStringLiteral("IPAGothic"), 11));
    TextViewOptions view;
    view.lineNumbers = true;
    view.caretLine = true;
    view.marks = EditorMarks{true, true, true, true, QColor(0, 128, 192)};
    view.wrapColumns = 40;
    control->SetViewOptions(view);
    control->SetWordWrap(true);
  }
  control->ResetText(SampleText(size));
  control->SetSelection(control->LineStart(control->LineCount() / 2) + 10, 0);
  editor->setFocus();
  QApplication::processEvents();
  // Wrapping a large text goes on while the program is idle: let it finish first.
  if (fullView) {
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 4000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  }

  std::vector<double> times;
  std::vector<double> cpuTimes;
  QElapsedTimer timer;
  for (int i = 0; i < 400; ++i) {
    const int key = Qt::Key_A + i % 26;
    const QString text(QChar(u'a' + i % 26));
    timer.start();
    const double cpuStart = ThreadCpuMs();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &release);
    editor->repaint();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    cpuTimes.push_back(ThreadCpuMs() - cpuStart);
  }
  if (cpuMs != nullptr) *cpuMs = Median(cpuTimes);
  undo.PageGone(page);
  return Median(times);
}

int OpenOne(std::size_t size) {
  QTemporaryDir folder;
  const std::string path = QDir(folder.path()).filePath(QStringLiteral("big.txt")).toStdString();
  {
    std::ofstream out(path, std::ios::binary);
    const std::string text = SampleText(size);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  ScintillaTextControl control;
  QWidget* editor = control.Widget();
  editor->resize(800, 600);
  editor->show();
  QApplication::processEvents();
  const long baseKb = StatusKb("VmRSS:");

  QElapsedTimer timer;
  timer.start();
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
  }
  control.ResetText(bytes);
  bytes.clear();
  bytes.shrink_to_fit();
  editor->repaint();
  const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  const long peakKb = StatusKb("VmHWM:");
  const double ratio = static_cast<double>(peakKb - baseKb) * 1024.0 / static_cast<double>(size);
  std::printf(
      "open %6.1f MB: %.3f s until shown, peak memory %.0f MB over the empty control (%.1f x the "
      "file)\n",
      static_cast<double>(size) / 1e6, seconds, static_cast<double>(peakKb - baseKb) / 1024.0,
      ratio);
  return control.TextLength() > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "open") return OpenOne(std::stoull(argv[2]));

  TypingMs(20 * 1000);  // warms the font and glyph caches, which the first text would pay for
  double smallCpu = 0;
  double largeCpu = 0;
  const double small = TypingMs(20 * 1000, false, &smallCpu);
  const double large = TypingMs(2 * 1000 * 1000, false, &largeCpu);
  std::printf(
      "typing: %.3f ms per key at 20 KB, %.3f ms at 2 MB (ratio %.2f); processor time %.3f and "
      "%.3f ms\n",
      small, large, large / small, smallCpu, largeCpu);
  TypingMs(20 * 1000, true);  // the same for the Japanese font the view uses
  const double viewSmall = TypingMs(20 * 1000, true, &smallCpu);
  const double viewLarge = TypingMs(2 * 1000 * 1000, true, &largeCpu);
  std::printf(
      "typing with line numbers, every mark and 40-column wrapping: %.3f ms per key at 20 KB, "
      "%.3f ms at 2 MB; processor time %.3f and %.3f ms\n",
      viewSmall, viewLarge, smallCpu, largeCpu);
  std::fflush(stdout);
  for (const char* size : {"2000000", "100000000"}) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("open"), QString::fromLatin1(size)});
    child.waitForFinished(-1);
  }
  return 0;
}

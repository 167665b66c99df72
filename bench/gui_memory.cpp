// Peak memory of the editor on a big file: the real main window opens it, types, undoes and saves.
//
//   gui_memory write SIZE crlf|lf FILE   writes a generated CP932 text of about SIZE bytes
//   gui_memory edit FILE                 opens FILE as a Page in the main window, types a few
//                                        characters through the text control, undoes, types
//                                        again and saves; prints the peak memory after each step
//   gui_memory replace FILE              opens FILE, replaces every "ファイル" in it from the
//                                        find window (whole current file), undoes that
//
// `edit` runs on whatever Qt platform is set (QT_QPA_PLATFORM=offscreen works without a display)
// and raises MaxLength in a settings folder of its own so that the file is not refused.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Lcg.h"
#include "ProcessMemory.h"
#include "app/HelpPort.h"
#include "app/MainWindow.h"
#include "app/UiItem.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "findreplace/FindReplaceWindow.h"
#include "gui/FindReplaceWindowView.h"
#include "gui/FindWindowBridge.h"
#include "gui/MainWindowView.h"
#include "gui/NorraApp.h"
#include "gui/PageWindow.h"
#include "gui/ScintillaTextControl.h"
#include "platform/MemoryClipboard.h"
#include "platform/MemoryUi.h"
#include "text/Encoding.h"

using namespace norra;
using norra::bench::CurrentKb;
using norra::bench::PeakKb;

namespace {

// Japanese prose with ASCII words and half-width katakana in lines of 20 to 100 bytes. One word
// in twelve is "ファイル", the word the memory script replaces.
std::string MakeText(std::size_t size, bool crlf) {
  const char* words[] = {"ファイル", "日本語の",   "テキスト",         "を開いて",
                         "、",       "置換する。", "ﾊﾝｶｸｶﾅ",           "editor ",
                         "①②③",      "123 ",       "漢字かな交じり文", "abc_def "};
  std::vector<std::string> encoded;
  for (const char* word : words) encoded.push_back(Utf8ToCp932(word));
  const std::string lineBreak = crlf ? "\r\n" : "\n";
  bench::Lcg rng(2024);
  std::string text;
  text.reserve(size + 256);
  while (text.size() < size) {
    const std::size_t lineStart = text.size();
    const unsigned length = 20 + rng.Next(80);
    while (text.size() - lineStart < length) {
      text += encoded[rng.Next(static_cast<unsigned>(encoded.size()))];
    }
    text += lineBreak;
  }
  return text;
}

void Step(const char* name) {
  std::printf("  %-26s peak %7.1f MB   now %7.1f MB\n", name,
              static_cast<double>(PeakKb()) / 1024.0, static_cast<double>(CurrentKb()) / 1024.0);
  std::fflush(stdout);
}

class NoHelp : public HelpPort {
 public:
  bool ShowContents(const std::string&) override { return true; }
  bool SearchKeyword(const std::string&, const std::string&) override { return true; }
};

void Settle(NorraApp& app) {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  app.View().RunIdle();
}

// Keys as the user types them: ASCII as key presses, the rest as text an input method sends.
void Type(QWidget* editor, const QString& text) {
  for (const QChar ch : text) {
    const int key = ch.unicode() < 0x80 ? Qt::Key_A + (ch.toLower().unicode() - u'a') : 0;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(editor, &release);
  }
}

// Replace all over the current Page, as the find window's button runs it.
void ReplaceAll(NorraApp& app) {
  app.View().Action(UiItem::mnuReplace)->trigger();
  Settle(app);
  TfrmR* window = app.FindWindow().Window();
  FindReplaceWindow* logic = app.FindWindow().Logic();
  if (window == nullptr || logic == nullptr) {
    std::fprintf(stderr, "gui_memory: no find window\n");
    std::exit(2);
  }
  for (auto [box, text] : {std::pair{&window->FindBoxControl(), "ファイル"},
                           std::pair{&window->ReplaceBoxControl(), "file"}}) {
    box->SetSelection(0, box->TextLength());
    box->ReplaceSelection(Utf8ToCp932(text));
  }
  logic->ChooseRange(FindRange::CurrentPad);
  logic->ReplaceAll();
  Settle(app);
}

int Edit(const std::string& name, bool replace) {
  const std::string path = std::filesystem::absolute(name).string();
  const std::uintmax_t size = std::filesystem::file_size(path);
  QTemporaryDir folder;
  if (!folder.isValid()) return 2;
  for (const char* sub : {"config", "help"}) QDir(folder.path()).mkpath(QString::fromLatin1(sub));
  {
    // Room for the file and what is typed into it; a current file keeps the options away.
    std::ofstream ini(
        QDir(folder.path()).filePath(QStringLiteral("config/Norra.ini")).toStdString(),
        std::ios::binary);
    ini << "[Norra]\r\nIniVersion=3500\r\n[File]\r\nMaxLength=" << size * 2 + 1024 << "\r\n";
  }
  std::printf("editor on %s (%.1f MB)\n", path.c_str(), static_cast<double>(size) / 1e6);
  Step("started, nothing open");

  StartupOptions options;
  options.args.push_back(path);
  options.workingFolder = std::filesystem::path(path).parent_path().string();
  options.settingsFolder = folder.filePath(QStringLiteral("config")).toStdString() + "/";
  options.helpFolder = folder.filePath(QStringLiteral("help")).toStdString() + "/";
  MemoryUi ui;
  MemoryClipboard clipboard;
  NoHelp help;
  auto app = std::make_unique<NorraApp>(std::move(options),
                                        NorraApp::Overrides{&ui, &clipboard, nullptr, &help});
  if (!app->Start()) return 2;
  Settle(*app);
  Page* page = app->Logic().Docs().ActivePage();
  if (page == nullptr || page->Control().TextLength() + 1024 < size) {
    std::fprintf(stderr, "gui_memory: the file did not open\n");
    for (const auto& box : ui.Boxes()) std::fprintf(stderr, "  box: %s\n", box.text.c_str());
    return 2;
  }
  Step("opened as a Page");

  if (replace) {
    const std::size_t before = page->Control().TextLength();
    ReplaceAll(*app);
    Step("replaced all");
    std::printf("  %zu bytes before, %zu after\n", before, page->Control().TextLength());
    app->View().Action(UiItem::mnuUndo)->trigger();
    Settle(*app);
    Step("undone");
    for (const auto& box : ui.Boxes()) std::printf("  message: %s\n", box.text.c_str());
    app->View().SetLogic(nullptr);
    app.reset();
    std::printf("peak %ld KB\n", PeakKb());
    return 0;
  }

  ScintillaEditor* editor = app->View().WindowOf(*page)->Control().Widget();
  editor->setFocus();
  TextControl& control = page->Control();
  control.SetSelection(control.LineStart(control.LineCount() / 2), 0);
  Settle(*app);
  Type(editor, QStringLiteral("abcde"));
  Type(editor, QString::fromUtf8("日本語"));
  Settle(*app);
  Step("typed 8 characters");

  app->View().Action(UiItem::mnuUndo)->trigger();
  Settle(*app);
  Step("undone");

  Type(editor, QStringLiteral("xyz"));
  Settle(*app);
  app->View().Action(UiItem::mnuUpdateFile)->trigger();
  Settle(*app);
  Step("typed 3 more, saved");
  const std::uintmax_t saved = std::filesystem::file_size(path);
  std::printf("  file %ju bytes before, %ju after saving%s\n", size, saved,
              page->Control().Modified() ? " (the Page is still modified: not saved?)" : "");
  for (const auto& box : ui.Boxes()) std::printf("  message: %s\n", box.text.c_str());

  app->View().SetLogic(nullptr);
  app.reset();
  std::printf("peak %ld KB\n", PeakKb());
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 5 && std::string(argv[1]) == "write") {
    const std::string text = MakeText(std::stoull(argv[2]), std::string(argv[3]) == "crlf");
    std::ofstream out(argv[4], std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return out ? 0 : 2;
  }
  if (argc == 3 && (std::string(argv[1]) == "edit" || std::string(argv[1]) == "replace")) {
    QApplication app(argc, argv);
    return Edit(argv[2], std::string(argv[1]) == "replace");
  }
  std::fprintf(stderr,
               "usage: gui_memory write SIZE crlf|lf FILE | gui_memory edit|replace FILE\n");
  return 2;
}

// The whole program started in a temporary folder, for Qt Tests that drive it as the user would.
#pragma once

#include <Qsci/qsciscintillabase.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>
#include <string>

#include "app/HelpPort.h"
#include "app/MainWindow.h"
#include "documents/FileListDialogPort.h"
#include "documents/Page.h"
#include "gui/MainWindowView.h"
#include "gui/NorraApp.h"
#include "gui/PageWindow.h"
#include "gui/ScintillaTextControl.h"
#include "platform/MemoryClipboard.h"
#include "platform/MemoryUi.h"
#include "text/Encoding.h"

namespace norra::guitest {

inline std::string ReadBytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const QString& path, const std::string& bytes) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  out << bytes;
}

inline QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// Where the first TAB of a first line "a\tb" ends on screen, in half-width columns (widths of
// "0"): what the user sees, which the widget's tab setting alone does not tell.
inline int DrawnTabColumns(ScintillaEditor* editor) {
  using Sci = QsciScintillaBase;
  const long start = editor->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, 0L);
  const long end = editor->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, 2L);
  const long column = editor->SendScintilla(Sci::SCI_TEXTWIDTH, Sci::STYLE_DEFAULT, "0");
  return column > 0 ? static_cast<int>((end - start + column / 2) / column) : -1;
}

class QuietHelp : public HelpPort {
 public:
  bool ShowContents(const std::string&) override { return true; }
  bool SearchKeyword(const std::string&, const std::string&) override { return true; }
};

// Holds no slots: Qt Test would run inherited ones as tests of every class built on it.
// The test class calls MakeFolders() from init() and StopApp() from cleanup().
class AppFixture : public QObject {
 protected:
  // Without a dialog port the program shows its real batch dialog.
  explicit AppFixture(FileListDialogPort* dialogs = nullptr) : dialogPort_(dialogs) {}

  std::unique_ptr<QTemporaryDir> dir_;
  MemoryUi ui_;
  MemoryClipboard clipboard_;
  QuietHelp help_;
  FolderChooser* folders_ = nullptr;  // none: the program's own
  std::unique_ptr<NorraApp> app_;

  // Work, config and help folders; a current settings file keeps the options dialog away.
  void MakeFolders() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    for (const char* sub : {"work", "config", "help"})
      QDir(dir_->path()).mkpath(QString::fromLatin1(sub));
    WriteBytes(dir_->filePath(QStringLiteral("config/Norra.ini")),
               "[Norra]\r\nIniVersion=3500\r\n");
    ui_ = MemoryUi();
  }

  void StopApp() {
    if (app_) {
      View().SetLogic(nullptr);
      app_.reset();
    }
    dir_.reset();
  }

  QString Work(const QString& name) const { return dir_->filePath(QStringLiteral("work/") + name); }
  // A CP932 file in the work folder, from UTF-8 text.
  QString MakeFile(const QString& name, const char* utf8) {
    const QString path = Work(name);
    WriteBytes(path, Utf8ToCp932(utf8));
    return path;
  }

  TfrmNote& View() { return app_->View(); }
  MainWindow& Logic() { return app_->Logic(); }
  // A Page opened with others may have no window yet: it is made as when the Page is shown.
  ScintillaEditor* EditorOf(Page& page) { return View().EnsureWindow(page)->Control().Widget(); }
  std::string TextOf(Page& page) { return Cp932ToUtf8(page.Control().Text()); }

  void Start(const QStringList& files) {
    StartupOptions options;
    for (const QString& file : files) options.args.push_back(file.toStdString());
    options.workingFolder = dir_->filePath(QStringLiteral("work")).toStdString();
    options.settingsFolder = dir_->filePath(QStringLiteral("config")).toStdString() + "/";
    options.helpFolder = dir_->filePath(QStringLiteral("help")).toStdString() + "/";
    app_ = std::make_unique<NorraApp>(std::move(options),
                                      NorraApp::Overrides{&ui_, &clipboard_, dialogPort_, &help_, folders_});
    QVERIFY(app_->Start());
    View().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&View()));
    Settle();
  }
  // Lets queued events run and the idle step refresh the status bar.
  void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    View().RunIdle();
  }
  // Types into the Page as the user would, which makes it modified.
  void Type(Page& page, const QString& text) {
    ScintillaEditor* editor = EditorOf(page);
    editor->setFocus();
    for (const QChar ch : text) {
      if (ch.unicode() < 0x80) {
        QTest::keyClick(editor, ch.toLatin1());
      } else {
        // Characters without a key of their own arrive as text, as an input method sends them.
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(editor, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(editor, &release);
      }
    }
    Settle();
  }

 private:
  FileListDialogPort* dialogPort_;
};

}  // namespace norra::guitest

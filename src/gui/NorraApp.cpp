// NorraApp: builds the ports, the main window's logic and its view, binds the batch dialog, runs.
#include "gui/NorraApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QStandardPaths>
#include <QUrl>
#include <QTimer>
#include <optional>

#include "gui/FileListDialogWindow.h"
#include "gui/MainWindowView.h"
#include "settings/Settings.h"
#include "text/PathUtil.h"

#ifndef NORRA_SOURCE_HELP_DIR
#define NORRA_SOURCE_HELP_DIR ""
#endif

namespace norra {

// ---- help ----

std::string DesktopHelp::PageOf(const std::string& helpFile) {
  const QFileInfo info(QString::fromStdString(helpFile));
  if (info.isFile()) return helpFile;
  const QFileInfo index(info.isDir() ? QDir(info.filePath()).filePath(QStringLiteral("index.html"))
                                     : info.dir().filePath(QStringLiteral("index.html")));
  return index.isFile() ? index.filePath().toStdString() : std::string();
}

bool DesktopHelp::ViewerInstalled() {
  // What Qt's desktop services look for on a Unix desktop before they give up.
  for (const char* variable : {"DEFAULT_BROWSER", "BROWSER"}) {
    if (!qEnvironmentVariableIsEmpty(variable)) return true;
  }
  for (const char* program : {"xdg-open", "kde-open", "kde-open5", "gnome-open", "gvfs-open", "firefox",
                              "google-chrome", "chromium", "opera"}) {
    if (!QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) return true;
  }
  return false;
}

bool DesktopHelp::ShowContents(const std::string& helpFile) {
  const std::string page = PageOf(helpFile);
  if (page.empty() || !ViewerInstalled()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)));
}

bool DesktopHelp::SearchKeyword(const std::string& helpFile, const std::string& keyword) {
  // A page viewer has no keyword index; the page opens with the keyword as its fragment, which
  // finds a topic anchor of that name.
  const std::string page = PageOf(helpFile);
  if (page.empty() || !ViewerInstalled()) return false;
  QUrl url = QUrl::fromLocalFile(QString::fromStdString(page));
  url.setFragment(QString::fromStdString(keyword));
  return QDesktopServices::openUrl(url);
}

bool NorraApp::ListModeHasAction(ListDialogMode mode) {
  // The modes FileListDialog::RunFirst carries out; the others show their rows and nothing more.
  switch (mode) {
    case ListDialogMode::SaveAll:
    case ListDialogMode::Exit:
    case ListDialogMode::ReloadAll:
    case ListDialogMode::CloseAll:
      return true;
    default:
      return false;
  }
}

// ---- the application ----

NorraApp::NorraApp(StartupOptions options, const Overrides& overrides)
    : view_(std::make_unique<TfrmNote>()),
      ui_(overrides.ui != nullptr ? *overrides.ui : ownUi_),
      clipboard_(overrides.clipboard != nullptr ? *overrides.clipboard : ownClipboard_) {
  ownUi_.SetOwner(view_.get());
  FileListDialogPort* dialogs = overrides.dialogs;
  if (dialogs == nullptr) {
    listWindow_ = new FileListDialogWindow(view_.get());
    runner_ = std::make_unique<FileListDialogRunner>(*listWindow_);
    dialogs = runner_.get();
  }
  HelpPort& help = overrides.help != nullptr ? *overrides.help : ownHelp_;
  logic_ = std::make_unique<MainWindow>(
      MainWindowPorts{*view_, ui_, clipboard_, SystemClock::Instance(), *dialogs, find_, options_, help, nullptr},
      std::move(options));
  find_.Bind(*logic_, *view_, ui_, clipboard_, options_, overrides.folders != nullptr ? overrides.folders : &folders_);
  find_.SetHelp(&help);
  // Only the real batch dialog lacks actions; a test's dialog port answers every mode.
  if (runner_) logic_->SetListModeCheck(&NorraApp::ListModeHasAction);
}

NorraApp::~NorraApp() {
  // The logic's Pages go first; their windows are the view's children.
  if (view_) view_->SetLogic(nullptr);
  if (runner_) runner_->Unbind();
  logic_.reset();
}

bool NorraApp::Start() {
  if (!logic_->Create()) return false;
  view_->SetLogic(logic_.get());
  if (runner_) {
    MainWindow& logic = *logic_;
    HelpPort* help = &ownHelp_;
    runner_->Bind(FileListDialogContext{
        logic.Docs(), logic.Prefs(), logic.Log(), ui_, logic, nullptr,
        [help, &logic](int topic) {
          help->SearchKeyword(logic.Prefs().Help.MainHelpFile, "topic" + std::to_string(topic));
        },
        [this] { options_.Show(kOptionsPagePrint); }});
  }
  view_->show();
  logic_->Show();
  RunAutomationItems();
  return true;
}

// Scripted screenshots and demos choose menu items by component name, e.g.
// NORRA_AUTOMATION_ITEMS="mnuTileChildrenV"; the items run once the event loop is going.
void NorraApp::RunAutomationItems() {
  const QStringList names =
      qEnvironmentVariable("NORRA_AUTOMATION_ITEMS").split(QLatin1Char(','), Qt::SkipEmptyParts);
  for (const QString& name : names) {
    const std::optional<UiItem> item = UiItemNamed(name.trimmed().toStdString());
    if (!item) continue;
    QTimer::singleShot(0, view_.get(), [this, item] {
      if (logic_ != nullptr && logic_->Created()) logic_->Execute(*item);
    });
  }
}

int NorraApp::Run() {
  const int result = QApplication::exec();
  view_->SetLogic(nullptr);
  if (runner_) runner_->Unbind();
  logic_->Destroy();
  return result;
}

StartupOptions NorraApp::FromProcess() {
  StartupOptions options;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) options.args.push_back(arguments.at(i).toStdString());
  options.workingFolder = QDir::currentPath().toStdString();
  options.settingsFolder = SettingsFolder();
  options.helpFolder = HelpFolder();
  return options;
}

std::string NorraApp::HelpFolder() {
  const QDir program(QCoreApplication::applicationDirPath());
  const QStringList candidates = {program.filePath(QStringLiteral("../share/norra/help")),
                                  program.filePath(QStringLiteral("help")),
                                  QString::fromUtf8(NORRA_SOURCE_HELP_DIR)};
  for (const QString& candidate : candidates) {
    if (!candidate.isEmpty() && QFileInfo(candidate).isDir()) {
      return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath()).toStdString() + "/";
    }
  }
  return program.filePath(QStringLiteral("help")).toStdString() + "/";
}

void NorraApp::InstallFontSubstitutes() {
  const QStringList gothic = {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoGothic"),
                              QStringLiteral("VL Gothic")};
  const QStringList pgothic = {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                               QStringLiteral("TakaoPGothic")};
  const QStringList mincho = {QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP"),
                              QStringLiteral("TakaoMincho")};
  for (const char* name : {"ＭＳ ゴシック", "MS Gothic", "ＭＳ ｺﾞｼｯｸ"}) QFont::insertSubstitutions(QString::fromUtf8(name), gothic);
  for (const char* name : {"ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic"}) {
    QFont::insertSubstitutions(QString::fromUtf8(name), pgothic);
  }
  for (const char* name : {"ＭＳ 明朝", "MS Mincho", "ＭＳ Ｐ明朝"}) QFont::insertSubstitutions(QString::fromUtf8(name), mincho);
}

}  // namespace norra

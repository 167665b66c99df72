// NorraApp: builds the ports, the main window's logic and its view, binds the batch dialog, runs.
#include "gui/NorraApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QTimer>
#include <optional>

#include "app/HelpTopics.h"
#include "gui/FileListDialogWindow.h"
#include "gui/HelpWindow.h"
#include "gui/OptionsDialogWindow.h"
#include "gui/MainWindowView.h"
#include "gui/QtPrinterDevice.h"
#include "gui/RecoveryWindow.h"
#include "documents/RecoveryKeeper.h"
#include "documents/UndoRecord.h"
#include "documents/Documents.h"
#include "app/EditCommands.h"
#include "documents/RecoveryStore.h"
#include "text/Encoding.h"
#include "printing/PdfFileQuestion.h"
#include "printing/PrintJob.h"
#include "settings/Settings.h"
#include "text/FileIo.h"
#include "text/PathUtil.h"

#ifndef NORRA_VERSION
#define NORRA_VERSION ""
#endif

#ifndef NORRA_SOURCE_HELP_DIR
#define NORRA_SOURCE_HELP_DIR ""
#endif

namespace norra {

bool NorraApp::ListModeHasAction(ListDialogMode mode) {
  // The modes whose first button FileListDialog::RunAction carries out; the others show their rows and nothing more.
  switch (mode) {
    case ListDialogMode::SaveAll:
    case ListDialogMode::Exit:
    case ListDialogMode::ReloadAll:
    case ListDialogMode::CloseAll:
    case ListDialogMode::QuoteAll:
    case ListDialogMode::RecentFiles:
    case ListDialogMode::Jump:
    case ListDialogMode::SortList:
    case ListDialogMode::OpenFromGroup:
    case ListDialogMode::SaveAsAll:
    case ListDialogMode::PrintAll:
      return true;
    default:
      return false;
  }
}

// ---- the application ----

NorraApp::NorraApp(StartupOptions options, const Overrides& overrides)
    : printer_(std::make_unique<QtPrinterDevice>()),
      view_(std::make_unique<TfrmNote>()),
      ui_(overrides.ui != nullptr ? *overrides.ui : ownUi_),
      clipboard_(overrides.clipboard != nullptr ? *overrides.clipboard : ownClipboard_) {
  ownUi_.SetOwner(view_.get());
  ownHelp_ = new HelpWindow(view_.get());
  printer_->SetAskPdfPath([this](const std::string& last) {
    return AskPdfFile(ui_, last, [](const std::string& path) { return IsFile(path); });
  });
  FileListDialogPort* dialogs = overrides.dialogs;
  if (dialogs == nullptr) {
    listWindow_ = new FileListDialogWindow(view_.get());
    runner_ = std::make_unique<FileListDialogRunner>(*listWindow_);
    dialogs = runner_.get();
  }
  HelpPort& help = overrides.help != nullptr ? *overrides.help : *ownHelp_;
  help_ = &help;
  recoveryWindow_ = new RecoveryWindow(view_.get());
  logic_ = std::make_unique<MainWindow>(
      MainWindowPorts{*view_, ui_, clipboard_, SystemClock::Instance(), *dialogs, find_, options_, help, nullptr,
                      runner_.get(), printer_.get(), recoveryWindow_.data()},
      std::move(options));
  find_.Bind(*logic_, *view_, ui_, clipboard_, overrides.folders != nullptr ? overrides.folders : &folders_);
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
    HelpPort* help = help_;
    FileListDialogContext context{
        logic.Docs(), logic.Prefs(), logic.Log(), ui_, logic, nullptr,
        [help, &logic](int topic) {
          help->SearchKeyword(logic.Prefs().Help.MainHelpFile, "topic" + std::to_string(topic));
        },
        [this] { options_.Show(kOptionsPagePrint); }, nullptr, &folders_};
    context.printJob = &logic.Printing();
    runner_->Bind(context);
  }
  printerInformation_ = [this]() -> std::optional<PrinterInformation> {
    PrintJob& job = logic_->Printing();
    if (!job.ReadPrinterInfo()) return std::nullopt;
    const PrinterInfo& printer = job.Printer();
    return PrinterInformation{printer.name,          printer.paperName,     printer.port,
                              printer.orientation == "タテ", printer.paperLengthMm, printer.paperWidthMm};
  };
  printerSetUp_ = [this] {
    QWidget* parent = optionsWindow_ ? static_cast<QWidget*>(optionsWindow_) : view_.get();
    printer_->ShowSetupDialog(parent);
  };
  options_.Bind([this](int page) { return ShowOptions(page); });
  view_->show();
  logic_->Show();
  // The recovery copies' clock: the keeper looks at the Pages four times a second.
  recoveryTimer_ = new QTimer(view_.get());
  recoveryTimer_->setInterval(static_cast<int>(RecoveryKeeper::kTickMs));
  QObject::connect(recoveryTimer_, &QTimer::timeout, view_.get(), [this] {
    if (logic_ != nullptr && logic_->Created()) logic_->RecoveryTick(steadyClock_.elapsed());
  });
  steadyClock_.start();
  recoveryTimer_->start();
  RunAutomationItems();
  return true;
}

// Scripted screenshots and demos choose menu items by component name, e.g.
// NORRA_AUTOMATION_ITEMS="mnuTileChildrenV"; the items run once the event loop is going.
// NORRA_AUTOMATION_TEXT (UTF-8) is then put at the caret of every open Page as if pasted, so
// that a demo, or a test of the recovery copies, has edited Pages to show.
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
  if (const QString text = qEnvironmentVariable("NORRA_AUTOMATION_TEXT"); !text.isEmpty()) {
    QTimer::singleShot(0, view_.get(), [this, text] {
      if (logic_ == nullptr || !logic_->Created()) return;
      const std::string cp932 = Utf8ToCp932(text.toStdString());
      std::vector<Page*> pages;
      for (const PageListEntry& entry : logic_->Docs().List().Entries()) pages.push_back(entry.page);
      for (Page* page : pages) logic_->Edits().InsertTextAtCaret(*page, cp932, kUndoPaste);
      logic_->UpdateStatusBar();
    });
  }
}

// The dialog and its logic are made when first asked for and kept for the next showing.
int NorraApp::ShowOptions(int page) {
  if (logic_ == nullptr || !logic_->Created()) return page;
  if (!optionsWindow_) {
    MainWindow& logic = *logic_;
    optionsLogic_ = std::make_unique<OptionsDialog>(OptionsContext{logic.Prefs(), logic.Log(), logic.Docs(),
                                                                   logic.Tags(), ui_, logic, printerInformation_,
                                                                   NORRA_VERSION});
    HelpPort* help = help_;
    OptionsDialog* options = optionsLogic_.get();
    // F1 opens the topic of the page shown.
    optionsWindow_ = new TdlgOption(
        *optionsLogic_,
        [help, &logic, options] {
          help->SearchKeyword(logic.Prefs().Help.MainHelpFile, OptionsPageHelpKeyword(options->CurrentPage()));
        },
        printerSetUp_, view_.get());
  }
  return optionsWindow_->Run(page);
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
  options.recoveryFolder = RecoveryStore::DefaultRoot();
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

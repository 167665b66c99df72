// The desktop application: every object of the program made, wired together and run.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/FindWindowPort.h"
#include "app/HelpPort.h"
#include "app/MainWindow.h"
#include "app/OptionsDialogPort.h"
#include "groups/FileListDialogRunner.h"
#include "app/OptionsDialog.h"
#include "gui/FindWindowBridge.h"
#include "gui/OptionsDialogWindow.h"
#include "gui/QtClipboard.h"
#include "gui/QtFolderChooser.h"
#include "gui/QtUi.h"
#include "platform/SystemClock.h"

namespace norra {

class FileListDialogWindow;
class HelpWindow;
class QtPrinterDevice;
class RecoveryWindow;
class TfrmNote;

class NorraApp {
 public:
  // Ports a test replaces; null members keep the real ones.
  struct Overrides {
    Ui* ui = nullptr;
    Clipboard* clipboard = nullptr;
    FileListDialogPort* dialogs = nullptr;
    HelpPort* help = nullptr;
    FolderChooser* folders = nullptr;
  };

  NorraApp(StartupOptions options, const Overrides& overrides);
  NorraApp(StartupOptions options) : NorraApp(std::move(options), Overrides{}) {}
  ~NorraApp();
  NorraApp(const NorraApp&) = delete;
  NorraApp& operator=(const NorraApp&) = delete;

  // Creates the main window and shows it; false when start-up failed (already reported).
  bool Start();
  // The event loop until the main window closes; then the logic is destroyed.
  int Run();

  TfrmNote& View() { return *view_; }
  FindWindowBridge& FindWindow() { return find_; }
  // The options dialog's window, once it was first opened.
  TdlgOption* OptionsWindow() const { return optionsWindow_; }
  MainWindow& Logic() { return *logic_; }
  // The folder selection dialog, for the windows that ask for a folder.
  FolderChooser& Folders() { return folders_; }
  QtPrinterDevice& Printer() { return *printer_; }

  // The options of this process: its arguments, working folder, settings and help folders.
  static StartupOptions FromProcess();
  // The folder of the program's own help: installed beside the program, or in the sources.
  static std::string HelpFolder();
  // The modes of the batch dialog whose first button carries out an action.
  static bool ListModeHasAction(ListDialogMode mode);
  // Fonts the settings name by their Windows names, mapped onto installed ones.
  static void InstallFontSubstitutes();

 private:
  void RunAutomationItems();
  int ShowOptions(int page);

  QtUi ownUi_;
  QtClipboard ownClipboard_;
  QPointer<HelpWindow> ownHelp_;  // made with the view, which owns it
  FindWindowBridge find_;
  OptionsWindowPort options_;
  // Printer information and set-up for the options dialog's print page; wired to the print
  // job where it offers them (empty: no printer, and the set-up button stays disabled).
  PrinterInformationSource printerInformation_;
  std::function<void()> printerSetUp_;
  std::unique_ptr<OptionsDialog> optionsLogic_;
  QPointer<TdlgOption> optionsWindow_;
  std::unique_ptr<QtPrinterDevice> printer_;  // before the logic, whose print job uses it
  std::unique_ptr<TfrmNote> view_;
  QPointer<FileListDialogWindow> listWindow_;
  QPointer<RecoveryWindow> recoveryWindow_;  // the view owns it
  QPointer<QTimer> recoveryTimer_;
  QElapsedTimer steadyClock_;
  std::unique_ptr<FileListDialogRunner> runner_;
  Ui& ui_;
  Clipboard& clipboard_;
  HelpPort* help_ = nullptr;
  // Owned by the window active when it is shown (the one that asked).
  QtFolderChooser folders_{ui_};
  std::unique_ptr<MainWindow> logic_;  // goes first: its Pages' windows live in the view
};

}  // namespace norra

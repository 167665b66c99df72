// What the batch file-list dialog works on: the open Pages and the main window's services.
#pragma once

#include <functional>

namespace norra {

class Documents;
class DocumentsHost;
class FileStore;
struct FileListMemory;
class FolderChooser;
class PrintJob;
class Settings;
class Ui;
class UndoLog;

// All references outlive every dialog made with them (they belong to the main window).
struct FileListDialogContext {
  Documents& documents;
  Settings& settings;
  UndoLog& log;
  Ui& ui;
  DocumentsHost& host;                 // SetRedraw and UpdateStatusBar of the main window
  FileStore* files = nullptr;          // none: the real file system
  std::function<void(int)> showHelp;   // a topic of the program's help file
  std::function<void()> printOptions;  // the print options (F6 while the print panel shows)
  FileListMemory* memory = nullptr;    // none: the dialog remembers nothing past its run
  FolderChooser* folders = nullptr;     // the folder dialog; none: no folder can be chosen
  PrintJob* printJob = nullptr;        // none: the print mode prints nothing
};

}  // namespace norra

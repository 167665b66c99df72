// The user-interface port: message boxes and letting pending window events run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

// Message box flags; the values are the classic MB_* codes so callers and views agree on them.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_DEFBUTTON2 = 0x100;

constexpr unsigned kMbButtonsMask = 0xF;
constexpr unsigned kMbIconMask = 0xF0;

// Buttons a message box returns.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int kMessageBoxFailed = 16;  // the box could not be shown

// One line of a file dialog's type list: what the user reads and the masks it stands for.
struct FileFilter {
  std::string description;  // UTF-8, e.g. "ﾃｷｽﾄﾌｧｲﾙ(*.txt)"
  std::string pattern;      // masks separated by ";", e.g. "*.txt"
};

struct FileDialogRequest {
  std::string title;          // empty: the toolkit's default
  std::string fileName;       // proposed name; may carry a folder
  std::string initialFolder;  // empty: the toolkit's choice
  std::vector<FileFilter> filters;
  int filterIndex = 1;         // 1-based index of the filter shown first
  bool multiSelect = false;    // open: several files may be chosen
  bool mustExist = false;      // open: only existing files
  bool overwritePrompt = false;  // save: the dialog itself asks before an existing file
};

struct FileDialogResult {
  bool accepted = false;           // false: cancelled (or the dialog failed)
  std::vector<std::string> files;  // full UTF-8 paths in the dialog's order
  int filterIndex = 1;             // 1-based index of the filter selected at the end
};

// Size of the screen the main window lives on, in pixels.
struct ScreenExtent {
  int width = 0;
  int height = 0;
};

class Ui {
 public:
  virtual ~Ui() = default;

  // Shows a modal message box owned by the application window and returns the button pressed
  // (IDOK, IDCANCEL, IDYES, IDNO), or kMessageBoxFailed. Text and caption are UTF-8.
  virtual int ShowMessageBox(std::string_view text, unsigned flags, std::string_view caption) = 0;

  // Lets pending window events run (so a cancel button works during a long command).
  virtual void ProcessPendingEvents() = 0;

  // Modal file dialogs owned by the application window. The defaults report a cancel.
  virtual FileDialogResult ShowOpenDialog(const FileDialogRequest& /*request*/) { return {}; }
  virtual FileDialogResult ShowSaveDialog(const FileDialogRequest& /*request*/) { return {}; }

  virtual ScreenExtent Screen() const { return {}; }
  // A modal list to pick one item from (UTF-8), `current` selected first: the 0-based index
  // chosen, or -1 when cancelled. The default cancels.
  virtual int ShowChoice(std::string_view /*caption*/, std::string_view /*prompt*/,
                         const std::vector<std::string>& /*items*/, int /*current*/) {
    return -1;
  }
};

}  // namespace norra

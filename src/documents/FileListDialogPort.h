// The batch file-list dialog as the main window opens it: one modal run per command and mode.
// It sits below both the main window, which opens it, and groups/, which implements it.
#pragma once

namespace norra {

class Page;

// Modes the main window opens the dialog in.
enum class ListDialogMode : int {
  SaveAll = 220,      // まとめて上書き保存
  SaveAsAll = 221,    // まとめて別名保存
  PrintAll = 222,     // まとめて印刷
  QuoteAll = 223,     // まとめて引用
  RecentFiles = 224,  // 最近使ったﾌｧｲﾙ
  Jump = 225,         // 指定位置へｼﾞｬﾝﾌﾟ
  SortList = 226,     // ﾌｧｲﾙ名ﾘｽﾄ並べ替え
  Exit = 227,         // closing the program
  ReloadAll = 228,    // まとめて再読込み
  CloseAll = 230,     // まとめて閉じる
  OpenFromGroup = 232,  // グループから開く
};

// What a run of the dialog reports.
enum ListDialogResult : int {
  kListDialogCancelled = -1000,     // Esc, the cancel button or the close box
  kListDialogDone = -1001,          // finished by the first button
  kListDialogDoneSecond = -1002,    // finished by the second button
  kListDialogNothingToShow = -1003, // set-up found no rows; the dialog was not shown
  kListDialogFailed = -1999,        // the dialog could not be prepared
};

class FileListDialogPort {
 public:
  virtual ~FileListDialogPort() = default;
  // Creates the dialog in the mode, shows it modally unless its set-up finds nothing to show,
  // destroys it, and returns its result.
  virtual int Run(ListDialogMode mode) = 0;
  // A Page is closing: nothing remembered may name it, as a new Page can take its address.
  virtual void PageClosed(const Page& /*page*/) {}
};

}  // namespace norra

// The find/replace window as the main window sees it: created on first use, then kept.
#pragma once

namespace norra {

// Why the window is opened.
enum FindRequest : int {
  kFindRequestFind = 5,              // 検索
  kFindRequestReplace = 6,           // 置換
  kFindRequestFindSelection = 7,     // 選択部分のみ検索
  kFindRequestReplaceSelection = 8,  // 選択部分のみ置換
};

class FindWindowPort {
 public:
  virtual ~FindWindowPort() = default;
  // False while the program has no such window: its commands stay disabled.
  virtual bool Available() const { return true; }
  // Creates the window; false when that failed (the main window then reports it).
  virtual bool Create() = 0;
  virtual void Destroy() = 0;
  virtual void Open(FindRequest request) = 0;
  virtual bool Visible() const = 0;
  virtual void Close() = 0;
  // Presses its find-next button.
  virtual void FindNext() = 0;
  // Topmost without moving or sizing it.
  virtual void MakeTopmost() = 0;
  // One of its history lists is dropped down (Esc then belongs to that list).
  virtual bool HistoryListShown() const = 0;
  // The options dialog applied settings: the open window takes their colours, WantTabs and
  // tag symbols at once.
  virtual void OptionsChanged() = 0;
};

}  // namespace norra

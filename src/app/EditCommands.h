// The edit and display commands on the active Page: undo, clipboard, select all, insertions,
// word wrap and the bookmark.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace norra {

class Clipboard;
class Clock;
class Documents;
class DocumentsHost;
class Page;
class Ui;
class UndoLog;

// One for the whole program, in memory only.
struct Bookmark {
  Page* page = nullptr;  // none: no bookmark
  std::size_t start = 0;
  std::size_t length = 0;
  std::size_t line = 0;  // 1-based line of start
};

class EditCommands {
 public:
  // host receives UpdateStatusBar and SetRedraw.
  EditCommands(Documents& documents, UndoLog& log, Clipboard& clipboard, const Clock& clock, Ui& ui,
               DocumentsHost& host);

  // Each does nothing when no Page is open (or its need is not met).
  void Undo();
  // Makes the newest undone change again and brings its Page to the front.
  void Redo();
  void Cut();
  void Copy();
  void Paste();
  void SelectAll();
  void InsertDateTime();
  void InsertFileName();
  void ToggleWordWrap();
  void ClearUndoLog();  // after the user's confirmation
  void SetBookmark();
  void JumpToBookmark();

  // Puts program-made text (CP932) over the selection of the Page as one edit recorded with
  // kind; false when the control refused it (the text then stays as it was).
  bool InsertTextAtCaret(Page& page, std::string_view text, int kind);

  const Bookmark& CurrentBookmark() const { return bookmark_; }
  // The bookmark's Page when it is still open, else none.
  Page* BookmarkPage() const;
  // A Page goes: a bookmark in it goes too.
  void PageGone(const Page& page);

 private:
  Page* Active() const;

  Documents& documents_;
  UndoLog& log_;
  Clipboard& clipboard_;
  const Clock& clock_;
  Ui& ui_;
  DocumentsHost& host_;
  Bookmark bookmark_;
};

}  // namespace norra

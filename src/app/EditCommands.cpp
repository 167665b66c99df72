// Edit and display commands: each edit goes into the control in one step under the command
// protocol of the undo log; the clipboard is touched only by cut, copy and paste.
#include "app/EditCommands.h"

#include <algorithm>

#include "documents/CaptureSuspension.h"
#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/TextInsertion.h"
#include "documents/UndoLog.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "text/Cp932.h"
#include "text/DateTime.h"
#include "text/Encoding.h"

namespace norra {

namespace {

constexpr std::string_view kDateTimeFormat = "yyyy/mm/dd hh:nn:ss";

// An offset the bookmark may not start or end on: inside a two-byte character, or between the
// CR and the LF of a line break.
bool SplitsCharacter(const TextControl& control, std::size_t offset) {
  const std::string byte = control.TextRange(offset, 1);
  if (byte.empty()) return false;
  if (byte[0] == '\n') return true;
  // Line-break bytes are never second bytes, so scanning from the line start is enough.
  std::size_t lineStart = control.LineStart(control.LineFromOffset(offset));
  lineStart = std::min(lineStart, offset);
  return IsTrailByteAt(control.TextRange(lineStart, offset - lineStart + 1), offset - lineStart);
}

}  // namespace

EditCommands::EditCommands(Documents& documents, UndoLog& log, Clipboard& clipboard, const Clock& clock, Ui& ui,
                           DocumentsHost& host)
    : documents_(documents), log_(log), clipboard_(clipboard), clock_(clock), ui_(ui), host_(host) {}

Page* EditCommands::Active() const { return documents_.ActivePage(); }

bool EditCommands::InsertTextAtCaret(Page& page, std::string_view text, int kind) {
  return norra::InsertTextAtCaret(log_, page, text, kind);
}

void EditCommands::Undo() {
  if (Active() == nullptr) return;
  Page* changed = log_.UndoLast();
  if (changed != nullptr && changed != Active()) documents_.ActivatePage(changed);
  host_.UpdateStatusBar();
}

void EditCommands::Redo() {
  if (Active() == nullptr) return;
  Page* changed = log_.RedoLast();
  if (changed != nullptr && changed != Active()) documents_.ActivatePage(changed);
  host_.UpdateStatusBar();
}

void EditCommands::Cut() {
  Page* page = Active();
  if (page == nullptr || page->Control().SelLength() == 0) return;
  // The text leaves the document only once the clipboard holds it.
  if (!clipboard_.SetTextFrom(page->Control().TextCharset(), page->Control().SelText())) {
    ui_.ShowMessageBox("切り取り処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR, "Norra");
    return;
  }
  InsertTextAtCaret(*page, std::string_view(), kUndoCut);
  host_.UpdateStatusBar();
}

void EditCommands::Copy() {
  Page* page = Active();
  if (page == nullptr || page->Control().SelLength() == 0) return;
  if (!clipboard_.SetTextFrom(page->Control().TextCharset(), page->Control().SelText())) {
    ui_.ShowMessageBox("ｺﾋﾟｰ処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR, "Norra");
  }
}

void EditCommands::Paste() {
  Page* page = Active();
  if (page == nullptr || !clipboard_.HasText()) return;
  const Charset charset = page->Control().TextCharset();
  const std::string text = clipboard_.GetTextIn(charset);
  if (text.empty()) return;
  // What the document cannot hold would go in as "?": the paste is refused, naming it.
  if (const std::string unstorable = clipboard_.UnstorableIn(charset); !unstorable.empty()) {
    ui_.ShowMessageBox(Documents::UnstorableText(unstorable), MB_OK | MB_ICONWARNING,
                       Documents::kUnstorableCaption);
    return;
  }
  InsertTextAtCaret(*page, text, kUndoPaste);
  host_.UpdateStatusBar();
}

void EditCommands::SelectAll() {
  Page* page = Active();
  if (page == nullptr) return;
  page->Control().SetSelection(0, page->Control().TextLength());
  page->Control().ResetCaretColumn();
  host_.UpdateStatusBar();
}

void EditCommands::InsertDateTime() {
  Page* page = Active();
  if (page == nullptr) return;
  std::string text;
  if (!FormatDateTime(kDateTimeFormat, clock_.Now(), text)) return;
  InsertTextAtCaret(*page, text, kUndoInsertDateTime);
  host_.UpdateStatusBar();
}

void EditCommands::InsertFileName() {
  Page* page = Active();
  if (page == nullptr) return;
  // Paths are UTF-8; in the document they become CP932 ("?" for what CP932 cannot hold).
  InsertTextAtCaret(*page, Utf8ToCp932(page->FilePath()), kUndoInsertFileName);
  host_.UpdateStatusBar();
}

void EditCommands::ToggleWordWrap() {
  Page* page = Active();
  if (page == nullptr) return;
  TextControl& control = page->Control();
  const std::size_t start = control.SelStart();
  const std::size_t length = control.SelLength();
  const bool backwards = control.SelectionBackwards();
  const bool modified = page->Modified();
  {
    CaptureSuspension suspended(log_);
    control.SetWordWrap(!control.WordWrap());
    if (backwards) {
      control.SetSelectionBackwards(start, length);
    } else {
      control.SetSelection(start, length);
    }
  }
  page->SetModified(modified);  // wrapping is a view of the text, not a change of it
  host_.UpdateStatusBar();
}

void EditCommands::ClearUndoLog() {
  if (Active() == nullptr) return;
  const int answer = ui_.ShowMessageBox("[元に戻す]ための記録(ﾒﾓﾘ)をｸﾘｱします。\nよろしいですか?",
                                        MB_OKCANCEL | MB_ICONWARNING, "Norra");
  if (answer == IDOK) log_.ClearUndoLog();
  host_.UpdateStatusBar();
}

void EditCommands::SetBookmark() {
  Page* page = Active();
  if (page == nullptr) return;
  const TextControl& control = page->Control();
  bookmark_ = {page, control.SelStart(), control.SelLength(), control.LineFromOffset(control.SelStart()) + 1};
}

Page* EditCommands::BookmarkPage() const {
  if (bookmark_.page == nullptr || !documents_.List().Contains(*bookmark_.page)) return nullptr;
  return bookmark_.page;
}

void EditCommands::PageGone(const Page& page) {
  if (bookmark_.page == &page) bookmark_ = {};
}

void EditCommands::JumpToBookmark() {
  if (Active() == nullptr || bookmark_.page == nullptr) return;
  Page* page = BookmarkPage();
  if (page == nullptr) {
    bookmark_ = {};
    return;
  }
  if (page != Active()) {
    host_.SetRedraw(false, nullptr);
    documents_.ActivatePage(page);
    host_.SetRedraw(true, page);
  }
  TextControl& control = page->Control();
  const std::size_t textLength = control.TextLength();
  std::size_t start = bookmark_.start;
  std::size_t length = bookmark_.length;
  if (textLength < start) {
    start = textLength;
    length = 0;
  } else {
    length = std::min(length, textLength - start);
  }
  if (start < textLength) {
    if (start > 0 && SplitsCharacter(control, start)) {
      --start;
      length = 0;
    } else if (SplitsCharacter(control, start + length)) {
      length = 0;
    }
  }
  control.SetSelection(start, length);
  control.ResetCaretColumn();
  control.ScrollCaret();
  bookmark_ = {page, start, length, control.LineFromOffset(start) + 1};
  host_.UpdateStatusBar();
}

}  // namespace norra

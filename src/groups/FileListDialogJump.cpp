// Jump: the caret to a line of the chosen Page; the last jump's Page and line are remembered.
#include <algorithm>
#include <exception>
#include <limits>
#include <string>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "groups/FileListDialog.h"
#include "groups/RedrawHold.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"

namespace norra {

void FileListDialog::PreselectJumpRow() {
  const FileListMemory& memory = Memory();
  SetControl(FileListControl::txtRow, std::to_string(memory.jumpLine), true);
  if (rows_.empty()) return;
  const auto it = std::find_if(rows_.begin(), rows_.end(), [&memory](const FileListRow& row) {
    return memory.jumpPage != nullptr && row.page == memory.jumpPage;
  });
  focused_ = it != rows_.end() ? static_cast<std::size_t>(it - rows_.begin()) : 0;
  rows_[focused_].selected = true;
}

std::string FileListDialog::LinePastEndText(std::size_t lineCount) {
  return "行番号は 1 ～ " + std::to_string(lineCount) + " の範囲で入力して下さい";
}

void FileListDialog::Jump() {
  const std::string& text = Control(FileListControl::txtRow).caption;
  const bool number = !text.empty() && std::all_of(text.begin(), text.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; });
  if (!number) {
    Message("行番号には数値を入力して下さい", MB_OK | MB_ICONWARNING);
    return;
  }
  const std::vector<std::size_t> selected = SelectedRows();
  if (selected.empty() || rows_[selected.front()].page == nullptr) return;
  Documents& documents = context_.documents;
  DocumentsHost& host = context_.host;
  try {
    // A number too long for the count is beyond every text's end anyway.
    std::size_t line = 0;
    for (char c : text) {
      const auto digit = static_cast<std::size_t>(c - '0');
      if (line > (std::numeric_limits<std::size_t>::max() - digit) / 10) {
        line = std::numeric_limits<std::size_t>::max();
        break;
      }
      line = line * 10 + digit;
    }
    const std::size_t n = line > 0 ? line - 1 : 0;

    Page* page = rows_[selected.front()].page;
    // A line past the end is a typing slip: said so, and the dialog stays for another number.
    const std::size_t lines = page->Control().LineCount();
    if (n >= lines) {
      Message(LinePastEndText(lines), MB_OK | MB_ICONWARNING);
      return;
    }
    if (page != documents.ActivePage()) {
      const RedrawHold hold(*this);
      documents.ActivatePage(page);
    }
    TextControl& control = page->Control();
    const std::size_t caret = n < control.LineCount() ? control.LineStart(n) : control.TextLength();
    control.SetSelection(caret, 0);
    control.ResetCaretColumn();
    control.ScrollCaret();
    host.ShowPage(*page);  // the text takes the focus

    Memory().jumpLine = n + 1;
    Memory().jumpPage = page;
    host.UpdateStatusBar();
    Finish(kListDialogDone);
  } catch (const std::exception&) {
    ActionFailed(kListDialogDone);
  }
}

}  // namespace norra

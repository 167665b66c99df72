// The PDF file question: the save dialog, then the program's own overwrite question.
#include "printing/PdfFileQuestion.h"

#include "platform/Ui.h"
#include "text/PathUtil.h"

namespace norra {

std::string AskPdfFile(Ui& ui, const std::string& last,
                       const std::function<bool(const std::string&)>& exists) {
  std::string proposed = last.empty() ? std::string("Norra.pdf") : last;
  for (;;) {
    FileDialogRequest request;
    request.fileName = proposed;
    if (!last.empty()) request.initialFolder = FolderPart(last);
    request.filters = {{"PDF (*.pdf)", "*.pdf"}};
    // The dialog's own question would come on top of ours; ours is the one the program asks.
    request.overwritePrompt = false;
    const FileDialogResult answer = ui.ShowSaveDialog(request);
    if (!answer.accepted || answer.files.empty() || answer.files.front().empty()) return {};
    std::string path = answer.files.front();
    if (path.front() != '/') path = MakeAbsolute(path);
    if (FileNamePart(path).find('.') == std::string::npos) path += ".pdf";
    if (!exists(path)) return path;
    const int overwrite = ui.ShowMessageBox(path + "\nは既に存在します。上書きしますか?",
                                            MB_YESNOCANCEL | MB_ICONQUESTION, "Norra");
    if (overwrite == IDYES) return path;
    if (overwrite != IDNO) return {};
    proposed = path;
  }
}

}  // namespace norra

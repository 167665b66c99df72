// Taking the last disk replace back from the editor.
#include "app/DiskReplaceUndoCommand.h"

#include <optional>

#include "platform/Ui.h"
#include "text/ReplaceJournal.h"

namespace norra {

namespace {

// A few names: a message box shows a short list, not every file.
std::string Named(const std::vector<std::string>& files) {
  constexpr std::size_t kNamed = 5;
  std::string lines;
  for (std::size_t i = 0; i < files.size() && i < kNamed; ++i) lines += "\n" + files[i];
  if (files.size() > kNamed) lines += "\n...";
  return lines;
}

}  // namespace

std::string DiskReplaceUndoCommand::Question(const std::string& description, std::size_t files) {
  return description + "\n(" + std::to_string(files) + "個のﾌｧｲﾙ)\nを元に戻しますか?";
}

std::string DiskReplaceUndoCommand::Report(const ReplaceUndoResult& result) {
  std::string text = std::to_string(result.restored) + "個のﾌｧｲﾙを元に戻しました。";
  if (!result.leftChanged.empty()) {
    text += "\n" + std::string(kLeftLabel) + std::to_string(result.leftChanged.size()) + "個)";
    text += Named(result.leftChanged);
  }
  if (!result.failed.empty()) {
    std::vector<std::string> names;
    for (const auto& [path, reason] : result.failed) names.push_back(path + " : " + reason);
    text += "\n" + std::string(kFailedLabel) + std::to_string(result.failed.size()) + "個)";
    text += Named(names);
  }
  return text;
}

ReplaceUndoResult DiskReplaceUndoCommand::Run(Ui& ui, const std::string& folder) {
  const std::string journal = LatestUndoableJournal(folder);
  const std::optional<ReplaceJournalContent> content =
      journal.empty() ? std::nullopt : ReadReplaceJournal(journal);
  if (!content) {
    ui.ShowMessageBox(kNothing, MB_OK | MB_ICONINFORMATION, kCaption);
    return {};
  }
  if (ui.ShowMessageBox(Question(content->description, content->files.size()),
                        MB_YESNO | MB_ICONQUESTION, kCaption) != IDYES) {
    return {};
  }
  ReplaceUndoResult result = UndoDiskReplace(journal);
  const bool clean = result.Complete();
  ui.ShowMessageBox(Report(result), MB_OK | (clean ? MB_ICONINFORMATION : MB_ICONWARNING),
                    kCaption);
  return result;
}

}  // namespace norra

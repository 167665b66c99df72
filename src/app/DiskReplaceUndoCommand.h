// The command that takes the last disk replace back: it asks first, gives back every file still
// as the replace left it, and tells how many it gave back and which it left alone.
#pragma once

#include <string>
#include <string_view>

#include "text/ReplaceUndo.h"

namespace norra {

class Ui;

class DiskReplaceUndoCommand {
 public:
  static constexpr std::string_view kCaption = "ﾃﾞｨｽｸ置換を元に戻す";
  static constexpr std::string_view kNothing = "元に戻せるﾃﾞｨｽｸ置換はありません。";
  static constexpr std::string_view kLeftLabel = "(置換の後で変更されたため戻さなかったﾌｧｲﾙ : ";
  static constexpr std::string_view kFailedLabel = "(戻せなかったﾌｧｲﾙ : ";

  // Runs the command on the newest journal not taken back yet in `folder` (the user's state
  // folder when empty). Returns what the undo did (journalRead false when nothing was done).
  static ReplaceUndoResult Run(Ui& ui, const std::string& folder = {});

  // The question asked before: what the journal took, and how many files.
  static std::string Question(const std::string& description, std::size_t files);
  // The end-of-command text.
  static std::string Report(const ReplaceUndoResult& result);
};

}  // namespace norra

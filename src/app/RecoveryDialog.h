// The start's offer of the Pages a crashed run left unsaved: one row per recovery copy, all
// chosen at first; the chosen ones come back as modified Pages, and the others go only when the
// user says so.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace norra {

class Documents;
class RecoveryClaim;
class RecoveryKeeper;
class Ui;

struct RecoveryRow {
  std::string name;    // DisplayName the Page had: file-name part or untitled name
  std::string folder;  // folder part of its path; empty for an untitled Page
  std::string time;    // when the copy was taken, "yyyy/mm/dd hh:nn:ss" local time
  std::string size;    // its length, "1234ﾊﾞｲﾄ"
  bool checked = true;
};

class RecoveryDialog {
 public:
  static constexpr const char* kCaption = "未保存ﾌｧｲﾙの復元";
  static constexpr const char* kPrompt =
      "前回Norraが正常に終了しなかったため、保存されていない次のﾌｧｲﾙを復元できます。\n"
      "復元するﾌｧｲﾙを選んでください。";
  static constexpr const char* kDiscardQuestion =
      "復元しなかったﾌｧｲﾙの内容を破棄しますか?\n(いいえ: 次回の起動時にもう一度表示します)";

  // `keeper` (may be null) takes the restored Pages' copies over before the old ones go.
  RecoveryDialog(RecoveryClaim& claim, Documents& docs, Ui& ui, RecoveryKeeper* keeper);

  const std::vector<RecoveryRow>& Rows() const { return rows_; }
  void SetChecked(std::size_t row, bool on);
  // The dialog closed: with `accepted` the chosen rows are restored (the oldest first, so the
  // newest ends at the top of the page list); then, when copies were left, the user is asked
  // whether they go. Returns the number of Pages restored. The claim is released.
  int Finish(bool accepted);

 private:
  RecoveryClaim& claim_;
  Documents& docs_;
  Ui& ui_;
  RecoveryKeeper* keeper_;
  std::vector<RecoveryRow> rows_;
};

}  // namespace norra

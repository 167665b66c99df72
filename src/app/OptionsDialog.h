// The options dialog's logic: seven pages over the settings, their changed flags, checks and
// messages, and what applying each page changes in the open Pages and windows.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/OptionControl.h"
#include "app/PrinterInformation.h"
#include "engine/TagTable.h"

namespace norra {

class Documents;
class OptionsHost;
class Settings;
class Ui;
class UndoLog;

struct OptionsContext {
  Settings& settings;
  UndoLog& log;
  Documents& documents;
  const TagTable& tags;
  Ui& ui;
  OptionsHost& host;
  PrinterInformationSource printer;  // empty: no printer can be reached
  std::string version;               // the program's version, shown on page 0
};

// A colour as the Vision settings hold it.
struct OptionColour {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const OptionColour&) const = default;
};

// One row of the tag-symbol table (UTF-8).
struct TagSymbolRow {
  std::string symbol;   // as the box holds it
  std::string meaning;  // the tag's description
  std::string example;  // rendered with the symbols in force
  std::string kind;     // "(検索)", "(置換)" or "(共通)"
  bool editable = false;
};

// Where the focus goes after a failed check: the control and, for a tag symbol, its index.
struct OptionFocus {
  OptionControl control;
  int index = 0;
  bool operator==(const OptionFocus&) const = default;
};

class OptionsDialog {
 public:
  // The pages under the dialog's own short names.
  static constexpr int kPageGeneral = kOptionsPageGeneral;
  static constexpr int kPageFile = kOptionsPageFile;
  static constexpr int kPagePrint = kOptionsPagePrint;
  static constexpr int kPageEdit = kOptionsPageEdit;
  static constexpr int kPageVision = kOptionsPageVision;
  static constexpr int kPageFindReplace = kOptionsPageFindReplace;
  static constexpr int kPageHelp = kOptionsPageHelp;
  // Paper length and width, in millimetres, when no printer can be reached.
  static constexpr int kNoPrinterPaper = 99999;
  // Longest header or footer template and user name, in characters.
  static constexpr std::size_t kTemplateMax = 255;
  static constexpr std::size_t kUserNameMax = 100;

  enum class Result { Cancel, Ok };

  explicit OptionsDialog(OptionsContext context);

  // ---- showing and pages ----
  // Each showing starts with every page unchanged and fills the page asked for.
  void Open(int page);
  int CurrentPage() const { return page_; }
  // Shows another page; one without unapplied changes is filled again from the settings.
  void SwitchTo(int page);
  bool Changed(int page) const;
  // "▼" in front of the shown page's item.
  std::string MenuCaption(int page) const;
  static std::string_view MenuName(int page);
  static std::string_view GroupName(int page);
  static std::string_view GroupCaption(int page);
  // Apply and Undo are shown on pages 1 to 6 and usable while the page has changes.
  bool ApplyButtonsVisible() const { return page_ != kPageGeneral; }
  bool ApplyButtonsEnabled() const { return Changed(page_); }

  // ---- values (UTF-8 text; check boxes "1"/"0"; numbers and choices in decimal) ----
  const std::string& Value(OptionControl control, int index = 0) const;
  bool Checked(OptionControl control) const { return Value(control) == "1"; }
  // The user's edit: marks the control and its page changed. Page 0 takes effect at once.
  void Edit(OptionControl control, std::string value, int index = 0);
  void EditChecked(OptionControl control, bool on) { Edit(control, on ? "1" : "0"); }

  // ---- buttons ----
  // Checks and applies the shown page; on success all settings are saved and the page is
  // unchanged again. False when a check failed (reported, focus requested).
  bool Apply();
  // The shown page again from the settings.
  void Undo();
  // Marks the shown page changed without changing a value.
  void Reset();
  // Applies every changed page in order 1 to 6, each tried even after one failed, then saves
  // all settings. True when the dialog closes; false keeps it open on a page that failed.
  bool Ok();
  void Cancel() { result_ = Result::Cancel; }
  Result Closing() const { return result_; }
  // The control a failed check asks to focus; taken once.
  std::optional<OptionFocus> TakeFocusRequest() { return std::exchange(focus_, std::nullopt); }

  // ---- page 0 ----
  static std::string MainCaption(bool dispUserName, const std::string& userName);
  std::string VersionText() const;

  // ---- page 2 ----
  // The list serves the header or the footer box; the same button again hides it. Returns
  // whether the list shows now.
  bool ToggleCodeList(OptionControl box);
  std::optional<OptionControl> CodeListBox() const { return codeListBox_; }
  void HideCodeList() { codeListBox_.reset(); }
  // Puts code `code` (0-based in the code table) over the box's selection, positions in
  // characters. Nothing when the text would grow beyond kTemplateMax; otherwise the caret.
  std::optional<std::size_t> InsertPrintCode(std::size_t code, std::size_t selStart,
                                             std::size_t selLength);
  // Printer name, paper, orientation, port, paper length and width.
  std::vector<std::string> PrinterLabels() const;
  // Paper length and width in millimetres (kNoPrinterPaper without a printer).
  std::pair<int, int> PaperSize() const;

  // ---- page 3 ----
  // The ImeMode choices: caption and stored value.
  static const std::vector<std::pair<std::string, int>>& ImeModeChoices();
  // 新規ﾌｧｲﾙの文字ｺｰﾄﾞ: the entries and the NewFileCharset values they store.
  static const std::vector<std::pair<std::string, int>>& NewFileCharsetChoices();
  std::string LogBytesLabel() const;
  std::string UndoLogsLabel() const;

  // ---- page 4 ----
  OptionColour ForeColour() const { return ColourOf(true); }
  OptionColour BackColour() const { return ColourOf(false); }

  // ---- page 5 ----
  TagSymbolRow TagRow(int index) const;

  // ---- page 6 ----
  const std::string& MainHelpFile() const;
  // The file dialog of "参照..."; a chosen file goes into the box.
  bool BrowseSecondHelp();

 private:
  std::string& Slot(OptionControl control, int index);
  void Fill(int page);
  bool ApplyPage(int page);
  bool ApplyFile();
  bool ApplyPrint();
  bool ApplyEdit();
  bool ApplyVision();
  bool ApplyFindReplace();
  bool ApplyHelp();
  // Reports a failed check of the page being applied and asks for the focus.
  bool Fail(int page, OptionControl control, const std::string& message, int index = 0);
  bool Edited(OptionControl control) const { return edited_.at(static_cast<std::size_t>(control)); }
  OptionColour ColourOf(bool fore) const;
  void TakeGeneral();

  OptionsContext context_;
  int page_ = 0;
  std::array<bool, kOptionPageCount> changed_{};
  std::array<std::string, kOptionControlCount> values_{};
  std::array<bool, kOptionControlCount> edited_{};
  std::array<std::string, kTagCount> symbols_{};  // the tag-symbol boxes, UTF-8
  Result result_ = Result::Cancel;
  std::optional<OptionFocus> focus_;
  std::optional<OptionControl> codeListBox_;
};

}  // namespace norra

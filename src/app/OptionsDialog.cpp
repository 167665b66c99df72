// The options dialog's logic.
#include "app/OptionsDialog.h"

#include <algorithm>
#include <cstdint>

#include "app/OptionsHost.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "platform/Ui.h"
#include "printing/PrintCodes.h"
#include "printing/PrintTemplate.h"
#include "settings/Settings.h"
#include "text/Encoding.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

struct PageNames {
  std::string_view menu;
  std::string_view menuCaption;
  std::string_view group;
  std::string_view groupCaption;
};

constexpr std::array<PageNames, kOptionPageCount> kPages = {{
    {"mnuNorra", "Norra(&M)", "fraNorra", ""},
    {"mnuFile", "ﾌｧｲﾙ(&F)", "fraFile", "設定 - [ﾌｧｲﾙ]"},
    {"mnuPrint", "印刷(&P)", "fraPrint", "設定 - [印刷]"},
    {"mnuEdit", "編集(&E)", "fraEdit", "設定 - [編集]"},
    {"mnuVision", "表示(&V)", "fraVision", "設定 - [表示]"},
    {"mnuFindReplace", "検索/置換(&R)", "fraFindReplace", "設定 - [検索/置換]"},
    {"mnuHelp", "ﾍﾙﾌﾟ(&H)", "fraHelp", "設定 - [ﾍﾙﾌﾟ]"},
}};

const PageNames& NamesOf(int page) {
  return kPages.at(static_cast<std::size_t>(std::clamp(page, 0, kOptionPageCount - 1)));
}

// A number box's value: optional sign and digits. Anything else, or a number too long to be
// one, fails every range.
std::optional<std::int64_t> ParseNumber(const std::string& text) {
  std::size_t i = text.starts_with('-') ? 1 : 0;
  if (i == text.size() || text.size() - i > 15) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return text.starts_with('-') ? -value : value;
}

bool InRange(const std::string& text, std::int64_t low, std::int64_t high) {
  const auto value = ParseNumber(text);
  return value && *value >= low && *value <= high;
}

int ToInt(const std::string& text) {
  return static_cast<int>(ParseNumber(text).value_or(0));
}

std::string B(bool on) {
  return on ? "1" : "0";
}
std::string N(int value) {
  return std::to_string(value);
}

// Byte offset of the character `index` of UTF-8 text (the end when beyond it).
std::size_t ByteOfChar(const std::string& text, std::size_t index) {
  std::size_t at = 0;
  for (std::size_t n = 0; n < index && at < text.size(); ++n) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  }
  return at;
}

std::size_t CharCount(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

OptionsDialog::OptionsDialog(OptionsContext context) : context_(std::move(context)) {}

// ---- pages ----

std::string_view OptionsDialog::MenuName(int page) {
  return NamesOf(page).menu;
}
std::string_view OptionsDialog::GroupName(int page) {
  return NamesOf(page).group;
}
std::string_view OptionsDialog::GroupCaption(int page) {
  return NamesOf(page).groupCaption;
}

std::string OptionsDialog::MenuCaption(int page) const {
  return (page == page_ ? std::string("▼") : std::string()) +
         std::string(NamesOf(page).menuCaption);
}

bool OptionsDialog::Changed(int page) const {
  return page > kPageGeneral && page < kOptionPageCount &&
         changed_.at(static_cast<std::size_t>(page));
}

void OptionsDialog::Open(int page) {
  changed_.fill(false);
  result_ = Result::Cancel;
  focus_.reset();
  codeListBox_.reset();
  page_ = std::clamp(page, 0, kOptionPageCount - 1);
  // Every page holds the settings as they are, so OK can apply any page the user edits.
  for (int p = 0; p < kOptionPageCount; ++p) Fill(p);
}

void OptionsDialog::SwitchTo(int page) {
  page_ = std::clamp(page, 0, kOptionPageCount - 1);
  codeListBox_.reset();
  if (!Changed(page_)) Fill(page_);
}

// ---- values ----

std::string& OptionsDialog::Slot(OptionControl control, int index) {
  if (control == OptionControl::txtTagSymbol)
    return symbols_.at(static_cast<std::size_t>(std::clamp(index, 0, kTagCount - 1)));
  return values_.at(static_cast<std::size_t>(control));
}

const std::string& OptionsDialog::Value(OptionControl control, int index) const {
  if (control == OptionControl::txtTagSymbol) {
    return symbols_.at(static_cast<std::size_t>(std::clamp(index, 0, kTagCount - 1)));
  }
  return values_.at(static_cast<std::size_t>(control));
}

void OptionsDialog::Edit(OptionControl control, std::string value, int index) {
  if (control == OptionControl::txtTagSymbol && (index < 1 || index >= kTagCount)) return;
  Slot(control, index) = std::move(value);
  const int page = PageOf(control);
  if (page == kPageGeneral) {
    TakeGeneral();
    return;
  }
  edited_.at(static_cast<std::size_t>(control)) = true;
  changed_.at(static_cast<std::size_t>(page)) = true;
}

void OptionsDialog::TakeGeneral() {
  GeneralSettings& general = context_.settings.General;
  general.UserName = Value(OptionControl::txtUserName);
  general.DispUserName = Checked(OptionControl::chkDispUserName);
  context_.host.SetMainCaption(MainCaption(general.DispUserName, general.UserName));
}

std::string OptionsDialog::MainCaption(bool dispUserName, const std::string& userName) {
  return dispUserName && !userName.empty() ? "Norra for " + userName : std::string("Norra");
}

std::string OptionsDialog::VersionText() const {
  return "Norra Version " + context_.version;
}

void OptionsDialog::Fill(int page) {
  using enum OptionControl;
  const Settings& s = context_.settings;
  auto set = [this](OptionControl control, std::string value) {
    values_.at(static_cast<std::size_t>(control)) = std::move(value);
    edited_.at(static_cast<std::size_t>(control)) = false;
  };
  switch (page) {
    case kPageGeneral:
      set(txtUserName, s.General.UserName);
      set(chkDispUserName, B(s.General.DispUserName));
      break;
    case kPageFile:
      set(txtMaxLength, N(s.File.MaxLength));
      set(txtRecentMax, N(s.File.RecentMax));
      set(chkAutoReload, B(s.File.AutoReload));
      set(chkMakeBackup, B(s.File.MakeBackup));
      set(txtBackupFolder, s.File.BackupFolder);
      set(cboNewFileCharset, N(s.File.NewFileCharset));
      break;
    case kPagePrint:
      set(txtHeadLine, s.Print.HeadLine);
      set(txtFootLine, s.Print.FootLine);
      set(chkPrintHeadLine, B(s.Print.PrintHeadLine));
      set(chkPrintFootLine, B(s.Print.PrintFootLine));
      set(cboPrintFontName, s.Print.PrintFontName);
      set(txtHeadLinePosition, N(s.Print.HeadLinePosition));
      set(txtFootLinePosition, N(s.Print.FootLinePosition));
      set(txtPrintFontSize, N(s.Print.PrintFontSize));
      set(txtM_Top, N(s.Print.M_Top));
      set(txtM_Bottom, N(s.Print.M_Bottom));
      set(txtM_Left, N(s.Print.M_Left));
      set(txtM_Right, N(s.Print.M_Right));
      set(txtLinePerPage, N(s.Print.LinePerPage));
      set(txtColumnsPerLine, N(s.Print.ColumnsPerLine));
      break;
    case kPageEdit:
      set(txtTabStop, N(s.Edit.TabStop));
      set(chkUseTabCode, B(s.Edit.UseTabCode));
      set(cboInitImeMode, N(s.Edit.InitImeMode));
      set(chkWriteUndoLog, B(s.Edit.WriteUndoLog));
      set(chkKeepLogAfterSave, B(s.Edit.KeepLogAfterSave));
      set(chkClearLogsByBytes, B(s.Edit.ClearLogsByBytes));
      set(txtLostBytesStartClear, N(s.Edit.LostBytesStartClear));
      set(txtLostBytesEndClear, N(s.Edit.LostBytesEndClear));
      set(chkClearLogsAllByBigChange, B(s.Edit.ClearLogsAllByBigChange));
      set(txtMaxLogBytes, N(s.Edit.MaxLogBytes));
      break;
    case kPageVision: {
      const VisionSettings& v = s.Vision;
      set(chkToolBar, B(v.ToolBar));
      set(chkStatusBar, B(v.StatusBar));
      set(txtLeftBlank, N(v.LeftBlank));
      set(cboFontName, v.FontName);
      set(txtFontSize, N(v.FontSize));
      set(chkWordWrap, B(v.WordWrap));
      set(chkPageTabs, B(v.PageTabs));
      // A stored colour of one family shows that family; any other leaves both unchosen.
      set(optForeYellowWhite, B(v.ForeRed == 255 && v.ForeGreen == 255));
      set(optForeBlackBlue, B(v.ForeRed == 0 && v.ForeGreen == 0));
      set(barForeColor, N(v.ForeBlue));
      set(optBackYellowWhite, B(v.BackRed == 255 && v.BackGreen == 255));
      set(optBackBlackBlue, B(v.BackRed == 0 && v.BackGreen == 0));
      set(barBackColor, N(v.BackBlue));
      set(chkLineNumbers, B(v.LineNumbers));
      set(chkCaretLine, B(v.CaretLine));
      set(chkShowMarks, B(v.ShowMarks));
      set(chkMarkTab, B(v.MarkTab));
      set(chkMarkWideSpace, B(v.MarkWideSpace));
      set(chkMarkLineEnd, B(v.MarkLineEnd));
      set(chkMarkEof, B(v.MarkEof));
      set(txtMarkRed, N(v.MarkRed));
      set(txtMarkGreen, N(v.MarkGreen));
      set(txtMarkBlue, N(v.MarkBlue));
      set(chkWrapAtColumns, B(v.WrapAtColumns));
      set(txtWrapColumns, N(v.WrapColumns));
      break;
    }
    case kPageFindReplace:
      set(chkWantTabs, B(s.FindReplace.WantTabs));
      for (int i = 0; i < kTagCount; ++i) {
        symbols_.at(static_cast<std::size_t>(i)) =
            Cp932ToUtf8(s.FindReplace.Symbols.at(static_cast<std::size_t>(i)));
      }
      edited_.at(static_cast<std::size_t>(txtTagSymbol)) = false;
      break;
    case kPageHelp:
      set(txtSecondHelp, s.Help.HasSecondHelp() ? s.Help.SecondHelpFile : std::string());
      break;
    default:
      break;
  }
}

// ---- buttons ----

bool OptionsDialog::Fail(int page, OptionControl control, const std::string& message, int index) {
  context_.ui.ShowMessageBox(message, MB_OK | MB_ICONWARNING, GroupCaption(page));
  focus_ = OptionFocus{control, index};
  return false;
}

bool OptionsDialog::ApplyPage(int page) {
  switch (page) {
    case kPageFile:
      return ApplyFile();
    case kPagePrint:
      return ApplyPrint();
    case kPageEdit:
      return ApplyEdit();
    case kPageVision:
      return ApplyVision();
    case kPageFindReplace:
      return ApplyFindReplace();
    case kPageHelp:
      return ApplyHelp();
    default:
      return true;
  }
}

bool OptionsDialog::Apply() {
  if (page_ == kPageGeneral) return true;
  if (!ApplyPage(page_)) return false;
  context_.settings.Save();
  changed_.at(static_cast<std::size_t>(page_)) = false;
  return true;
}

void OptionsDialog::Undo() {
  if (page_ == kPageGeneral) return;
  Fill(page_);
  changed_.at(static_cast<std::size_t>(page_)) = false;
}

void OptionsDialog::Reset() {
  if (page_ != kPageGeneral) changed_.at(static_cast<std::size_t>(page_)) = true;
}

bool OptionsDialog::Ok() {
  std::optional<int> firstFailed;
  bool shownFailed = false;
  std::optional<OptionFocus> focus;
  for (int page = kPageFile; page < kOptionPageCount; ++page) {
    if (!Changed(page)) continue;
    if (ApplyPage(page)) {
      changed_.at(static_cast<std::size_t>(page)) = false;
      continue;
    }
    if (!firstFailed) {
      firstFailed = page;
      focus = focus_;
    }
    if (page == page_) {
      shownFailed = true;
      focus = focus_;
    }
  }
  context_.settings.Save();
  if (!firstFailed) {
    result_ = Result::Ok;
    return true;
  }
  if (!shownFailed) SwitchTo(*firstFailed);
  focus_ = focus;
  return false;
}

// ---- page 1 ----

bool OptionsDialog::ApplyFile() {
  using enum OptionControl;
  if (Edited(txtMaxLength) && !InRange(Value(txtMaxLength), 1024, 104857600)) {
    return Fail(kPageFile, txtMaxLength,
                "ﾌｧｲﾙの最大ｻｲｽﾞは 1024 ～ 104857600 ﾊﾞｲﾄに設定して下さい。");
  }
  if (Edited(txtRecentMax) && !InRange(Value(txtRecentMax), 4, 99)) {
    return Fail(kPageFile, txtRecentMax, "最近使ったﾌｧｲﾙの記憶数は 4 ～ 99 に設定して下さい。");
  }
  // Backups go beside each file unless a folder is named; one that is named must be there.
  const std::string& backupFolder = Value(txtBackupFolder);
  if ((Edited(txtBackupFolder) || Edited(chkMakeBackup)) && !backupFolder.empty() &&
      (backupFolder.front() != '/' || !IsFolder(backupFolder))) {
    return Fail(kPageFile, txtBackupFolder,
                "ﾊﾞｯｸｱｯﾌﾟ先のﾌｫﾙﾀﾞは、存在するﾌｫﾙﾀﾞをﾌﾙﾊﾟｽで指定して下さい。");
  }
  FileSettings& file = context_.settings.File;
  if (Edited(txtMaxLength)) {
    const int maxLength = ToInt(Value(txtMaxLength));
    if (maxLength != file.MaxLength) {
      file.MaxLength = maxLength;
      for (const PageListEntry& entry : context_.documents.List().Entries()) {
        TextControl& control = entry.page->Control();
        // A Page held with CR LF for an LF-only file keeps room for what it holds: the limit
        // never falls below its text, as when it was loaded.
        std::size_t limit = static_cast<std::size_t>(maxLength);
        if (entry.page->LfLineBreaks()) limit = std::max(limit, control.TextLength());
        control.LimitText(limit);
      }
    }
  }
  if (Edited(txtRecentMax)) {
    file.RecentMax = ToInt(Value(txtRecentMax));
    // The oldest files go; the list's end is the most recent.
    std::vector<std::string>& recent = file.RecentFiles;
    if (recent.size() > static_cast<std::size_t>(file.RecentMax)) {
      recent.erase(recent.begin(), recent.end() - file.RecentMax);
    }
  }
  file.AutoReload = Checked(chkAutoReload);
  file.MakeBackup = Checked(chkMakeBackup);
  file.BackupFolder = backupFolder;
  file.NewFileCharset = ToInt(Value(cboNewFileCharset)) == 1 ? 1 : 0;
  context_.settings.SaveFile();
  Fill(kPageFile);
  return true;
}

// ---- page 2 ----

std::pair<int, int> OptionsDialog::PaperSize() const {
  std::optional<PrinterInformation> info;
  if (context_.printer) info = context_.printer();
  if (!info || info->paperLengthMm <= 0 || info->paperWidthMm <= 0)
    return {kNoPrinterPaper, kNoPrinterPaper};
  return {info->paperLengthMm, info->paperWidthMm};
}

std::vector<std::string> OptionsDialog::PrinterLabels() const {
  std::optional<PrinterInformation> info;
  if (context_.printer) info = context_.printer();
  const auto [length, width] = PaperSize();
  if (!info) {
    return {"ﾌﾟﾘﾝﾀ名 : (ﾌﾟﾘﾝﾀ無し)",
            "用紙ｻｲｽﾞ : ",
            "印刷方向 : ",
            "ﾎﾟｰﾄ : ",
            "用紙長 : " + N(length) + "mm",
            "用紙幅 : " + N(width) + "mm"};
  }
  return {"ﾌﾟﾘﾝﾀ名 : " + info->printerName,
          "用紙ｻｲｽﾞ : " + info->paperName,
          std::string("印刷方向 : ") + (info->portrait ? "タテ" : "ヨコ"),
          "ﾎﾟｰﾄ : " + info->port,
          "用紙長 : " + N(length) + "mm",
          "用紙幅 : " + N(width) + "mm"};
}

bool OptionsDialog::ApplyPrint() {
  using enum OptionControl;
  // A template the print job could not compile would make every print fail: refused here.
  for (const auto& [box, which] : {std::pair{txtHeadLine, "ﾍｯﾀﾞｰ"}, std::pair{txtFootLine, "ﾌｯﾀｰ"}}) {
    if (const auto bad = PrintTemplate::Check(Value(box)))
      return Fail(kPagePrint, box, PrintTemplate::ErrorMessage(which, *bad));
  }
  PrintSettings& print = context_.settings.Print;
  print.HeadLine = Value(txtHeadLine);
  print.FootLine = Value(txtFootLine);
  print.PrintHeadLine = Checked(chkPrintHeadLine);
  print.PrintFootLine = Checked(chkPrintFootLine);
  print.PrintFontName = Value(cboPrintFontName);

  const auto [paperLength, paperWidth] = PaperSize();
  const std::string caption(GroupCaption(kPagePrint));
  struct Check {
    OptionControl control;
    std::int64_t low;
    std::int64_t high;
    const char* message;
  };
  constexpr std::int64_t kNoLimit = INT32_MAX;
  const Check stops[] = {
      {txtHeadLinePosition, 0, paperLength,
       "ﾍｯﾀﾞｰと用紙上端との距離は 0 ～ 用紙長 に設定して下さい。"},
      {txtFootLinePosition, 0, paperLength,
       "ﾌｯﾀｰと用紙下端との距離は 0 ～ 用紙長 に設定して下さい。"},
      {txtPrintFontSize, 1, 128, "印刷文字ｻｲｽﾞは 1 ～ 128 に設定して下さい。"},
      {txtM_Top, 0, kNoLimit, "上余白の値が小さすぎます。"},
      {txtM_Bottom, 0, kNoLimit, "下余白の値が小さすぎます。"},
      {txtM_Left, 0, kNoLimit, "左余白の値が小さすぎます。"},
      {txtM_Right, 0, kNoLimit, "右余白の値が小さすぎます"},
  };
  for (const Check& check : stops) {
    if (!InRange(Value(check.control), check.low, check.high))
      return Fail(kPagePrint, check.control, check.message);
  }
  print.HeadLinePosition = ToInt(Value(txtHeadLinePosition));
  print.FootLinePosition = ToInt(Value(txtFootLinePosition));
  print.PrintFontSize = ToInt(Value(txtPrintFontSize));

  // These two report and go on; the margins they concern keep their old values.
  bool reported = false;
  const int top = ToInt(Value(txtM_Top));
  const int bottom = ToInt(Value(txtM_Bottom));
  if (static_cast<std::int64_t>(top) + bottom < paperLength) {
    print.M_Top = top;
    print.M_Bottom = bottom;
  } else {
    reported = !Fail(kPagePrint, txtM_Top, "上余白と下余白の合計が用紙長を越えています");
  }
  const int left = ToInt(Value(txtM_Left));
  const int right = ToInt(Value(txtM_Right));
  if (static_cast<std::int64_t>(left) + right < paperWidth) {
    print.M_Left = left;
    print.M_Right = right;
  } else {
    reported =
        !Fail(kPagePrint, txtM_Left, "左余白と右余白の合計が用紙幅を越えています") || reported;
  }

  if (!InRange(Value(txtLinePerPage), 1, kNoLimit)) {
    return Fail(kPagePrint, txtLinePerPage, "1ﾍﾟｰｼﾞあたりの行数は 1以上 に設定して下さい");
  }
  print.LinePerPage = ToInt(Value(txtLinePerPage));
  if (!InRange(Value(txtColumnsPerLine), 2, kNoLimit)) {
    return Fail(kPagePrint, txtColumnsPerLine, "1行あたりの字数は 2以上 に設定して下さい");
  }
  print.ColumnsPerLine = ToInt(Value(txtColumnsPerLine));

  if (reported) {
    // The page shows what was taken; the margins the user has to look at again are the old ones.
    Fill(kPagePrint);
    changed_.at(static_cast<std::size_t>(kPagePrint)) = false;
    return false;
  }
  context_.settings.SavePrint();
  return true;
}

bool OptionsDialog::ToggleCodeList(OptionControl box) {
  if (box != OptionControl::txtHeadLine && box != OptionControl::txtFootLine) return false;
  if (codeListBox_ == box) {
    codeListBox_.reset();
    return false;
  }
  codeListBox_ = box;
  return true;
}

std::optional<std::size_t> OptionsDialog::InsertPrintCode(std::size_t code, std::size_t selStart,
                                                          std::size_t selLength) {
  if (!codeListBox_ || code >= kPrintCodes.size()) return std::nullopt;
  const std::string& text = Value(*codeListBox_);
  const std::string_view insert = kPrintCodes.at(code).code;
  const std::size_t chars = CharCount(text);
  selStart = std::min(selStart, chars);
  selLength = std::min(selLength, chars - selStart);
  if (chars - selLength + CharCount(insert) > kTemplateMax) return std::nullopt;
  const std::size_t from = ByteOfChar(text, selStart);
  const std::size_t to = ByteOfChar(text, selStart + selLength);
  std::string result = text.substr(0, from) + std::string(insert) + text.substr(to);
  Edit(*codeListBox_, std::move(result));
  return selStart + CharCount(insert);
}

// ---- page 3 ----

const std::vector<std::pair<std::string, int>>& OptionsDialog::NewFileCharsetChoices() {
  static const std::vector<std::pair<std::string, int>> choices = {{"Shift_JIS", 0}, {"UTF-8", 1}};
  return choices;
}

const std::vector<std::pair<std::string, int>>& OptionsDialog::ImeModeChoices() {
  static const std::vector<std::pair<std::string, int>> choices = {
      {"(設定無し)", 3}, {"ｵﾝ", 2}, {"ｵﾌ", 1}, {"全角ひらがな", 6}};
  return choices;
}

std::string OptionsDialog::LogBytesLabel() const {
  return "現在の [戻す] ための記録文字数 : " + std::to_string(context_.log.TotalBytes());
}

std::string OptionsDialog::UndoLogsLabel() const {
  return "現在 [戻す] ことが可能な動作数 : " + std::to_string(context_.log.RecordCount());
}

bool OptionsDialog::ApplyEdit() {
  using enum OptionControl;
  if (Edited(txtTabStop) && !InRange(Value(txtTabStop), 1, 99)) {
    return Fail(kPageEdit, txtTabStop, "ﾀﾌﾞ間隔は 1 ～ 99 に設定して下さい。");
  }
  const bool trimEdited = Edited(txtLostBytesStartClear) || Edited(txtLostBytesEndClear);
  std::int64_t start = 0;
  std::int64_t end = 0;
  if (trimEdited) {
    if (!InRange(Value(txtLostBytesStartClear), 2048, INT32_MAX)) {
      return Fail(kPageEdit, txtLostBytesStartClear,
                  "[戻す]記録を減らし始める文字数は 2048以上 にして下さい");
    }
    start = *ParseNumber(Value(txtLostBytesStartClear));
    const auto endValue = ParseNumber(Value(txtLostBytesEndClear));
    end = endValue.value_or(0);
    if (end < 0) {
      end = 0;
      Slot(txtLostBytesEndClear, 0) = "0";
    }
    // 80% of the start exactly is allowed; no number (an emptied box) is not.
    if (!endValue || end * 5 > start * 4) {
      return Fail(kPageEdit, txtLostBytesEndClear,
                  "[戻す]記録を減らし終える文字数は " + std::to_string(start * 4 / 5) +
                      "(減らし始める文字数の80%)以下 にして下さい");
    }
  }
  if (Edited(txtMaxLogBytes) && !InRange(Value(txtMaxLogBytes), 256, INT32_MAX)) {
    return Fail(kPageEdit, txtMaxLogBytes,
                "1動作で[戻す]記録を全ｸﾘｱさせる最低文字数は 256以上 にして下さい");
  }
  EditSettings& edit = context_.settings.Edit;
  if (Edited(txtTabStop)) edit.TabStop = ToInt(Value(txtTabStop));
  edit.UseTabCode = Checked(chkUseTabCode);
  edit.InitImeMode = ToInt(Value(cboInitImeMode));
  edit.WriteUndoLog = Checked(chkWriteUndoLog);
  edit.KeepLogAfterSave = Checked(chkKeepLogAfterSave);
  edit.ClearLogsByBytes = Checked(chkClearLogsByBytes);
  if (trimEdited) {
    edit.LostBytesStartClear = static_cast<int>(start);
    edit.LostBytesEndClear = static_cast<int>(end);
  }
  edit.ClearLogsAllByBigChange = Checked(chkClearLogsAllByBigChange);
  if (Edited(txtMaxLogBytes)) edit.MaxLogBytes = ToInt(Value(txtMaxLogBytes));
  context_.log.Configure(edit);
  context_.settings.SaveEdit();
  Fill(kPageEdit);
  return true;
}

// ---- page 4 ----

OptionColour OptionsDialog::ColourOf(bool fore) const {
  using enum OptionControl;
  const VisionSettings& v = context_.settings.Vision;
  const int blue = std::clamp(ToInt(Value(fore ? barForeColor : barBackColor)), 0, 255);
  if (Checked(fore ? optForeYellowWhite : optBackYellowWhite)) return {255, 255, blue};
  if (Checked(fore ? optForeBlackBlue : optBackBlackBlue)) return {0, 0, blue};
  return fore ? OptionColour{v.ForeRed, v.ForeGreen, blue}
              : OptionColour{v.BackRed, v.BackGreen, blue};
}

bool OptionsDialog::ApplyVision() {
  using enum OptionControl;
  if (!InRange(Value(txtLeftBlank), 0, 99))
    return Fail(kPageVision, txtLeftBlank, "左余白は 0 ～ 99 に設定して下さい。");
  if (!InRange(Value(txtFontSize), 1, 128))
    return Fail(kPageVision, txtFontSize, "文字ｻｲｽﾞは 1 ～ 128 に設定して下さい。");
  for (OptionControl part : {txtMarkRed, txtMarkGreen, txtMarkBlue}) {
    if (!InRange(Value(part), 0, 255))
      return Fail(kPageVision, part, "記号の色は 0 ～ 255 に設定して下さい。");
  }
  if (!InRange(Value(txtWrapColumns), 4, 999))
    return Fail(kPageVision, txtWrapColumns, "折返し桁数は 4 ～ 999 に設定して下さい。");
  VisionSettings& v = context_.settings.Vision;
  const OptionColour fore = ForeColour();
  const OptionColour back = BackColour();
  v.ForeRed = fore.red;
  v.ForeGreen = fore.green;
  v.ForeBlue = fore.blue;
  v.BackRed = back.red;
  v.BackGreen = back.green;
  v.BackBlue = back.blue;
  v.FontName = Value(cboFontName);
  v.FontSize = ToInt(Value(txtFontSize));
  v.LeftBlank = ToInt(Value(txtLeftBlank));
  v.ToolBar = Checked(chkToolBar);
  v.StatusBar = Checked(chkStatusBar);
  v.WordWrap = Checked(chkWordWrap);
  v.PageTabs = Checked(chkPageTabs);
  v.LineNumbers = Checked(chkLineNumbers);
  v.CaretLine = Checked(chkCaretLine);
  v.ShowMarks = Checked(chkShowMarks);
  v.MarkTab = Checked(chkMarkTab);
  v.MarkWideSpace = Checked(chkMarkWideSpace);
  v.MarkLineEnd = Checked(chkMarkLineEnd);
  v.MarkEof = Checked(chkMarkEof);
  v.MarkRed = ToInt(Value(txtMarkRed));
  v.MarkGreen = ToInt(Value(txtMarkGreen));
  v.MarkBlue = ToInt(Value(txtMarkBlue));
  v.WrapAtColumns = Checked(chkWrapAtColumns);
  v.WrapColumns = ToInt(Value(txtWrapColumns));
  for (const PageListEntry& entry : context_.documents.List().Entries())
    context_.host.StylePage(*entry.page, v);
  context_.host.ShowBars(v.ToolBar, v.StatusBar);
  context_.host.FindWindowOptionsChanged();
  context_.settings.SaveVision();
  Fill(kPageVision);
  return true;
}

// ---- page 5 ----

TagSymbolRow OptionsDialog::TagRow(int index) const {
  TagSymbolRow row;
  const TagRecord* record = context_.tags.Record(index);
  if (record == nullptr) return row;
  row.symbol = symbols_.at(static_cast<std::size_t>(index));
  row.meaning = record->description;
  std::string example;
  if (context_.tags.RenderExample(index, example)) row.example = Cp932ToUtf8(example);
  switch (record->tagClass) {
    case TagClass::Find:
      row.kind = "(検索)";
      break;
    case TagClass::Replace:
      row.kind = "(置換)";
      break;
    case TagClass::Structural:
      row.kind = "(共通)";
      break;
  }
  row.editable = index >= 1 && index < kTagCount;
  return row;
}

bool OptionsDialog::ApplyFindReplace() {
  using enum OptionControl;
  for (int i = 1; i < kTagCount; ++i) {
    if (symbols_.at(static_cast<std::size_t>(i)).empty()) {
      return Fail(kPageFindReplace, txtTagSymbol, "ﾀｸﾞ記号は 1文字以上 を設定して下さい。", i);
    }
  }
  FindReplaceSettings& findReplace = context_.settings.FindReplace;
  findReplace.WantTabs = Checked(chkWantTabs);
  for (int i = 1; i < kTagCount; ++i) {
    std::string symbol = Utf8ToCp932(symbols_.at(static_cast<std::size_t>(i)));
    if (symbol != findReplace.Symbols.at(static_cast<std::size_t>(i)))
      findReplace.SetSymbol(i, std::move(symbol));
  }
  context_.settings.SaveFindReplace();
  // The engine reads the symbols in force from the settings: the next find uses them.
  context_.host.FindWindowOptionsChanged();
  Fill(kPageFindReplace);
  return true;
}

// ---- page 6 ----

const std::string& OptionsDialog::MainHelpFile() const {
  return context_.settings.Help.MainHelpFile;
}

bool OptionsDialog::BrowseSecondHelp() {
  FileDialogRequest request;
  // The second help is any page or text file; the old help format stays selectable.
  request.filters = {{"ﾍﾙﾌﾟﾌｧｲﾙ(*.htm;*.html;*.txt)", "*.htm;*.html;*.txt"},
                     {"ﾍﾙﾌﾟﾌｧｲﾙ(*.hlp)", "*.hlp"},
                     {"すべてのﾌｧｲﾙ (*.*)", "*.*"}};
  request.mustExist = true;
  const std::string& current = Value(OptionControl::txtSecondHelp);
  if (!current.empty()) request.fileName = current;
  const FileDialogResult result = context_.ui.ShowOpenDialog(request);
  if (!result.accepted || result.files.empty()) return false;
  Edit(OptionControl::txtSecondHelp, result.files.front());
  return true;
}

bool OptionsDialog::ApplyHelp() {
  HelpSettings& help = context_.settings.Help;
  const std::string path = Value(OptionControl::txtSecondHelp);
  const std::string current = help.HasSecondHelp() ? help.SecondHelpFile : std::string();
  if (!path.empty() && path != current && !IsFile(path)) {
    const int answer = context_.ui.ShowMessageBox(
        "第2ﾍﾙﾌﾟﾌｧｲﾙに指定された\n" + path + "\n  は存在しません。設定し直しますか?",
        MB_YESNO | MB_ICONWARNING, GroupCaption(kPageHelp));
    if (answer == IDYES) {
      focus_ = OptionFocus{OptionControl::txtSecondHelp, 0};
      return false;
    }
    // No: the second help stays as it was.
    Fill(kPageHelp);
    return true;
  }
  help.SetSecondHelp(path);
  Fill(kPageHelp);
  return true;
}

}  // namespace norra

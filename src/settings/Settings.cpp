// Loading and saving the settings: section records, corrections, recent lists, legacy files.
#include "settings/Settings.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

#include "settings/SettingRanges.h"
#include "settings/SettingsBackup.h"
#include "text/AsciiCase.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace norra {
namespace {

constexpr std::string_view kRecentKey = "Recent";
constexpr std::string_view kRecentGroupKey = "RecentGroup";
constexpr std::string_view kOldAutoClearSection = "EDIT";
constexpr std::string_view kOldAutoClearKey = "AutoClearByLogBytes";

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

// Key names compare without regard to ASCII case, as the INI file does.
bool SameKey(std::string_view a, std::string_view b) { return EqualsIgnoringAsciiCase(a, b); }

// Index n of a key spelled prefix + n (n in plain decimal, as written), or -1.
long NumberedKeyIndex(std::string_view key, std::string_view prefix) {
  if (key.size() <= prefix.size() || key.size() > prefix.size() + 10) return -1;
  if (!SameKey(key.substr(0, prefix.size()), prefix)) return -1;
  std::string_view digits = key.substr(prefix.size());
  if (digits.size() > 1 && digits.front() == '0') return -1;
  long n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

// The keys prefix + n with n below limit, highest n first. Looking at the keys present
// instead of trying every n keeps a huge stored RecentMax cheap.
std::vector<std::pair<long, std::string>> NumberedKeys(const IniFile& file,
                                                       std::string_view section,
                                                       std::string_view prefix, long limit) {
  std::vector<std::pair<long, std::string>> found;
  for (std::string& key : file.ReadSectionKeys(section)) {
    long n = NumberedKeyIndex(key, prefix);
    if (n >= 0 && n < limit) found.emplace_back(n, std::move(key));
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  return found;
}

void AppendUnique(std::vector<std::string>& list, std::string value) {
  if (value.empty()) return;
  if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(std::move(value));
}

// Writes a recent list most recent first as prefix0, prefix1, ... and removes numbered keys
// left over from a longer list, which would otherwise come back on a later load.
bool WriteRecentList(IniFile& file, std::string_view section, std::string_view prefix,
                     const std::vector<std::string>& list) {
  bool ok = true;
  long next = 0;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    // A path the file cannot hold is left out rather than failing every save.
    if (it->empty() || !IniFile::CanHoldValue(*it)) continue;
    ok = file.WriteString(section, std::string(prefix) + std::to_string(next), *it) && ok;
    ++next;
  }
  for (const std::string& key : file.ReadSectionKeys(section)) {
    if (NumberedKeyIndex(key, prefix) >= next) file.DeleteKey(section, key);
  }
  return ok;
}

void AddRecent(std::vector<std::string>& list, const std::string& path, int bound) {
  if (path.empty()) return;
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
  list.push_back(path);
  std::size_t keep = bound > 0 ? static_cast<std::size_t>(bound) : 0;
  if (list.size() > keep) list.erase(list.begin(), list.end() - static_cast<std::ptrdiff_t>(keep));
}

// The first count characters of a CP932 text; a two-byte character is never split.
std::string CutChars(const std::string& cp932, int count) {
  std::size_t at = 0;
  for (int i = 0; i < count && at < cp932.size(); ++i)
    at += static_cast<std::size_t>(CharStepAt(cp932, at));
  return cp932.substr(0, std::min(at, cp932.size()));
}

void EraseLegacySections(IniFile& file) {
  for (std::string_view s : {"WINDOW", "FILE", "DISPLAY", "EDIT", "FINDREPLACE", "HELP"}) {
    file.EraseSection(s);
  }
}

void DeleteOldAutoClearKey(IniFile& file) {
  file.DeleteKey(kOldAutoClearSection, kOldAutoClearKey);
}

// One plain key of a section record: its name and the member it loads into and saves from.
// Tables of these keep each section's keys, in their order on disk, in one place.
template <class Section>
struct Field {
  std::string_view key;
  std::variant<int Section::*, bool Section::*, std::string Section::*> member;
};

void ReadValue(const IniFile& f, std::string_view s, std::string_view key, int& value) {
  value = InRangeSetting(s, key, f.ReadInteger(s, key, value));
}
void ReadValue(const IniFile& f, std::string_view s, std::string_view key, bool& value) {
  value = f.ReadBool(s, key, value);
}
void ReadValue(const IniFile& f, std::string_view s, std::string_view key, std::string& value) {
  value = f.ReadString(s, key, value);
}
bool WriteValue(IniFile& f, std::string_view s, std::string_view key, int value) {
  return f.WriteInteger(s, key, value);
}
bool WriteValue(IniFile& f, std::string_view s, std::string_view key, bool value) {
  return f.WriteBool(s, key, value);
}
bool WriteValue(IniFile& f, std::string_view s, std::string_view key, const std::string& value) {
  return f.WriteString(s, key, value);
}

// Values missing from the file keep what the record holds.
template <class Section, std::size_t N>
void ReadFields(const IniFile& f, Section& record, const std::array<Field<Section>, N>& fields) {
  for (const Field<Section>& field : fields) {
    std::visit([&](auto member) { ReadValue(f, Section::kSection, field.key, record.*member); },
               field.member);
  }
}

template <class Section, std::size_t N>
bool WriteFields(IniFile& f, const Section& record, const std::array<Field<Section>, N>& fields) {
  bool ok = true;
  for (const Field<Section>& field : fields) {
    std::visit(
        [&](auto member) { ok = WriteValue(f, Section::kSection, field.key, record.*member) && ok; },
        field.member);
  }
  return ok;
}

using PS = PrintSettings;
const std::array<Field<PS>, 17> kPrintFields{{
    {"M_Top", &PS::M_Top},
    {"M_Bottom", &PS::M_Bottom},
    {"M_Left", &PS::M_Left},
    {"M_Right", &PS::M_Right},
    {"LinePerPage", &PS::LinePerPage},
    {"ColumnsPerLine", &PS::ColumnsPerLine},
    {"Copies", &PS::Copies},
    {"PrintOrder", &PS::PrintOrder},
    {"PrintRange", &PS::PrintRange},
    {"HeadLine", &PS::HeadLine},
    {"FootLine", &PS::FootLine},
    {"PrintHeadLine", &PS::PrintHeadLine},
    {"PrintFootLine", &PS::PrintFootLine},
    {"HeadLinePosition", &PS::HeadLinePosition},
    {"FootLinePosition", &PS::FootLinePosition},
    {"PrintFontName", &PS::PrintFontName},
    {"PrintFontSize", &PS::PrintFontSize},
}};

using ES = EditSettings;
const std::array<Field<ES>, 10> kEditFields{{
    {"UseTabCode", &ES::UseTabCode},
    {"TabStop", &ES::TabStop},
    {"InitImeMode", &ES::InitImeMode},
    {"WriteUndoLog", &ES::WriteUndoLog},
    {"KeepLogAfterSave", &ES::KeepLogAfterSave},
    {"LostBytesStartClear", &ES::LostBytesStartClear},
    {"LostBytesEndClear", &ES::LostBytesEndClear},
    {"ClearLogsByBytes", &ES::ClearLogsByBytes},
    {"MaxLogBytes", &ES::MaxLogBytes},
    {"ClearLogsAllByBigChange", &ES::ClearLogsAllByBigChange},
}};

using VS = VisionSettings;
const std::array<Field<VS>, 25> kVisionFields{{
    {"ToolBar", &VS::ToolBar},
    {"StatusBar", &VS::StatusBar},
    {"LeftBlank", &VS::LeftBlank},
    {"FontName", &VS::FontName},
    {"FontSize", &VS::FontSize},
    {"WordWrap", &VS::WordWrap},
    {"ForeRed", &VS::ForeRed},
    {"ForeGreen", &VS::ForeGreen},
    {"ForeBlue", &VS::ForeBlue},
    {"BackRed", &VS::BackRed},
    {"BackGreen", &VS::BackGreen},
    {"BackBlue", &VS::BackBlue},
    {"PageTabs", &VS::PageTabs},
    {"LineNumbers", &VS::LineNumbers},
    {"CaretLine", &VS::CaretLine},
    {"ShowMarks", &VS::ShowMarks},
    {"MarkTab", &VS::MarkTab},
    {"MarkWideSpace", &VS::MarkWideSpace},
    {"MarkLineEnd", &VS::MarkLineEnd},
    {"MarkEof", &VS::MarkEof},
    {"MarkRed", &VS::MarkRed},
    {"MarkGreen", &VS::MarkGreen},
    {"MarkBlue", &VS::MarkBlue},
    {"WrapAtColumns", &VS::WrapAtColumns},
    {"WrapColumns", &VS::WrapColumns},
}};

using WS = WindowSettings;
const std::array<Field<WS>, 6> kWindowFields{{
    {"Top", &WS::Top},
    {"Left", &WS::Left},
    {"Height", &WS::Height},
    {"Width", &WS::Width},
    {"WindowState", &WS::WindowState},
    {"ChildWindowState", &WS::ChildWindowState},
}};

template <class Known>
bool AnyKey(const IniFile& file, std::string_view section, Known known) {
  for (const std::string& key : file.ReadSectionKeys(section)) {
    if (known(key)) return true;
  }
  return false;
}

template <class Section, std::size_t N>
bool IsField(std::string_view key, const std::array<Field<Section>, N>& fields) {
  return std::any_of(fields.begin(), fields.end(),
                     [&](const Field<Section>& f) { return SameKey(key, f.key); });
}

// Keys only the format before version 200 wrote (its other keys are also today's).
bool HasLegacyKeys(const IniFile& file) {
  static constexpr std::pair<std::string_view, std::string_view> kOnlyLegacy[] = {
      {"EDIT", "FontSize"},
      {"DISPLAY", "Visible_ToolBar"},
      {"DISPLAY", "Visible_StatusBar"},
      {"FINDREPLACE", "WantTabs_FindReplace"},
      {"FINDREPLACE", "WILD_STRS"},
      {"FINDREPLACE", "WILD_STR"},
      {"FINDREPLACE", "WILD_CHAR"},
      {"FINDREPLACE", "WILD_NUM"},
      {"FINDREPLACE", "WILD_WHICH"},
      {"FINDREPLACE", "WILD_NOT"},
      {"FINDREPLACE", "WILD_BRACKETCODE"},
      {"WINDOW", "FR_WIDTH"},
      {"WINDOW", "FR_HEIGHT"},
      {"WINDOW", "MAIN_WIDTH"},
      {"WINDOW", "MAIN_HEIGHT"},
      {"WINDOW", "MAIN_TOP"},
      {"WINDOW", "MAIN_LEFT"},
      {"WINDOW", "MAIN_STATE"},
      {"HELP", "Help2FileName"},
  };
  for (const auto& [section, key] : kOnlyLegacy) {
    if (file.ValueExists(section, key)) return true;
  }
  return AnyKey(file, "FILE",
                [](std::string_view k) { return NumberedKeyIndex(k, "RecentFile") >= 0; });
}

// A short account of what Load found, for the notice.
std::string_view KindText(Settings::FileKind kind) {
  switch (kind) {
    case Settings::FileKind::Legacy:
      return "古い形式の設定ﾌｧｲﾙです。";
    case Settings::FileKind::Unversioned:
      return "設定ﾌｧｲﾙの版(IniVersion)が読めません。読める設定はそのまま使います。";
    default:
      return "設定ﾌｧｲﾙに Norra の設定が見つからないため、既定の設定を使います。";
  }
}

}  // namespace

void FindReplaceSettings::SetSymbol(int index, std::string cp932) {
  if (index < 1 || index >= kTagCount) return;
  Symbols[static_cast<std::size_t>(index)] = std::move(cp932);
  SymbolChanged[static_cast<std::size_t>(index)] = true;
}

bool HelpSettings::HasSecondHelp() const {
  return !SecondHelpFile.empty() && SecondHelpFile != kNoSecondHelp;
}

void HelpSettings::SetSecondHelp(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (path.empty() || name.empty() || path == kNoSecondHelp) {
    SecondHelpFile = kNoSecondHelp;
    SecondHelpName = kNoSecondHelp;
    return;
  }
  SecondHelpFile = path;
  SecondHelpName = std::move(name);
}

Settings::Settings(TagTable& tags, std::string settingsPath, const std::string& helpFolder,
                   ScreenSize screen)
    : tags_(tags), screen_(screen), file_(std::move(settingsPath)) {
  FindReplace.Symbols = tags.BuiltInSymbols();
  tags.AttachSymbols(&FindReplace.Symbols);
  Window.Height = screen.height - 60;
  Window.Width = screen.width - 60;
  Window.Top = (screen.height - Window.Height) / 2;
  Window.Left = (screen.width - Window.Width) / 2;
  Help.MainHelpFile = JoinPath(helpFolder, Help.MainHelpName);
}

bool Settings::Load(LoadMode mode) {
  keepFile_ = mode == LoadMode::ReadOnly;
  kind_ = FileKind::New;
  backupPath_.clear();
  notice_ = {};
  std::string bytes;
  IniFile::LoadResult result = file_.Load(bytes);
  if (result == IniFile::LoadResult::Failed) return false;

  General.IniVersion = file_.ReadInteger(GeneralSettings::kSection, "IniVersion", 0);
  olderVersion_ = General.IniVersion < kIniVersion;
  kind_ = Classify(bytes.empty());
  if (kind_ != FileKind::New && kind_ != FileKind::Current && !keepFile_) KeepCopy(bytes);

  switch (kind_) {
    case FileKind::New:
      // Nothing there to lose: the file is written in the current format at once.
      Commit(kAll);
      return true;
    case FileKind::Damaged:
      // Not this program's file: the defaults, and the file stays as it is until a save.
      return true;
    case FileKind::Legacy:
      // Take what the old sections hold, then rewrite the whole file in the current format.
      MigrateLegacy();
      Commit(kAll, EraseLegacySections);
      return true;
    case FileKind::Current:
      if (General.IniVersion <= 2808 && file_.ValueExists(kOldAutoClearSection, kOldAutoClearKey)) {
        Edit.ClearLogsAllByBigChange =
            file_.ReadBool(kOldAutoClearSection, kOldAutoClearKey, Edit.ClearLogsAllByBigChange);
        Commit(0, DeleteOldAutoClearKey);
      }
      break;
    case FileKind::Unversioned:
      break;
  }
  ReadGeneral();
  ReadFile();
  ReadPrint();
  ReadEdit();
  ReadVision();
  ReadFindReplace();
  ReadWindow();
  ReadHelp();
  return true;
}

Settings::FileKind Settings::Classify(bool empty) const {
  if (empty) return FileKind::New;
  if (General.IniVersion >= 200) return FileKind::Current;
  if (HasLegacyKeys(file_)) return FileKind::Legacy;
  if (file_.SectionExists(GeneralSettings::kSection)) return FileKind::Unversioned;

  // Any key this program reads from its own sections makes the file ours, its version lost.
  const auto file = [](std::string_view k) {
    return NumberedKeyIndex(k, kRecentKey) >= 0 || NumberedKeyIndex(k, kRecentGroupKey) >= 0 ||
           SameKey(k, "MaxLength") || SameKey(k, "RecentMax") || SameKey(k, "CurrentDir") ||
           SameKey(k, "GroupPath") || SameKey(k, "AutoReload") ||
           SameKey(k, "MakeBackup") || SameKey(k, "BackupFolder") ||
           SameKey(k, "NewFileCharset");
  };
  const auto edit = [](std::string_view k) {
    return IsField(k, kEditFields) || SameKey(k, kOldAutoClearKey);
  };
  const auto findReplace = [](std::string_view k) {
    return SameKey(k, "Width") || SameKey(k, "Height") || SameKey(k, "WantTabs") ||
           SameKey(k, "DiskPreview");
  };
  const auto symbol = [this](std::string_view k) {
    for (int i = 1; i < kTagCount; ++i) {
      const TagRecord* rec = tags_.Record(i);
      if (rec != nullptr && SameKey(k, rec->name)) return true;
    }
    return false;
  };
  const bool ours = AnyKey(file_, FileSettings::kSection, file) ||
                    AnyKey(file_, PrintSettings::kSection,
                           [](std::string_view k) { return IsField(k, kPrintFields); }) ||
                    AnyKey(file_, EditSettings::kSection, edit) ||
                    AnyKey(file_, VisionSettings::kSection,
                           [](std::string_view k) { return IsField(k, kVisionFields); }) ||
                    AnyKey(file_, FindReplaceSettings::kSection, findReplace) ||
                    AnyKey(file_, FindReplaceSettings::kSymbolSection, symbol) ||
                    AnyKey(file_, WindowSettings::kSection,
                           [](std::string_view k) { return IsField(k, kWindowFields); }) ||
                    file_.ValueExists(HelpSettings::kSection, "SecondHelp");
  return ours ? FileKind::Unversioned : FileKind::Damaged;
}

void Settings::KeepCopy(const std::string& bytes) {
  backupPath_ = KeepSettingsBackup(file_.Path(), bytes, kMaxBackupNumber);
  notice_.warning = kind_ != FileKind::Legacy;
  if (backupPath_.empty()) {
    // Without a copy the file must not be touched: this run's settings stay unsaved.
    keepFile_ = true;
    notice_.warning = true;
    notice_.text = std::string(KindText(kind_)) +
                   "\n控えのﾌｧｲﾙを作れないため、この設定ﾌｧｲﾙには書き込みません。\n" + file_.Path();
    return;
  }
  if (kind_ == FileKind::Legacy) {
    notice_.text =
        "古い形式の設定ﾌｧｲﾙを今の形式に変換しました。\n変換前のﾌｧｲﾙは次の名前で残してあります。\n" +
        backupPath_;
  } else {
    notice_.text =
        std::string(KindText(kind_)) + "\n元のﾌｧｲﾙは次の名前で残してあります。\n" + backupPath_;
  }
}

void Settings::ReadGeneral() {
  const auto s = GeneralSettings::kSection;
  General.UserName = file_.ReadString(s, "UserName", General.UserName);
  General.DispUserName = file_.ReadBool(s, "DispUserName", General.DispUserName);
  General.IniVersion = file_.ReadInteger(s, "IniVersion", General.IniVersion);
}

void Settings::ReadFile() {
  const auto s = FileSettings::kSection;
  File.MaxLength = InRangeSetting(s, "MaxLength", file_.ReadInteger(s, "MaxLength", File.MaxLength));
  File.RecentMax = InRangeSetting(s, "RecentMax", file_.ReadInteger(s, "RecentMax", File.RecentMax));
  // Oldest (highest index) first, so the end of the list is the most recent.
  for (const auto& [n, key] : NumberedKeys(file_, s, kRecentKey, File.RecentMax)) {
    AppendUnique(File.RecentFiles, file_.ReadString(s, key, ""));
  }
  for (const auto& [n, key] : NumberedKeys(file_, s, kRecentGroupKey, kRecentGroupMax)) {
    AppendUnique(File.RecentGroups, file_.ReadString(s, key, ""));
  }
  File.CurrentDir = file_.ReadString(s, "CurrentDir", File.CurrentDir);
  File.GroupPath = file_.ReadString(s, "GroupPath", File.GroupPath);
  File.AutoReload = file_.ReadBool(s, "AutoReload", File.AutoReload);
  File.MakeBackup = file_.ReadBool(s, "MakeBackup", File.MakeBackup);
  File.BackupFolder = file_.ReadString(s, "BackupFolder", File.BackupFolder);
  File.NewFileCharset = file_.ReadInteger(s, "NewFileCharset", File.NewFileCharset) == 1 ? 1 : 0;
}

void Settings::ReadPrint() {
  ReadFields(file_, Print, kPrintFields);
}

void Settings::ReadEdit() {
  ReadFields(file_, Edit, kEditFields);
  Edit.LostBytesEndClear = std::min(Edit.LostBytesEndClear, LargestEndClear(Edit.LostBytesStartClear));
}

void Settings::ReadVision() {
  ReadFields(file_, Vision, kVisionFields);
}

void Settings::ReadFindReplace() {
  const auto s = FindReplaceSettings::kSection;
  // A file without them yields 0; the find/replace window decides what 0 means.
  FindReplace.Width = file_.ReadInteger(s, "Width", 0);
  FindReplace.Height = file_.ReadInteger(s, "Height", 0);
  FindReplace.WantTabs = file_.ReadBool(s, "WantTabs", FindReplace.WantTabs);
  FindReplace.FoldWidth = file_.ReadBool(s, "FoldWidth", FindReplace.FoldWidth);
  FindReplace.FoldKana = file_.ReadBool(s, "FoldKana", FindReplace.FoldKana);
  FindReplace.DiskPreview = file_.ReadBool(s, "DiskPreview", true);
  for (int i = 1; i < kTagCount; ++i) {
    const TagRecord* rec = tags_.Record(i);
    if (rec == nullptr) continue;
    std::string stored = file_.ReadString(FindReplaceSettings::kSymbolSection, rec->name, "");
    if (!stored.empty()) FindReplace.SetSymbol(i, Utf8ToCp932(stored));
  }
}

void Settings::ReadWindow() {
  ReadFields(file_, Window, kWindowFields);
}

void Settings::ReadHelp() {
  // Only a value with a file-name part to show counts as a choice.
  std::string stored = file_.ReadString(HelpSettings::kSection, "SecondHelp", "");
  if (!stored.empty() && stored.back() != '/') Help.SetSecondHelp(stored);
}

void Settings::MigrateLegacy() {
  const IniFile& f = file_;

  File.MaxLength = InRangeSetting(FileSettings::kSection, "MaxLength",
                                  f.ReadInteger("FILE", "MaxLength", File.MaxLength));
  for (int i = 0; i < File.RecentMax; ++i) {
    std::string path = f.ReadString("FILE", "RecentFile" + std::to_string(i), "");
    if (path.empty()) break;
    AppendUnique(File.RecentFiles, std::move(path));
  }

  Edit.UseTabCode = f.ReadBool("EDIT", "UseTabCode", Edit.UseTabCode);
  Edit.TabStop = InRangeSetting(EditSettings::kSection, "TabStop",
                                f.ReadInteger("EDIT", "TabStop", Edit.TabStop));
  Edit.InitImeMode = f.ReadInteger("EDIT", "InitImeMode", Edit.InitImeMode);

  Vision.ToolBar = f.ReadBool("DISPLAY", "Visible_ToolBar", Vision.ToolBar);
  Vision.StatusBar = f.ReadBool("DISPLAY", "Visible_StatusBar", Vision.StatusBar);
  Vision.FontSize = InRangeSetting(VisionSettings::kSection, "FontSize",
                                   f.ReadInteger("EDIT", "FontSize", Vision.FontSize));

  FindReplace.WantTabs = f.ReadBool("FINDREPLACE", "WantTabs_FindReplace", false);
  FindReplace.Width = f.ReadInteger("WINDOW", "FR_WIDTH", FindReplace.Width);
  FindReplace.Height = f.ReadInteger("WINDOW", "FR_HEIGHT", FindReplace.Height);

  // Marked as the user's, so the save that ends the migration keeps them.
  struct Wild {
    int tag;
    const char* key;
    const char* def;
  };
  static constexpr Wild kWild[] = {
      {TAG_STRS, "WILD_STRS", "*s"}, {TAG_STR, "WILD_STR", "*"},     {TAG_CHAR, "WILD_CHAR", "?"},
      {TAG_NUM, "WILD_NUM", "#"},    {TAG_WHICH, "WILD_WHICH", "%"}, {TAG_NOT, "WILD_NOT", "!"},
  };
  for (const Wild& w : kWild) {
    std::string symbol = f.ReadString("FINDREPLACE", w.key, w.def);
    // An empty symbol would make the pattern language unusable.
    if (symbol.empty()) symbol = w.def;
    FindReplace.SetSymbol(w.tag, Utf8ToCp932(symbol));
  }
  // Codes 1-4 choose a pair; any other value keeps the square brackets.
  static constexpr const char* kBrackets[][2] = {
      {"[", "]"}, {"(", ")"}, {"{", "}"}, {"<", ">"}, {"｢", "｣"}};
  int code = f.ReadInteger("FINDREPLACE", "WILD_BRACKETCODE", 0);
  if (code < 1 || code > 4) code = 0;
  FindReplace.SetSymbol(TAG_BRACKET1, Utf8ToCp932(kBrackets[code][0]));
  FindReplace.SetSymbol(TAG_BRACKET2, Utf8ToCp932(kBrackets[code][1]));
  for (int i = 1; i < kTagCount; ++i) {
    auto& symbol = FindReplace.Symbols[static_cast<std::size_t>(i)];
    symbol = CutChars(symbol, 32);
  }

  Window.Width = f.ReadInteger("WINDOW", "MAIN_WIDTH", Window.Width);
  if (Window.Width <= 579) {
    Window.Width = 0;
  } else if (Window.Width > screen_.width) {
    Window.Width = screen_.width;
  }
  Window.Height = f.ReadInteger("WINDOW", "MAIN_HEIGHT", Window.Height);
  if (Window.Height <= 419) {
    Window.Height = 0;
  } else if (Window.Height > screen_.height) {
    Window.Height = screen_.height;
  }
  Window.Top = f.ReadInteger("WINDOW", "MAIN_TOP", (screen_.height - Window.Height) / 2);
  Window.Left = f.ReadInteger("WINDOW", "MAIN_LEFT", (screen_.width - Window.Width) / 2);
  Window.WindowState = f.ReadInteger("WINDOW", "MAIN_STATE", Window.WindowState);

  std::string help2 = f.ReadString("HELP", "Help2FileName", "");
  if (!help2.empty()) Help.SetSecondHelp(help2);
}

bool Settings::WriteGeneral() {
  const auto s = GeneralSettings::kSection;
  bool ok = file_.WriteString(s, "UserName", General.UserName);
  ok = file_.WriteBool(s, "DispUserName", General.DispUserName) && ok;
  ok = file_.WriteInteger(s, "IniVersion", kIniVersion) && ok;
  return ok;
}

bool Settings::WriteFile() {
  const auto s = FileSettings::kSection;
  bool ok = file_.WriteInteger(s, "MaxLength", File.MaxLength);
  ok = file_.WriteInteger(s, "RecentMax", File.RecentMax) && ok;
  ok = WriteRecentList(file_, s, kRecentKey, File.RecentFiles) && ok;
  ok = WriteRecentList(file_, s, kRecentGroupKey, File.RecentGroups) && ok;
  ok = file_.WriteString(s, "CurrentDir", File.CurrentDir) && ok;
  ok = file_.WriteString(s, "GroupPath", File.GroupPath) && ok;
  ok = file_.WriteBool(s, "AutoReload", File.AutoReload) && ok;
  ok = file_.WriteBool(s, "MakeBackup", File.MakeBackup) && ok;
  ok = file_.WriteString(s, "BackupFolder", File.BackupFolder) && ok;
  ok = file_.WriteInteger(s, "NewFileCharset", File.NewFileCharset) && ok;
  return ok;
}

bool Settings::WritePrint() {
  return WriteFields(file_, Print, kPrintFields);
}

bool Settings::WriteEdit() {
  return WriteFields(file_, Edit, kEditFields);
}

bool Settings::WriteVision() {
  return WriteFields(file_, Vision, kVisionFields);
}

bool Settings::WriteFindReplace() {
  const auto s = FindReplaceSettings::kSection;
  bool ok = file_.WriteInteger(s, "Width", FindReplace.Width);
  ok = file_.WriteInteger(s, "Height", FindReplace.Height) && ok;
  ok = file_.WriteBool(s, "WantTabs", FindReplace.WantTabs) && ok;
  ok = file_.WriteBool(s, "FoldWidth", FindReplace.FoldWidth) && ok;
  ok = file_.WriteBool(s, "FoldKana", FindReplace.FoldKana) && ok;
  if (FindReplace.DiskPreview) file_.DeleteKey(s, "DiskPreview");
  else ok = file_.WriteBool(s, "DiskPreview", false) && ok;
  for (int i = 1; i < kTagCount; ++i) {
    if (!FindReplace.SymbolChanged[static_cast<std::size_t>(i)]) continue;
    const TagRecord* rec = tags_.Record(i);
    if (rec == nullptr) continue;
    ok = file_.WriteString(FindReplaceSettings::kSymbolSection, rec->name,
                           Cp932ToUtf8(FindReplace.Symbols[static_cast<std::size_t>(i)])) &&
         ok;
  }
  return ok;
}

bool Settings::WriteWindow() {
  return WriteFields(file_, Window, kWindowFields);
}

bool Settings::WriteHelp() {
  const auto s = HelpSettings::kSection;
  if (!Help.HasSecondHelp()) {
    // A choice taken back must not return from the file on the next start.
    file_.DeleteKey(s, "SecondHelp");
    return true;
  }
  return file_.WriteString(s, "SecondHelp", Help.SecondHelpFile);
}

bool Settings::Commit(unsigned sections, void (*prepare)(IniFile&)) {
  if (keepFile_) return false;
  IniFile::LoadResult result = file_.Load();
  if (result == IniFile::LoadResult::Failed) return false;
  if (prepare != nullptr) prepare(file_);
  bool ok = true;
  if (sections & kGeneral) ok = WriteGeneral() && ok;
  if (sections & kFile) ok = WriteFile() && ok;
  if (sections & kPrint) ok = WritePrint() && ok;
  if (sections & kEdit) ok = WriteEdit() && ok;
  if (sections & kVision) ok = WriteVision() && ok;
  if (sections & kFindReplace) ok = WriteFindReplace() && ok;
  if (sections & kWindow) ok = WriteWindow() && ok;
  if (sections & kHelp) ok = WriteHelp() && ok;
  if (result == IniFile::LoadResult::Missing) {
    std::size_t slash = file_.Path().rfind('/');
    if (slash != std::string::npos && slash > 0) {
      std::error_code ec;
      std::filesystem::create_directories(file_.Path().substr(0, slash), ec);
    }
  }
  return file_.Save() && ok;
}

bool Settings::Save() {
  return Commit(kAll);
}
bool Settings::SaveFile() {
  return Commit(kFile);
}
bool Settings::SavePrint() {
  return Commit(kPrint);
}
bool Settings::SaveEdit() {
  return Commit(kEdit);
}
bool Settings::SaveVision() {
  return Commit(kVision);
}
bool Settings::SaveFindReplace() {
  return Commit(kFindReplace);
}

bool Settings::ReloadFindReplace() {
  if (file_.Load() == IniFile::LoadResult::Failed) return false;
  ReadFindReplace();
  return true;
}

void Settings::AddRecentFile(const std::string& path) {
  AddRecent(File.RecentFiles, path, File.RecentMax);
}

void Settings::AddRecentGroup(const std::string& path) {
  AddRecent(File.RecentGroups, path, kRecentGroupMax);
}

}  // namespace norra

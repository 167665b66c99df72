// Loading and saving the settings: section records, corrections, recent lists, legacy files.
#include "settings/Settings.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace norra {
namespace {

constexpr int kDefaultMaxLength = 2097152;
constexpr int kDefaultRecentMax = 40;
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

// Index n of a key spelled prefix + n (n in plain decimal, as written), or -1.
long NumberedKeyIndex(std::string_view key, std::string_view prefix) {
  if (key.size() <= prefix.size() || key.size() > prefix.size() + 10) return -1;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = key[i], b = prefix[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return -1;
  }
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

bool Settings::Load() {
  IniFile::LoadResult result = file_.Load();
  if (result == IniFile::LoadResult::Failed) return false;

  General.IniVersion = file_.ReadInteger(GeneralSettings::kSection, "IniVersion", 0);
  olderVersion_ = General.IniVersion < kIniVersion;

  if (General.IniVersion < 200) {
    // Legacy format (or no file yet): take what the old sections hold, then rewrite the
    // whole file in the current format.
    if (result == IniFile::LoadResult::Read) MigrateLegacy();
    Commit(kAll, EraseLegacySections);
    return true;
  }
  if (General.IniVersion <= 2808 && file_.ValueExists(kOldAutoClearSection, kOldAutoClearKey)) {
    Edit.ClearLogsAllByBigChange =
        file_.ReadBool(kOldAutoClearSection, kOldAutoClearKey, Edit.ClearLogsAllByBigChange);
    Commit(0, DeleteOldAutoClearKey);
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

void Settings::ReadGeneral() {
  const auto s = GeneralSettings::kSection;
  General.UserName = file_.ReadString(s, "UserName", General.UserName);
  General.DispUserName = file_.ReadBool(s, "DispUserName", General.DispUserName);
  General.IniVersion = file_.ReadInteger(s, "IniVersion", General.IniVersion);
}

void Settings::ReadFile() {
  const auto s = FileSettings::kSection;
  File.MaxLength = file_.ReadInteger(s, "MaxLength", File.MaxLength);
  if (File.MaxLength < 1024) File.MaxLength = kDefaultMaxLength;
  File.RecentMax = file_.ReadInteger(s, "RecentMax", File.RecentMax);
  if (File.RecentMax < 4) File.RecentMax = kDefaultRecentMax;
  // Oldest (highest index) first, so the end of the list is the most recent.
  for (const auto& [n, key] : NumberedKeys(file_, s, kRecentKey, File.RecentMax)) {
    AppendUnique(File.RecentFiles, file_.ReadString(s, key, ""));
  }
  for (const auto& [n, key] : NumberedKeys(file_, s, kRecentGroupKey, kRecentGroupMax)) {
    AppendUnique(File.RecentGroups, file_.ReadString(s, key, ""));
  }
  File.CurrentDir = file_.ReadString(s, "CurrentDir", File.CurrentDir);
  File.GroupPath = file_.ReadString(s, "GroupPath", File.GroupPath);
}

void Settings::ReadPrint() {
  const auto s = PrintSettings::kSection;
  Print.M_Top = file_.ReadInteger(s, "M_Top", Print.M_Top);
  Print.M_Bottom = file_.ReadInteger(s, "M_Bottom", Print.M_Bottom);
  Print.M_Left = file_.ReadInteger(s, "M_Left", Print.M_Left);
  Print.M_Right = file_.ReadInteger(s, "M_Right", Print.M_Right);
  Print.LinePerPage = file_.ReadInteger(s, "LinePerPage", Print.LinePerPage);
  Print.ColumnsPerLine = file_.ReadInteger(s, "ColumnsPerLine", Print.ColumnsPerLine);
  Print.Copies = file_.ReadInteger(s, "Copies", Print.Copies);
  Print.PrintOrder = file_.ReadInteger(s, "PrintOrder", Print.PrintOrder);
  Print.PrintRange = file_.ReadInteger(s, "PrintRange", Print.PrintRange);
  Print.HeadLine = file_.ReadString(s, "HeadLine", Print.HeadLine);
  Print.FootLine = file_.ReadString(s, "FootLine", Print.FootLine);
  Print.PrintHeadLine = file_.ReadBool(s, "PrintHeadLine", Print.PrintHeadLine);
  Print.PrintFootLine = file_.ReadBool(s, "PrintFootLine", Print.PrintFootLine);
  Print.HeadLinePosition = file_.ReadInteger(s, "HeadLinePosition", Print.HeadLinePosition);
  Print.FootLinePosition = file_.ReadInteger(s, "FootLinePosition", Print.FootLinePosition);
  Print.PrintFontName = file_.ReadString(s, "PrintFontName", Print.PrintFontName);
  Print.PrintFontSize = file_.ReadInteger(s, "PrintFontSize", Print.PrintFontSize);
}

void Settings::ReadEdit() {
  const auto s = EditSettings::kSection;
  Edit.UseTabCode = file_.ReadBool(s, "UseTabCode", Edit.UseTabCode);
  Edit.TabStop = file_.ReadInteger(s, "TabStop", Edit.TabStop);
  Edit.InitImeMode = file_.ReadInteger(s, "InitImeMode", Edit.InitImeMode);
  Edit.WriteUndoLog = file_.ReadBool(s, "WriteUndoLog", Edit.WriteUndoLog);
  Edit.KeepLogAfterSave = file_.ReadBool(s, "KeepLogAfterSave", Edit.KeepLogAfterSave);
  Edit.LostBytesStartClear = file_.ReadInteger(s, "LostBytesStartClear", Edit.LostBytesStartClear);
  Edit.LostBytesEndClear = file_.ReadInteger(s, "LostBytesEndClear", Edit.LostBytesEndClear);
  Edit.ClearLogsByBytes = file_.ReadBool(s, "ClearLogsByBytes", Edit.ClearLogsByBytes);
  Edit.MaxLogBytes = file_.ReadInteger(s, "MaxLogBytes", Edit.MaxLogBytes);
  Edit.ClearLogsAllByBigChange =
      file_.ReadBool(s, "ClearLogsAllByBigChange", Edit.ClearLogsAllByBigChange);
}

void Settings::ReadVision() {
  const auto s = VisionSettings::kSection;
  Vision.ToolBar = file_.ReadBool(s, "ToolBar", Vision.ToolBar);
  Vision.StatusBar = file_.ReadBool(s, "StatusBar", Vision.StatusBar);
  Vision.LeftBlank = file_.ReadInteger(s, "LeftBlank", Vision.LeftBlank);
  Vision.FontName = file_.ReadString(s, "FontName", Vision.FontName);
  Vision.FontSize = file_.ReadInteger(s, "FontSize", Vision.FontSize);
  Vision.WordWrap = file_.ReadBool(s, "WordWrap", Vision.WordWrap);
  Vision.ForeRed = file_.ReadInteger(s, "ForeRed", Vision.ForeRed);
  Vision.ForeGreen = file_.ReadInteger(s, "ForeGreen", Vision.ForeGreen);
  Vision.ForeBlue = file_.ReadInteger(s, "ForeBlue", Vision.ForeBlue);
  Vision.BackRed = file_.ReadInteger(s, "BackRed", Vision.BackRed);
  Vision.BackGreen = file_.ReadInteger(s, "BackGreen", Vision.BackGreen);
  Vision.BackBlue = file_.ReadInteger(s, "BackBlue", Vision.BackBlue);
}

void Settings::ReadFindReplace() {
  const auto s = FindReplaceSettings::kSection;
  // A file without them yields 0; the find/replace window decides what 0 means.
  FindReplace.Width = file_.ReadInteger(s, "Width", 0);
  FindReplace.Height = file_.ReadInteger(s, "Height", 0);
  FindReplace.WantTabs = file_.ReadBool(s, "WantTabs", FindReplace.WantTabs);
  for (int i = 1; i < kTagCount; ++i) {
    const TagRecord* rec = tags_.Record(i);
    if (rec == nullptr) continue;
    std::string stored = file_.ReadString(FindReplaceSettings::kSymbolSection, rec->name, "");
    if (!stored.empty()) FindReplace.SetSymbol(i, Utf8ToCp932(stored));
  }
}

void Settings::ReadWindow() {
  const auto s = WindowSettings::kSection;
  Window.Top = file_.ReadInteger(s, "Top", Window.Top);
  Window.Left = file_.ReadInteger(s, "Left", Window.Left);
  Window.Height = file_.ReadInteger(s, "Height", Window.Height);
  Window.Width = file_.ReadInteger(s, "Width", Window.Width);
  Window.WindowState = file_.ReadInteger(s, "WindowState", Window.WindowState);
  Window.ChildWindowState = file_.ReadInteger(s, "ChildWindowState", Window.ChildWindowState);
}

void Settings::ReadHelp() {
  // Only a value with a file-name part to show counts as a choice.
  std::string stored = file_.ReadString(HelpSettings::kSection, "SecondHelp", "");
  if (!stored.empty() && stored.back() != '/') Help.SetSecondHelp(stored);
}

void Settings::MigrateLegacy() {
  const IniFile& f = file_;

  File.MaxLength = f.ReadInteger("FILE", "MaxLength", File.MaxLength);
  if (File.MaxLength < 1024) File.MaxLength = kDefaultMaxLength;
  for (int i = 0; i < File.RecentMax; ++i) {
    std::string path = f.ReadString("FILE", "RecentFile" + std::to_string(i), "");
    if (path.empty()) break;
    AppendUnique(File.RecentFiles, std::move(path));
  }

  Edit.UseTabCode = f.ReadBool("EDIT", "UseTabCode", Edit.UseTabCode);
  Edit.TabStop = f.ReadInteger("EDIT", "TabStop", Edit.TabStop);
  if (Edit.TabStop < 1) Edit.TabStop = 4;
  Edit.InitImeMode = f.ReadInteger("EDIT", "InitImeMode", Edit.InitImeMode);

  Vision.ToolBar = f.ReadBool("DISPLAY", "Visible_ToolBar", Vision.ToolBar);
  Vision.StatusBar = f.ReadBool("DISPLAY", "Visible_StatusBar", Vision.StatusBar);
  Vision.FontSize = f.ReadInteger("EDIT", "FontSize", Vision.FontSize);
  if (Vision.FontSize < 1) Vision.FontSize = 11;

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
  return ok;
}

bool Settings::WritePrint() {
  const auto s = PrintSettings::kSection;
  bool ok = file_.WriteInteger(s, "M_Top", Print.M_Top);
  ok = file_.WriteInteger(s, "M_Bottom", Print.M_Bottom) && ok;
  ok = file_.WriteInteger(s, "M_Left", Print.M_Left) && ok;
  ok = file_.WriteInteger(s, "M_Right", Print.M_Right) && ok;
  ok = file_.WriteInteger(s, "LinePerPage", Print.LinePerPage) && ok;
  ok = file_.WriteInteger(s, "ColumnsPerLine", Print.ColumnsPerLine) && ok;
  ok = file_.WriteInteger(s, "Copies", Print.Copies) && ok;
  ok = file_.WriteInteger(s, "PrintOrder", Print.PrintOrder) && ok;
  ok = file_.WriteInteger(s, "PrintRange", Print.PrintRange) && ok;
  ok = file_.WriteString(s, "HeadLine", Print.HeadLine) && ok;
  ok = file_.WriteString(s, "FootLine", Print.FootLine) && ok;
  ok = file_.WriteBool(s, "PrintHeadLine", Print.PrintHeadLine) && ok;
  ok = file_.WriteBool(s, "PrintFootLine", Print.PrintFootLine) && ok;
  ok = file_.WriteInteger(s, "HeadLinePosition", Print.HeadLinePosition) && ok;
  ok = file_.WriteInteger(s, "FootLinePosition", Print.FootLinePosition) && ok;
  ok = file_.WriteString(s, "PrintFontName", Print.PrintFontName) && ok;
  ok = file_.WriteInteger(s, "PrintFontSize", Print.PrintFontSize) && ok;
  return ok;
}

bool Settings::WriteEdit() {
  const auto s = EditSettings::kSection;
  bool ok = file_.WriteBool(s, "UseTabCode", Edit.UseTabCode);
  ok = file_.WriteInteger(s, "TabStop", Edit.TabStop) && ok;
  ok = file_.WriteInteger(s, "InitImeMode", Edit.InitImeMode) && ok;
  ok = file_.WriteBool(s, "WriteUndoLog", Edit.WriteUndoLog) && ok;
  ok = file_.WriteBool(s, "KeepLogAfterSave", Edit.KeepLogAfterSave) && ok;
  ok = file_.WriteInteger(s, "LostBytesStartClear", Edit.LostBytesStartClear) && ok;
  ok = file_.WriteInteger(s, "LostBytesEndClear", Edit.LostBytesEndClear) && ok;
  ok = file_.WriteBool(s, "ClearLogsByBytes", Edit.ClearLogsByBytes) && ok;
  ok = file_.WriteInteger(s, "MaxLogBytes", Edit.MaxLogBytes) && ok;
  ok = file_.WriteBool(s, "ClearLogsAllByBigChange", Edit.ClearLogsAllByBigChange) && ok;
  return ok;
}

bool Settings::WriteVision() {
  const auto s = VisionSettings::kSection;
  bool ok = file_.WriteBool(s, "ToolBar", Vision.ToolBar);
  ok = file_.WriteBool(s, "StatusBar", Vision.StatusBar) && ok;
  ok = file_.WriteInteger(s, "LeftBlank", Vision.LeftBlank) && ok;
  ok = file_.WriteString(s, "FontName", Vision.FontName) && ok;
  ok = file_.WriteInteger(s, "FontSize", Vision.FontSize) && ok;
  ok = file_.WriteBool(s, "WordWrap", Vision.WordWrap) && ok;
  ok = file_.WriteInteger(s, "ForeRed", Vision.ForeRed) && ok;
  ok = file_.WriteInteger(s, "ForeGreen", Vision.ForeGreen) && ok;
  ok = file_.WriteInteger(s, "ForeBlue", Vision.ForeBlue) && ok;
  ok = file_.WriteInteger(s, "BackRed", Vision.BackRed) && ok;
  ok = file_.WriteInteger(s, "BackGreen", Vision.BackGreen) && ok;
  ok = file_.WriteInteger(s, "BackBlue", Vision.BackBlue) && ok;
  return ok;
}

bool Settings::WriteFindReplace() {
  const auto s = FindReplaceSettings::kSection;
  bool ok = file_.WriteInteger(s, "Width", FindReplace.Width);
  ok = file_.WriteInteger(s, "Height", FindReplace.Height) && ok;
  ok = file_.WriteBool(s, "WantTabs", FindReplace.WantTabs) && ok;
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
  const auto s = WindowSettings::kSection;
  bool ok = file_.WriteInteger(s, "Top", Window.Top);
  ok = file_.WriteInteger(s, "Left", Window.Left) && ok;
  ok = file_.WriteInteger(s, "Height", Window.Height) && ok;
  ok = file_.WriteInteger(s, "Width", Window.Width) && ok;
  ok = file_.WriteInteger(s, "WindowState", Window.WindowState) && ok;
  ok = file_.WriteInteger(s, "ChildWindowState", Window.ChildWindowState) && ok;
  return ok;
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

// The program's persistent preferences, in eight sections, and the settings file they live in.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/TagTable.h"
#include "text/IniFile.h"

namespace norra {

// Texts are UTF-8 (paths, names, templates) except the tag symbols, which are CP932 because
// the engine compares them with document text.

struct GeneralSettings {
  static constexpr std::string_view kSection = "Norra";
  std::string UserName = "DefaultUser";
  bool DispUserName = false;
  int IniVersion = 0;  // as stored; always written as Settings::kIniVersion
};

struct FileSettings {
  static constexpr std::string_view kSection = "File";
  int MaxLength = 2097152;
  int RecentMax = 40;
  std::vector<std::string> RecentFiles;   // the end is the most recent
  std::vector<std::string> RecentGroups;  // the end is the most recent
  std::string CurrentDir;
  std::string GroupPath;
  // A Page without edits takes its file's new content at once when another program changes it.
  bool AutoReload = false;
  // Before a save replaces a file, its old content is kept as NAME.bak: beside the file, or in
  // BackupFolder when that is set.
  bool MakeBackup = false;
  std::string BackupFolder;
  // 新規ﾌｧｲﾙの文字ｺｰﾄﾞ: what new Pages and ASCII-only files are held in (0 CP932, 1 UTF-8).
  int NewFileCharset = 0;
};

struct PrintSettings {
  static constexpr std::string_view kSection = "Print";
  int M_Top = 15;
  int M_Bottom = 15;
  int M_Left = 15;
  int M_Right = 15;
  int LinePerPage = 99999;
  int ColumnsPerLine = 99999;
  int Copies = 1;
  int PrintOrder = 0;  // 1 by file, 2 by page, 3 by copy; anything else by file
  int PrintRange = 0;  // 2 the selection; anything else the whole text
  std::string HeadLine = "ﾌｧｲﾙ名:[pathname] ([pageindex_file[1]]/[pagecount_file[0]]ﾍﾟｰｼﾞ)";
  std::string FootLine = "日付:[now[yyyy/mm/dd]] 第[copyindex[1]]部 編集者:[username]";
  bool PrintHeadLine = true;
  bool PrintFootLine = true;
  int HeadLinePosition = 0;
  int FootLinePosition = 0;
  std::string PrintFontName = "ＭＳ ゴシック";
  int PrintFontSize = 9;
};

struct EditSettings {
  static constexpr std::string_view kSection = "Edit";
  bool UseTabCode = false;
  int TabStop = 4;
  int InitImeMode = 6;  // 3 none, 2 on, 1 off, 6 full-width hiragana
  bool WriteUndoLog = true;
  bool KeepLogAfterSave = false;
  int LostBytesStartClear = 10485760;
  int LostBytesEndClear = 8388608;
  bool ClearLogsByBytes = false;
  int MaxLogBytes = 1048576;
  bool ClearLogsAllByBigChange = false;
};

struct VisionSettings {
  static constexpr std::string_view kSection = "Vision";
  bool ToolBar = true;
  bool StatusBar = true;
  int LeftBlank = 3;
  std::string FontName = "ＭＳ ゴシック";
  int FontSize = 11;
  bool WordWrap = false;
  int ForeRed = 0;
  int ForeGreen = 0;
  int ForeBlue = 0;
  int BackRed = 255;
  int BackGreen = 255;
  int BackBlue = 255;
  bool PageTabs = false;  // a tab for each Page above the Pages
  // What the view draws besides the text: line numbers, the caret's line, marks (each drawn
  // only when ShowMarks is on) in their own colour, and wrapping at a number of half-width
  // columns instead of the window's edge for pages that wrap.
  bool LineNumbers = false;
  bool CaretLine = false;
  bool ShowMarks = false;
  bool MarkTab = true;
  bool MarkWideSpace = true;
  bool MarkLineEnd = true;
  bool MarkEof = true;
  int MarkRed = 0;
  int MarkGreen = 128;
  int MarkBlue = 192;
  bool WrapAtColumns = false;
  int WrapColumns = 80;
};

struct FindReplaceSettings {
  static constexpr std::string_view kSection = "FindReplace";
  static constexpr std::string_view kSymbolSection = "KARVOSystem";
  int Width = 399;
  int Height = 291;
  bool WantTabs = false;
  // The find window's 全角/半角を区別しない and ひらがな/カタカナを区別しない.
  bool FoldWidth = false;
  bool FoldKana = false;
  // Replace all over a folder or group first shows what it would change ("DiskPreview"; off:
  // it writes at once). Written only when off, so files of earlier versions stay as they were.
  bool DiskPreview = true;
  // The symbols in force (CP932), indexed like the tag table; the table reads them here.
  TagSymbols Symbols{};
  // Set for a symbol the user gave; only those are written.
  std::array<bool, kTagCount> SymbolChanged{};

  // Stores a symbol of tags 1-16 and marks it as the user's, even when it equals the
  // built-in one. Other indexes are ignored.
  void SetSymbol(int index, std::string cp932);
};

struct WindowSettings {
  static constexpr std::string_view kSection = "Window";
  int Top = 0;
  int Left = 0;
  int Height = 0;
  int Width = 0;
  int WindowState = 0;       // 0 normal, 1 minimised, 2 maximised
  int ChildWindowState = 2;  // pages open maximised
};

struct HelpSettings {
  static constexpr std::string_view kSection = "Help";
  static constexpr std::string_view kNoSecondHelp = "第2ﾍﾙﾌﾟ";
  std::string MainHelpFile;                   // full path of the program's help file
  std::string MainHelpName = "Norra.hlp";     // its bare name
  std::string SecondHelpFile{kNoSecondHelp};  // path of the user's second help file
  std::string SecondHelpName{kNoSecondHelp};  // its display name (file-name part)

  bool HasSecondHelp() const;
  // A path with a file-name part becomes the second help file; an empty path, or one ending
  // in "/", clears the choice.
  void SetSecondHelp(const std::string& path);
};

// Screen size in pixels; the Window defaults and the legacy migration are computed from it.
struct ScreenSize {
  int width = 0;
  int height = 0;
};

// What the editor tells the user once at start-up about the settings file it loaded.
struct SettingsNotice {
  std::string text;      // UTF-8; empty when there is nothing to say
  bool warning = false;  // the file held no settings, or could not be kept
};

class Settings {
 public:
  static constexpr int kIniVersion = 3500;
  static constexpr int kRecentGroupMax = 9;
  // Backups are named FILE.bak, then FILE.bak.1 up to this number.
  static constexpr int kMaxBackupNumber = 99;

  enum class LoadMode {
    Editor,    // migrates and rewrites the file as the editor needs it
    ReadOnly,  // takes the same values but never writes anything; every save fails
  };

  // What Load found.
  enum class FileKind {
    New,          // no file, or an empty one: the defaults
    Current,      // IniVersion 200 or more
    Unversioned,  // no usable IniVersion, but this program's sections or keys: read as current
    Legacy,       // keys of the format before version 200: migrated
    Damaged,      // no "Norra" section and no key either format knows: the defaults
  };

  // Takes its default symbols from the built table and attaches its own symbol array to it.
  // settingsPath is the settings file (see SettingsPath.h); the main help file is
  // "Norra.hlp" in helpFolder.
  Settings(TagTable& tags, std::string settingsPath, const std::string& helpFolder,
           ScreenSize screen);
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  const std::string& FilePath() const { return file_.Path(); }
  // True when the loaded file was written by a version older than this one (or is new).
  bool OlderVersion() const { return olderVersion_; }

  // Reads the whole file. A missing file, key or section yields the defaults; a file that
  // exists but cannot be read also leaves the defaults in force and returns false (the
  // program can carry on; saves then fail rather than overwrite the unread file).
  // In the editor's mode a new file is written at once, and a file this program did not
  // write in the current format (Unversioned, Legacy, Damaged) is first copied beside itself
  // (BackupPath); when no copy can be made, saves fail for the rest of the run. A legacy file
  // is then migrated and rewritten at once; the others wait for the next save. A read-only
  // load gives the values the editor would take from the same file (a legacy file's tag
  // symbols are the old version's) and writes nothing.
  bool Load(LoadMode mode = LoadMode::Editor);
  FileKind Kind() const { return kind_; }
  // The copy made by Load, or empty.
  const std::string& BackupPath() const { return backupPath_; }
  // For the editor to show once after Load; empty text when all went as usual.
  const SettingsNotice& Notice() const { return notice_; }

  // Writes every section; true only when all of them were written and the file saved. The
  // settings folder is created when missing. Lines of the file this store does not know
  // are kept; a failed save leaves the file as it was.
  bool Save();
  bool SaveFile();
  bool SavePrint();
  bool SaveEdit();
  bool SaveVision();
  bool SaveFindReplace();
  // Re-reads the FindReplace and tag-symbol sections from the file.
  bool ReloadFindReplace();

  // Moves or adds the path to the most recent end, dropping the oldest beyond RecentMax.
  void AddRecentFile(const std::string& path);
  // The same for groups, at most kRecentGroupMax.
  void AddRecentGroup(const std::string& path);

  GeneralSettings General;
  FileSettings File;
  PrintSettings Print;
  EditSettings Edit;
  VisionSettings Vision;
  FindReplaceSettings FindReplace;
  WindowSettings Window;
  HelpSettings Help;

 private:
  enum SectionBit : unsigned {
    kGeneral = 1u << 0,
    kFile = 1u << 1,
    kPrint = 1u << 2,
    kEdit = 1u << 3,
    kVision = 1u << 4,
    kFindReplace = 1u << 5,
    kWindow = 1u << 6,
    kHelp = 1u << 7,
    kAll = 0xFFu,
  };

  void ReadGeneral();
  void ReadFile();
  void ReadPrint();
  void ReadEdit();
  void ReadVision();
  void ReadFindReplace();
  void ReadWindow();
  void ReadHelp();
  void MigrateLegacy();
  // What the file just read is; empty is the file's byte count being 0.
  FileKind Classify(bool empty) const;
  // Copies the file as read beside it and words the notice; without a copy, keeps the file.
  void KeepCopy(const std::string& bytes);

  bool WriteGeneral();
  bool WriteFile();
  bool WritePrint();
  bool WriteEdit();
  bool WriteVision();
  bool WriteFindReplace();
  bool WriteWindow();
  bool WriteHelp();

  // Re-reads the file (so lines changed by others survive), applies prepare, writes the
  // chosen sections and saves the file.
  bool Commit(unsigned sections, void (*prepare)(IniFile&) = nullptr);

  const TagTable& tags_;
  ScreenSize screen_;
  IniFile file_;
  bool olderVersion_ = false;
  FileKind kind_ = FileKind::New;
  // Set when the file must not be written: a read-only load, or one whose copy failed.
  bool keepFile_ = false;
  std::string backupPath_;
  SettingsNotice notice_;
};

}  // namespace norra

// Tests of the settings store: defaults, file layout, corrections, recent lists, tag symbols,
// old file versions and damaged or unwritable files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "settings/SettingRanges.h"
#include "settings/Settings.h"
#include "text/Encoding.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

constexpr ScreenSize kScreen{1920, 1080};

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// "\n" → CR LF and UTF-8 → CP932: test files are written here as readable text.
std::string Cp932File(std::string_view text) {
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return Utf8ToCp932(crlf);
}

// The file as UTF-8 with "\n" line breaks.
std::string FileText(const fs::path& p) {
  std::string bytes = ReadAll(p);
  std::string text = IsValidUtf8(bytes) ? bytes : Cp932ToUtf8(bytes);
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  return lf;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tags_.Build());
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) /
           ("norra_settings_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = dir_ / "Norra.ini";
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::unique_ptr<Settings> Make(const fs::path& path) {
    return std::make_unique<Settings>(tags_, path.string(), "/usr/share/norra/help", kScreen);
  }
  std::unique_ptr<Settings> Loaded(std::string_view fileText) {
    WriteAll(path_, Cp932File(fileText));
    auto s = Make(path_);
    EXPECT_TRUE(s->Load());
    return s;
  }

  TagTable tags_;
  fs::path dir_;
  fs::path path_;
};

const char kDefaultFile[] =
    "[Norra]\nUserName=DefaultUser\nDispUserName=0\nIniVersion=3500\n\n"
    "[File]\nMaxLength=2097152\nRecentMax=40\nCurrentDir=\nGroupPath=\nAutoReload=0\nMakeBackup=0\nBackupFolder=\nNewFileCharset=0\n\n"
    "[Print]\nM_Top=15\nM_Bottom=15\nM_Left=15\nM_Right=15\nLinePerPage=99999\n"
    "ColumnsPerLine=99999\nCopies=1\nPrintOrder=0\nPrintRange=0\n"
    "HeadLine=ﾌｧｲﾙ名:[pathname] ([pageindex_file[1]]/[pagecount_file[0]]ﾍﾟｰｼﾞ)\n"
    "FootLine=日付:[now[yyyy/mm/dd]] 第[copyindex[1]]部 編集者:[username]\n"
    "PrintHeadLine=1\nPrintFootLine=1\nHeadLinePosition=0\nFootLinePosition=0\n"
    "PrintFontName=ＭＳ ゴシック\nPrintFontSize=9\n\n"
    "[Edit]\nUseTabCode=0\nTabStop=4\nInitImeMode=6\nWriteUndoLog=1\nKeepLogAfterSave=0\n"
    "LostBytesStartClear=10485760\nLostBytesEndClear=8388608\nClearLogsByBytes=0\n"
    "MaxLogBytes=1048576\nClearLogsAllByBigChange=0\n\n"
    "[Vision]\nToolBar=1\nStatusBar=1\nLeftBlank=3\nFontName=ＭＳ ゴシック\nFontSize=11\n"
    "WordWrap=0\nForeRed=0\nForeGreen=0\nForeBlue=0\nBackRed=255\nBackGreen=255\nBackBlue=255\nPageTabs=0\n"
    "LineNumbers=0\nCaretLine=0\nShowMarks=0\nMarkTab=1\nMarkWideSpace=1\nMarkLineEnd=1\nMarkEof=1\n"
    "MarkRed=0\nMarkGreen=128\nMarkBlue=192\nWrapAtColumns=0\nWrapColumns=80\n\n"
    "[FindReplace]\nWidth=399\nHeight=291\nWantTabs=0\nFoldWidth=0\nFoldKana=0\n\n"
    "[Window]\nTop=30\nLeft=30\nHeight=1020\nWidth=1860\nWindowState=0\nChildWindowState=2\n";

TEST_F(SettingsTest, MissingFileGivesDefaultsAndIsCreatedOnFirstSave) {
  fs::path path = dir_ / "not" / "yet" / "Norra.ini";
  {
    auto s = Make(path);
    EXPECT_TRUE(s->Save());
    EXPECT_EQ(FileText(path), kDefaultFile);
    // The file is CP932 with CR LF.
    EXPECT_EQ(ReadAll(path), Cp932File(kDefaultFile));
  }
  fs::remove_all(dir_ / "not");

  auto s = Make(path);
  EXPECT_TRUE(s->Load());
  EXPECT_TRUE(s->OlderVersion());
  EXPECT_EQ(s->FilePath(), path.string());
  EXPECT_EQ(s->General.UserName, "DefaultUser");
  EXPECT_EQ(s->File.MaxLength, 2097152);
  EXPECT_EQ(s->Print.HeadLine, "ﾌｧｲﾙ名:[pathname] ([pageindex_file[1]]/[pagecount_file[0]]ﾍﾟｰｼﾞ)");
  EXPECT_EQ(s->Window.Width, 1860);
  EXPECT_EQ(s->FindReplace.Width, 399);
  EXPECT_EQ(s->FindReplace.Symbols, tags_.BuiltInSymbols());
  EXPECT_EQ(s->Help.MainHelpFile, "/usr/share/norra/help/Norra.hlp");
  EXPECT_EQ(s->Help.SecondHelpFile, "第2ﾍﾙﾌﾟ");
  EXPECT_EQ(s->Help.SecondHelpName, "第2ﾍﾙﾌﾟ");
  // Loading a missing file writes it in the current format straight away.
  EXPECT_EQ(FileText(path), kDefaultFile);

  auto again = Make(path);
  EXPECT_TRUE(again->Load());
  EXPECT_FALSE(again->OlderVersion());
}

TEST_F(SettingsTest, EveryValueSurvivesSaveAndLoad) {
  auto s = Make(path_);
  s->General = {"山田", true, 0};
  s->File.MaxLength = 5000;
  s->File.RecentMax = 10;
  s->File.RecentFiles = {"/old.txt", "/mid dle.txt", "/new.txt"};
  s->File.RecentGroups = {"/g1.tgp", "/g2.tgp"};
  s->File.CurrentDir = "/home/u/文書";
  s->File.GroupPath = "/g2.tgp";
  s->File.AutoReload = true;
  s->File.MakeBackup = true;
  s->File.BackupFolder = "/home/u/控え";
  s->Print = {1, 2, 3, 4, 5, 6, 7, 2, 2, " head ", "foot", false, false, 8, 9, "IPAGothic", 12};
  s->Edit = {true, 8, 2, false, true, 4096, 2048, true, 512, true};
  s->Vision = {false, false, 7, "Noto Sans CJK JP", 20, true, 1, 2, 3, 4, 5, 6, true,
               true, true, true, false, false, true, false, 7, 8, 9, true, 40};
  s->FindReplace.Width = 500;
  s->FindReplace.Height = 400;
  s->FindReplace.WantTabs = true;
  s->FindReplace.FoldWidth = true;
  s->FindReplace.FoldKana = true;
  s->FindReplace.SetSymbol(TAG_STR, "%%");
  s->Window = {10, 20, 700, 800, 2, 0};
  s->Help.SetSecondHelp("/docs/manual.html");
  ASSERT_TRUE(s->Save());

  auto t = Make(path_);
  ASSERT_TRUE(t->Load());
  EXPECT_FALSE(t->OlderVersion());
  EXPECT_EQ(t->General.UserName, "山田");
  EXPECT_TRUE(t->General.DispUserName);
  EXPECT_EQ(t->General.IniVersion, 3500);
  EXPECT_EQ(t->File.MaxLength, 5000);
  EXPECT_EQ(t->File.RecentMax, 10);
  EXPECT_EQ(t->File.RecentFiles, s->File.RecentFiles);
  EXPECT_EQ(t->File.RecentGroups, s->File.RecentGroups);
  EXPECT_EQ(t->File.CurrentDir, "/home/u/文書");
  EXPECT_EQ(t->File.GroupPath, "/g2.tgp");
  EXPECT_TRUE(t->File.AutoReload);
  EXPECT_TRUE(t->File.MakeBackup);
  EXPECT_EQ(t->File.BackupFolder, "/home/u/控え");
  const PrintSettings& p = t->Print;
  EXPECT_EQ(
      std::tie(p.M_Top, p.M_Bottom, p.M_Left, p.M_Right, p.LinePerPage, p.ColumnsPerLine, p.Copies,
               p.PrintOrder, p.PrintRange, p.HeadLinePosition, p.FootLinePosition, p.PrintFontSize),
      std::make_tuple(1, 2, 3, 4, 5, 6, 7, 2, 2, 8, 9, 12));
  EXPECT_EQ(p.HeadLine, " head ");
  EXPECT_EQ(p.FootLine, "foot");
  EXPECT_FALSE(p.PrintHeadLine);
  EXPECT_FALSE(p.PrintFootLine);
  EXPECT_EQ(p.PrintFontName, "IPAGothic");
  const EditSettings& e = t->Edit;
  EXPECT_EQ(std::tie(e.UseTabCode, e.TabStop, e.InitImeMode, e.WriteUndoLog, e.KeepLogAfterSave,
                     e.LostBytesStartClear, e.LostBytesEndClear, e.ClearLogsByBytes, e.MaxLogBytes,
                     e.ClearLogsAllByBigChange),
            std::make_tuple(true, 8, 2, false, true, 4096, 2048, true, 512, true));
  const VisionSettings& v = t->Vision;
  EXPECT_EQ(std::tie(v.ToolBar, v.StatusBar, v.LeftBlank, v.FontSize, v.WordWrap, v.ForeRed,
                     v.ForeGreen, v.ForeBlue, v.BackRed, v.BackGreen, v.BackBlue),
            std::make_tuple(false, false, 7, 20, true, 1, 2, 3, 4, 5, 6));
  EXPECT_EQ(std::tie(v.LineNumbers, v.CaretLine, v.ShowMarks, v.MarkTab, v.MarkWideSpace,
                     v.MarkLineEnd, v.MarkEof, v.MarkRed, v.MarkGreen, v.MarkBlue, v.WrapAtColumns,
                     v.WrapColumns),
            std::make_tuple(true, true, true, false, false, true, false, 7, 8, 9, true, 40));
  EXPECT_EQ(v.FontName, "Noto Sans CJK JP");
  EXPECT_TRUE(v.PageTabs);
  EXPECT_EQ(t->FindReplace.Width, 500);
  EXPECT_EQ(t->FindReplace.Height, 400);
  EXPECT_TRUE(t->FindReplace.WantTabs);
  EXPECT_TRUE(t->FindReplace.FoldWidth);
  EXPECT_TRUE(t->FindReplace.FoldKana);
  EXPECT_EQ(t->FindReplace.Symbols[TAG_STR], "%%");
  const WindowSettings& w = t->Window;
  EXPECT_EQ(std::tie(w.Top, w.Left, w.Height, w.Width, w.WindowState, w.ChildWindowState),
            std::make_tuple(10, 20, 700, 800, 2, 0));
  EXPECT_EQ(t->Help.SecondHelpFile, "/docs/manual.html");
  EXPECT_EQ(t->Help.SecondHelpName, "manual.html");
}

TEST_F(SettingsTest, StoredValuesBelowTheirLimitsAreCorrected) {
  struct Case {
    const char* maxLength;
    const char* recentMax;
    int wantMaxLength;
    int wantRecentMax;
  };
  const Case cases[] = {
      {"1023", "3", 2097152, 40},
      {"1024", "4", 1024, 4},
      {"-5", "-1", 2097152, 40},
      {"junk", "", 2097152, 40},
      {"99999999999999", "99999999999999", 104857600, 99},
      {"4096 bytes", "9x", 4096, 9},
  };
  for (const Case& c : cases) {
    auto s = Loaded(std::string("[Norra]\nIniVersion=3500\n[File]\nMaxLength=") + c.maxLength +
                    "\nRecentMax=" + c.recentMax + "\nRecent0=/a\n");
    EXPECT_EQ(s->File.MaxLength, c.wantMaxLength) << c.maxLength;
    EXPECT_EQ(s->File.RecentMax, c.wantRecentMax) << c.recentMax;
    EXPECT_EQ(s->File.RecentFiles, std::vector<std::string>{"/a"});
  }
}

// Every numeric key the options dialog edits, stored just outside its range on either side,
// loads as the dialog would have allowed it (or as the rule for that key says).
TEST_F(SettingsTest, StoredValuesOutsideTheOptionsDialogsRangesAreBroughtIntoThem) {
  for (const bool above : {false, true}) {
    std::map<std::string, std::string> sections;
    for (const SettingRange& r : SettingRanges()) {
      const long long stored = above ? static_cast<long long>(r.high) + 1 : r.low - 1LL;
      sections[std::string(r.section)] += std::string(r.key) + "=" + std::to_string(stored) + "\n";
    }
    std::string text = "[Norra]\nIniVersion=3500\n";
    for (const auto& [section, keys] : sections) text += "[" + section + "]\n" + keys;
    auto s = Loaded(text);
    ASSERT_TRUE(s->Save());
    IniFile saved(path_.string());
    ASSERT_EQ(saved.Load(), IniFile::LoadResult::Read);
    for (const SettingRange& r : SettingRanges()) {
      int want = above ? r.aboveHigh : r.belowLow;
      // The end of trimming never passes 80% of its start.
      if (r.key == "LostBytesEndClear" && above) want = LargestEndClear(999999999);
      EXPECT_EQ(saved.ReadInteger(r.section, r.key, -12345), want) << r.key << " above " << above;
    }
  }

  // Values that once made the editor and norra-print work for minutes, and the rules the
  // description of the file gives.
  auto s = Loaded(
      "[Norra]\nIniVersion=3500\n[Edit]\nTabStop=1000000\n"
      "LostBytesStartClear=10000\nLostBytesEndClear=9000\n"
      "[Print]\nLinePerPage=2147483647\nColumnsPerLine=2147483647\nPrintFontSize=1\n"
      "M_Left=-2147483648\n[Vision]\nFontSize=0\n");
  EXPECT_EQ(s->Edit.TabStop, 99);
  EXPECT_EQ(s->Edit.LostBytesEndClear, 8000);
  EXPECT_EQ(s->Print.LinePerPage, 99999);
  EXPECT_EQ(s->Print.ColumnsPerLine, 99999);
  EXPECT_EQ(s->Print.PrintFontSize, 1);
  EXPECT_EQ(s->Print.M_Left, 0);
  EXPECT_EQ(s->Vision.FontSize, 11);
  EXPECT_EQ(Loaded("[Norra]\nIniVersion=3500\n[Edit]\nTabStop=0\n")->Edit.TabStop, 4);
  EXPECT_EQ(Loaded("[EDIT]\nTabStop=-3\nFontSize=500\n")->Vision.FontSize, 128);
}

TEST_F(SettingsTest, RecentListsOnDiskAndInMemory) {
  auto s = Loaded(
      "[Norra]\nIniVersion=3500\n"
      "[File]\nRecentMax=6\n"
      "Recent0=/newest\nRecent1=/second\nRecent2=/newest\nrecent3=/fourth\nRecent4=\n"
      "Recent6=/beyond the bound\nRecent03=/not an index\nRecentX=/junk\n"
      "RecentGroup0=/g0.tgp\nRecentGroup8=/g8.tgp\nRecentGroup9=/g9.tgp\n");
  // Read from the highest index down, each path once.
  EXPECT_EQ(s->File.RecentFiles, (std::vector<std::string>{"/fourth", "/newest", "/second"}));
  EXPECT_EQ(s->File.RecentGroups, (std::vector<std::string>{"/g8.tgp", "/g0.tgp"}));

  s->AddRecentFile("/fourth");  // moves to the most recent end, no duplicate
  EXPECT_EQ(s->File.RecentFiles, (std::vector<std::string>{"/newest", "/second", "/fourth"}));
  for (int i = 0; i < 5; ++i) s->AddRecentFile("/f" + std::to_string(i));
  EXPECT_EQ(s->File.RecentFiles,
            (std::vector<std::string>{"/fourth", "/f0", "/f1", "/f2", "/f3", "/f4"}));
  s->AddRecentFile("");
  EXPECT_EQ(s->File.RecentFiles.size(), 6u);

  for (int i = 0; i < 12; ++i) s->AddRecentGroup("/g" + std::to_string(i) + ".tgp");
  s->AddRecentGroup("/g5.tgp");
  ASSERT_EQ(s->File.RecentGroups.size(), 9u);
  EXPECT_EQ(s->File.RecentGroups.front(), "/g3.tgp");
  EXPECT_EQ(s->File.RecentGroups.back(), "/g5.tgp");

  // Index 0 on disk is the most recent; a shorter list leaves no stale keys behind.
  s->File.RecentFiles = {"/old", "/new"};
  ASSERT_TRUE(s->SaveFile());
  std::string text = FileText(path_);
  for (const char* line : {"\nRecent0=/new\n", "\nRecent1=/old\n", "\nRecentGroup0=/g5.tgp\n",
                           "\nRecentGroup1=/g11.tgp\n", "\nRecentGroup8=/g3.tgp\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }
  EXPECT_EQ(text.find("Recent2="), std::string::npos) << text;
  EXPECT_EQ(text.find("recent3="), std::string::npos) << text;
  EXPECT_EQ(text.find("Recent6="), std::string::npos) << text;
  EXPECT_NE(text.find("Recent03=/not an index"), std::string::npos) << text;

  auto t = Make(path_);
  ASSERT_TRUE(t->Load());
  EXPECT_EQ(t->File.RecentFiles, (std::vector<std::string>{"/old", "/new"}));
  EXPECT_EQ(t->File.RecentGroups, s->File.RecentGroups);
}

TEST_F(SettingsTest, HugeRecentMaxReadsOnlyTheKeysPresent) {
  auto s = Loaded(
      "[Norra]\nIniVersion=3500\n[File]\nRecentMax=2147483647\nRecent2000000000=/far\nRecent0=/"
      "near\n");
  EXPECT_EQ(s->File.RecentMax, 99);
  EXPECT_EQ(s->File.RecentFiles, (std::vector<std::string>{"/near"}));
}

TEST_F(SettingsTest, OnlySymbolsTheUserGaveAreWritten) {
  auto s = Loaded(
      "[Norra]\nIniVersion=3500\n"
      "[KARVOSystem]\nNOT=nicht\nWHICH=\nbracket1=｢\nBRACKET2=｣\n");
  EXPECT_EQ(s->FindReplace.Symbols[TAG_NOT], "nicht");
  EXPECT_EQ(s->FindReplace.Symbols[TAG_WHICH], "which");  // an empty value changes nothing
  EXPECT_EQ(s->FindReplace.Symbols[TAG_BRACKET1], Utf8ToCp932("｢"));
  EXPECT_TRUE(s->FindReplace.SymbolChanged[TAG_NOT]);
  EXPECT_FALSE(s->FindReplace.SymbolChanged[TAG_WHICH]);
  EXPECT_FALSE(s->FindReplace.SymbolChanged[TAG_STR]);
  EXPECT_EQ(s->FindReplace.Symbols[0], "");

  // The tag table renders with the symbols in force.
  std::string example;
  ASSERT_TRUE(tags_.RenderExample(TAG_NOT, example));
  EXPECT_EQ(Cp932ToUtf8(example), "｢nicht｢総務｣｢人事｣｢経理｣｣部長");

  s->FindReplace.SetSymbol(TAG_REPEAT, "rep");
  s->FindReplace.SetSymbol(TAG_REPEAT, "repeat");  // changed and set back
  s->FindReplace.SetSymbol(0, "x");                // never stored
  s->FindReplace.SetSymbol(17, "x");
  ASSERT_TRUE(s->SaveFindReplace());
  std::string text = FileText(path_);
  EXPECT_NE(text.find("REPEAT=repeat\n"), std::string::npos) << text;
  EXPECT_NE(text.find("NOT=nicht\n"), std::string::npos) << text;
  EXPECT_NE(text.find("BRACKET1=｢\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("STR="), std::string::npos) << text;
  EXPECT_EQ(text.find("LITERAL"), std::string::npos) << text;
  EXPECT_EQ(s->FindReplace.Symbols[0], "");

  auto t = Make(path_);
  ASSERT_TRUE(t->Load());
  EXPECT_TRUE(t->FindReplace.SymbolChanged[TAG_REPEAT]);
  EXPECT_FALSE(t->FindReplace.SymbolChanged[TAG_STRS]);
}

TEST_F(SettingsTest, FindReplaceSizeDefaultsToZeroAndReloads) {
  auto s = Loaded("[Norra]\nIniVersion=3500\n[FindReplace]\nWantTabs=1\n");
  EXPECT_EQ(s->FindReplace.Width, 0);
  EXPECT_EQ(s->FindReplace.Height, 0);
  EXPECT_TRUE(s->FindReplace.WantTabs);

  // Another writer (the options dialog's own save) changed the file.
  WriteAll(path_, Cp932File("[Norra]\nIniVersion=3500\n[FindReplace]\nWidth=450\n"
                            "[KARVOSystem]\nSTR=%\n"));
  s->Vision.ToolBar = false;
  ASSERT_TRUE(s->ReloadFindReplace());
  EXPECT_EQ(s->FindReplace.Width, 450);
  EXPECT_EQ(s->FindReplace.Height, 0);
  EXPECT_EQ(s->FindReplace.Symbols[TAG_STR], "%");
  EXPECT_FALSE(s->Vision.ToolBar);  // other sections untouched
}

TEST_F(SettingsTest, AutoClearByLogBytesConvertedFromOlderFiles) {
  auto s = Loaded("[Norra]\nIniVersion=250\n[EDIT]\nAutoClearByLogBytes=1\nTabStop=6\n");
  EXPECT_TRUE(s->Edit.ClearLogsAllByBigChange);
  EXPECT_EQ(s->Edit.TabStop, 6);
  EXPECT_TRUE(s->OlderVersion());
  EXPECT_EQ(FileText(path_).find("AutoClearByLogBytes"), std::string::npos);
  ASSERT_TRUE(s->Save());
  auto t = Make(path_);
  ASSERT_TRUE(t->Load());
  EXPECT_TRUE(t->Edit.ClearLogsAllByBigChange);

  for (const char* version : {"2809", "3500"}) {
    auto u =
        Loaded(std::string("[Norra]\nIniVersion=") + version + "\n[EDIT]\nAutoClearByLogBytes=1\n");
    EXPECT_FALSE(u->Edit.ClearLogsAllByBigChange) << version;
    EXPECT_NE(FileText(path_).find("AutoClearByLogBytes=1"), std::string::npos) << version;
  }
  auto edge = Loaded("[Norra]\nIniVersion=2808\n[Edit]\nautoclearbylogbytes=1\n");
  EXPECT_TRUE(edge->Edit.ClearLogsAllByBigChange);
}

TEST_F(SettingsTest, LegacyFilesAreMigrated) {
  const std::string longSymbol =
      "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめも";
  auto s = Loaded(
      "[FILE]\nMaxLength=100\nRecentFile0=/r0\nRecentFile1=/r1\nRecentFile2=\nRecentFile3=/r3\n"
      "[EDIT]\nUseTabCode=1\nTabStop=0\nInitImeMode=2\nFontSize=0\n"
      "[DISPLAY]\nVisible_ToolBar=0\nVisible_StatusBar=0\n"
      "[FINDREPLACE]\nWantTabs_FindReplace=1\nWILD_STR=" +
      longSymbol +
      "\nWILD_NUM=\n"
      "WILD_BRACKETCODE=4\n"
      "[WINDOW]\nFR_WIDTH=410\nFR_HEIGHT=300\nMAIN_WIDTH=500\nMAIN_HEIGHT=5000\nMAIN_LEFT=7\n"
      "MAIN_STATE=2\n"
      "[HELP]\nHelp2FileName=/old/help/second.hlp\n"
      "[Other]\nKeep=me\n");
  EXPECT_TRUE(s->OlderVersion());
  EXPECT_EQ(s->File.MaxLength, 2097152);
  EXPECT_EQ(s->File.RecentFiles, (std::vector<std::string>{"/r0", "/r1"}));
  EXPECT_TRUE(s->Edit.UseTabCode);
  EXPECT_EQ(s->Edit.TabStop, 4);
  EXPECT_EQ(s->Edit.InitImeMode, 2);
  EXPECT_EQ(s->Vision.FontSize, 11);
  EXPECT_FALSE(s->Vision.ToolBar);
  EXPECT_FALSE(s->Vision.StatusBar);
  EXPECT_TRUE(s->FindReplace.WantTabs);
  EXPECT_EQ(s->FindReplace.Width, 410);
  EXPECT_EQ(s->FindReplace.Height, 300);
  const TagSymbols& sym = s->FindReplace.Symbols;
  EXPECT_EQ(sym[TAG_STRS], "*s");
  EXPECT_EQ(Cp932ToUtf8(sym[TAG_STR]), longSymbol.substr(0, 32 * 3));  // 32 characters
  EXPECT_EQ(sym[TAG_CHAR], "?");
  EXPECT_EQ(sym[TAG_NUM], "#");
  EXPECT_EQ(sym[TAG_WHICH], "%");
  EXPECT_EQ(sym[TAG_NOT], "!");
  EXPECT_EQ(sym[TAG_INTO], "into");
  EXPECT_EQ(Cp932ToUtf8(sym[TAG_BRACKET1]), "｢");
  EXPECT_EQ(Cp932ToUtf8(sym[TAG_BRACKET2]), "｣");
  EXPECT_EQ(s->Window.Width, 0);
  EXPECT_EQ(s->Window.Height, 1080);
  EXPECT_EQ(s->Window.Top, 0);
  EXPECT_EQ(s->Window.Left, 7);
  EXPECT_EQ(s->Window.WindowState, 2);
  EXPECT_EQ(s->Help.SecondHelpFile, "/old/help/second.hlp");
  EXPECT_EQ(s->Help.SecondHelpName, "second.hlp");

  // The file is rewritten in the current format; the migrated symbols are kept in it.
  std::string text = FileText(path_);
  for (const char* old : {"[FILE]", "[EDIT]", "[DISPLAY]", "[FINDREPLACE]", "[WINDOW]", "[HELP]",
                          "RecentFile0", "WILD_"}) {
    EXPECT_EQ(text.find(old), std::string::npos) << old << "\n" << text;
  }
  EXPECT_NE(text.find("[Other]\nKeep=me\n"), std::string::npos) << text;
  EXPECT_NE(text.find("IniVersion=3500"), std::string::npos) << text;
  auto t = Make(path_);
  ASSERT_TRUE(t->Load());
  EXPECT_FALSE(t->OlderVersion());
  EXPECT_EQ(t->FindReplace.Symbols, sym);
  EXPECT_EQ(t->File.RecentFiles, s->File.RecentFiles);
  EXPECT_EQ(t->Vision.FontSize, 11);
  EXPECT_EQ(t->Edit.TabStop, 4);
  EXPECT_EQ(t->Help.SecondHelpName, "second.hlp");
}

TEST_F(SettingsTest, LegacyBracketCodesAndWindowBounds) {
  const char* pairs[][2] = {{"[", "]"}, {"(", ")"}, {"{", "}"}, {"<", ">"}, {"｢", "｣"}, {"[", "]"}};
  for (int code = 0; code <= 5; ++code) {
    auto s = Loaded("[FINDREPLACE]\nWILD_BRACKETCODE=" + std::to_string(code) +
                    "\n[WINDOW]\nMAIN_WIDTH=580\nMAIN_HEIGHT=420\n");
    EXPECT_EQ(Cp932ToUtf8(s->FindReplace.Symbols[TAG_BRACKET1]), pairs[code][0]) << code;
    EXPECT_EQ(Cp932ToUtf8(s->FindReplace.Symbols[TAG_BRACKET2]), pairs[code][1]) << code;
    EXPECT_EQ(s->Window.Width, 580);
    EXPECT_EQ(s->Window.Height, 420);
    EXPECT_EQ(s->Window.Top, (1080 - 420) / 2);
    EXPECT_EQ(s->Window.Left, (1920 - 580) / 2);
  }
  auto big = Loaded("[WINDOW]\nMAIN_WIDTH=5000\nMAIN_HEIGHT=419\n");
  EXPECT_EQ(big->Window.Width, 1920);
  EXPECT_EQ(big->Window.Height, 0);
  EXPECT_EQ(big->Window.Left, 0);
  EXPECT_EQ(big->Window.Top, 540);
}

TEST_F(SettingsTest, DamagedFilesGiveDefaultsWhereUnreadable) {
  const char head[] = "\0\xFF\xFE[\x81\r\n=\x85\n\n[[[]]]\x01\x02";
  std::string junk(head, sizeof head - 1);
  junk +=
      "\r\n[Norra]\r\nIniVersion=3500\r\nno equals here\r\nUserName=First\r\n"
      "[Vision]\r\nFontSize=-40\r\nLeftBlank=99999999999999999999\r\n"
      "[NORRA]\r\nUserName=Second\r\nDispUserName=1\r\n";
  WriteAll(path_, junk);
  auto s = Make(path_);
  ASSERT_TRUE(s->Load());
  EXPECT_EQ(s->General.UserName, "First");
  EXPECT_FALSE(s->General.DispUserName);
  EXPECT_EQ(s->Vision.FontSize, 11);
  EXPECT_EQ(s->Vision.LeftBlank, 99);
  EXPECT_EQ(s->Edit.TabStop, 4);
  ASSERT_TRUE(s->Save());
  // The junk stays; the values land in the first of the duplicate sections.
  std::string bytes = ReadAll(path_);
  EXPECT_EQ(bytes.compare(0, 4, std::string("\0\xFF\xFE[", 4)), 0);
  EXPECT_NE(bytes.find("no equals here"), std::string::npos);
  auto t = Make(path_);
  ASSERT_TRUE(t->Load());
  EXPECT_EQ(t->General.UserName, "First");
}

TEST_F(SettingsTest, UnreadableFileIsNeverOverwritten) {
  fs::create_directories(path_);  // a folder where the file should be
  auto s = Make(path_);
  EXPECT_FALSE(s->Load());
  EXPECT_EQ(s->General.UserName, "DefaultUser");
  EXPECT_FALSE(s->Save());
  EXPECT_FALSE(s->SaveVision());
  EXPECT_FALSE(s->ReloadFindReplace());
  EXPECT_TRUE(fs::is_directory(path_));
}

TEST_F(SettingsTest, SaveFailsWhereTheFolderCannotBeMade) {
  WriteAll(dir_ / "plain", "x");
  auto s = Make(dir_ / "plain" / "Norra.ini");
  EXPECT_TRUE(s->Load());  // nothing there to read: defaults
  EXPECT_FALSE(s->Save());
  EXPECT_FALSE(s->SaveFile());
  EXPECT_EQ(ReadAll(dir_ / "plain"), "x");
}

TEST_F(SettingsTest, FailedSaveLeavesTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  auto s = Loaded("[Norra]\nIniVersion=3500\nUserName=Kept\n");
  std::string before = ReadAll(path_);
  fs::path sub = dir_;
  ::chmod(sub.c_str(), 0555);
  s->General.UserName = "Lost";
  bool saved = s->Save();
  ::chmod(sub.c_str(), 0755);
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadAll(path_), before);
}

TEST_F(SettingsTest, SectionSavesWriteOnlyTheirSectionAndKeepOthersChanges) {
  auto s = Loaded("[Norra]\nIniVersion=3500\n[Print]\nCopies=3\n");
  s->Print.Copies = 9;
  s->Vision.ToolBar = false;
  // Someone edits the file meanwhile; a section save keeps that edit.
  WriteAll(path_, Cp932File("[Norra]\nIniVersion=3500\n[Print]\nCopies=3\n[Mine]\nA=1\n"));
  ASSERT_TRUE(s->SaveVision());
  std::string text = FileText(path_);
  EXPECT_NE(text.find("Copies=3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[Mine]\nA=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[Vision]\nToolBar=0\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("[Edit]"), std::string::npos) << text;
  ASSERT_TRUE(s->SavePrint());
  EXPECT_NE(FileText(path_).find("Copies=9\n"), std::string::npos);
  s->Edit.TabStop = 2;
  ASSERT_TRUE(s->SaveEdit());
  EXPECT_NE(FileText(path_).find("[Edit]\nUseTabCode=0\nTabStop=2\n"), std::string::npos);
}

TEST_F(SettingsTest, SecondHelpChoice) {
  auto s = Loaded("[Norra]\nIniVersion=3500\n[Help]\nSecondHelp=/usr/share/doc/x/\n");
  EXPECT_FALSE(s->Help.HasSecondHelp());  // no file-name part to split off
  EXPECT_EQ(s->Help.SecondHelpName, "第2ﾍﾙﾌﾟ");

  auto t = Loaded("[Norra]\nIniVersion=3500\n[Help]\nSecondHelp=ref.txt\n");
  EXPECT_TRUE(t->Help.HasSecondHelp());
  EXPECT_EQ(t->Help.SecondHelpFile, "ref.txt");
  EXPECT_EQ(t->Help.SecondHelpName, "ref.txt");
  ASSERT_TRUE(t->Save());
  EXPECT_NE(FileText(path_).find("SecondHelp=ref.txt"), std::string::npos);

  // Taking the choice back removes it from the file.
  t->Help.SetSecondHelp("");
  EXPECT_EQ(t->Help.SecondHelpFile, "第2ﾍﾙﾌﾟ");
  ASSERT_TRUE(t->Save());
  EXPECT_EQ(FileText(path_).find("SecondHelp"), std::string::npos);
}

TEST_F(SettingsTest, ValuesCp932CannotHoldMakeAUtf8File) {
  auto s = Loaded("[Norra]\nIniVersion=3500\n; コメント\n");
  s->General.UserName = "Zoë 😀";
  s->AddRecentFile("/tmp/bad\xFFname");  // not UTF-8: kept for this run, not stored
  s->AddRecentFile("/tmp/é.txt");
  ASSERT_TRUE(s->Save());
  std::string bytes = ReadAll(path_);
  EXPECT_TRUE(IsValidUtf8(bytes));
  EXPECT_NE(bytes.find("; コメント"), std::string::npos);
  auto t = Make(path_);
  ASSERT_TRUE(t->Load());
  EXPECT_EQ(t->General.UserName, "Zoë 😀");
  EXPECT_EQ(t->File.RecentFiles, std::vector<std::string>{"/tmp/é.txt"});
}

// Settings files the editor did not write in the current format, as it may find them.
struct FoundFile {
  const char* what;
  std::string bytes;
  Settings::FileKind kind;
};

std::vector<FoundFile> FoundFiles() {
  using K = Settings::FileKind;
  return {
      {"notes", Cp932File("notes\n[Edit]\nimportant=1\n"), K::Damaged},
      {"random bytes", std::string("\x00\xFF\x81\r\x85garbage\n\x01\xFE", 16), K::Damaged},
      {"damaged first line", std::string("\x85\x01rra]\r\nIniVersion=3500\r\nUserName=Me\r\n"),
       K::Damaged},
      {"version line lost",
       Cp932File("[Norra]\nUserName=Me\nIniVersoin=3500\n[File]\nRecent0=/a\n"
                 "[Vision]\nFontName=IPAGothic\n[KARVOSystem]\nWHICH=w\n"),
       K::Unversioned},
      {"legacy", Cp932File("[FINDREPLACE]\nWILD_STR=%%\n[EDIT]\nTabStop=8\n[Mine]\nA=1\n"),
       K::Legacy},
  };
}

std::vector<std::string> FolderNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(SettingsTest, ReadOnlyLoadNeverWritesTheFileAndTakesWhatTheEditorWould) {
  using K = Settings::FileKind;
  std::vector<FoundFile> files = FoundFiles();
  files.push_back({"empty", "", K::New});
  files.push_back({"current with an old key",
                   Cp932File("[Norra]\nIniVersion=250\n[EDIT]\nAutoClearByLogBytes=1\n"),
                   K::Current});
  for (const FoundFile& f : files) {
    SCOPED_TRACE(f.what);
    WriteAll(path_, f.bytes);
    auto s = Make(path_);
    ASSERT_TRUE(s->Load(Settings::LoadMode::ReadOnly));
    EXPECT_EQ(s->Kind(), f.kind);
    EXPECT_TRUE(s->Notice().text.empty());
    EXPECT_FALSE(s->Save());
    EXPECT_FALSE(s->SaveVision());
    EXPECT_EQ(ReadAll(path_), f.bytes);
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"Norra.ini"});

    // The symbols are those the editor would use with this file: the built-in ones unless
    // the file gives others.
    const TagSymbols& sym = s->FindReplace.Symbols;
    switch (f.kind) {
      case K::Legacy:
        EXPECT_EQ(sym[TAG_STR], "%%");
        EXPECT_EQ(sym[TAG_WHICH], "%");  // the old version's own symbols
        EXPECT_EQ(s->Edit.TabStop, 8);
        break;
      case K::Unversioned:
        EXPECT_EQ(sym[TAG_WHICH], "w");
        EXPECT_EQ(sym[TAG_STRS], "*csv");
        EXPECT_EQ(s->General.UserName, "Me");
        break;
      case K::Current:
        EXPECT_TRUE(s->Edit.ClearLogsAllByBigChange);
        [[fallthrough]];
      default:
        EXPECT_EQ(sym, tags_.BuiltInSymbols());
        EXPECT_EQ(s->General.UserName, "DefaultUser");
    }
  }
}

TEST_F(SettingsTest, FileTheEditorDidNotWriteIsKeptBesideBeforeItIsRewritten) {
  using K = Settings::FileKind;
  const std::string bak = (dir_ / "Norra.ini.bak").string();
  for (const FoundFile& f : FoundFiles()) {
    SCOPED_TRACE(f.what);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    WriteAll(path_, f.bytes);
    auto s = Make(path_);
    ASSERT_TRUE(s->Load());
    EXPECT_EQ(s->Kind(), f.kind);
    EXPECT_EQ(s->BackupPath(), bak);
    EXPECT_EQ(ReadAll(bak), f.bytes);
    EXPECT_NE(s->Notice().text.find(bak), std::string::npos) << s->Notice().text;
    EXPECT_EQ(s->Notice().warning, f.kind != K::Legacy);
    if (f.kind == K::Legacy) {
      // Migrated and rewritten at once, as before.
      EXPECT_NE(FileText(path_).find("IniVersion=3500"), std::string::npos);
      EXPECT_EQ(Cp932ToUtf8(s->FindReplace.Symbols[TAG_STR]), "%%");
    } else {
      // Left as it is until the settings are saved.
      EXPECT_EQ(ReadAll(path_), f.bytes);
    }
    if (f.kind == K::Unversioned) {
      EXPECT_EQ(s->General.UserName, "Me");
      EXPECT_EQ(s->File.RecentFiles, std::vector<std::string>{"/a"});
      EXPECT_EQ(s->Vision.FontName, "IPAGothic");
      EXPECT_EQ(s->FindReplace.Symbols[TAG_WHICH], "w");
    }
    if (f.kind == K::Damaged) {
      EXPECT_EQ(s->General.UserName, "DefaultUser");
      EXPECT_EQ(s->FindReplace.Symbols, tags_.BuiltInSymbols());
    }
    ASSERT_TRUE(s->Save());
    EXPECT_EQ(ReadAll(bak), f.bytes);

    // Written by the editor now: read as usual, nothing more kept or said.
    auto t = Make(path_);
    ASSERT_TRUE(t->Load());
    EXPECT_EQ(t->Kind(), K::Current);
    EXPECT_TRUE(t->Notice().text.empty());
    EXPECT_TRUE(t->BackupPath().empty());
    EXPECT_EQ(t->General.UserName, s->General.UserName);
    EXPECT_EQ(t->FindReplace.Symbols, s->FindReplace.Symbols);
    EXPECT_EQ(FolderNames(dir_), (std::vector<std::string>{"Norra.ini", "Norra.ini.bak"}));
  }

  // An earlier copy is never replaced: the next one is numbered.
  WriteAll(path_, "junk");
  auto again = Make(path_);
  ASSERT_TRUE(again->Load());
  EXPECT_EQ(again->BackupPath(), bak + ".1");
  EXPECT_EQ(ReadAll(bak + ".1"), "junk");
  EXPECT_EQ(ReadAll(bak), FoundFiles().back().bytes);
}

TEST_F(SettingsTest, EmptyOrMissingFileIsNewAndNeedsNoCopy) {
  for (bool exists : {false, true}) {
    fs::remove(path_);
    if (exists) WriteAll(path_, "");
    auto s = Make(path_);
    ASSERT_TRUE(s->Load());
    EXPECT_EQ(s->Kind(), Settings::FileKind::New);
    EXPECT_TRUE(s->OlderVersion());
    EXPECT_TRUE(s->Notice().text.empty());
    EXPECT_EQ(s->FindReplace.Symbols, tags_.BuiltInSymbols());
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"Norra.ini"});
    EXPECT_EQ(FileText(path_), kDefaultFile);
  }
}

TEST_F(SettingsTest, FileThatCannotBeKeptIsNeverWritten) {
  // Every backup name taken: the copy cannot be made, so neither the migration nor any later
  // save may touch the file.
  fs::create_directories(dir_ / "Norra.ini.bak");
  for (int n = 1; n <= Settings::kMaxBackupNumber; ++n)
    fs::create_directories(dir_ / ("Norra.ini.bak." + std::to_string(n)));
  for (const FoundFile& f : FoundFiles()) {
    SCOPED_TRACE(f.what);
    WriteAll(path_, f.bytes);
    auto s = Make(path_);
    ASSERT_TRUE(s->Load());
    EXPECT_TRUE(s->BackupPath().empty());
    EXPECT_TRUE(s->Notice().warning);
    EXPECT_NE(s->Notice().text.find(path_.string()), std::string::npos) << s->Notice().text;
    EXPECT_FALSE(s->Save());
    EXPECT_FALSE(s->SaveVision());
    EXPECT_EQ(ReadAll(path_), f.bytes);
  }
}

}  // namespace
}  // namespace norra

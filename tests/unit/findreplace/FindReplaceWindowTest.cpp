// The find/replace window's commands over the open Pages, as tables of text with selection,
// commands and what the Pages and message boxes show afterwards.
#include "FindWindowHarness.h"

namespace norra::testing {
namespace {

// One command and what follows it: "#i text" is the active Page's index and marked text, then
// the message boxes shown meanwhile as "caption: text".
struct Step {
  char command;  // F find next, R replace and next, A replace all
  const char* shown;
  std::vector<std::string> boxes;
};

struct PagesCase {
  const char* what;
  std::vector<std::string> pages;
  std::size_t active;
  FindRange range;
  bool down;
  const char* find;
  const char* replace;
  std::vector<Step> steps;
  std::vector<std::string> names = {};
  const char* masks = "";
};

const char* const kEnd1 = "指定対象の検索が終了しました。\n(現在の条件での検出数 : 1)";
const char* const kEnd2 = "指定対象の検索が終了しました。\n(現在の条件での検出数 : 2)";
const char* const kEnd0 = "指定対象の検索が終了しました。\n(現在の条件での検出数 : 0)";

const PagesCase kPagesCases[] = {
    {"find next in the current file goes round with the count of the run",
     {"|ab ab"},
     0,
     FindRange::CurrentPad,
     false,
     "ab",
     "",
     {{'F', "#0 [ab] ab", {}},
      {'F', "#0 ab [ab]", {}},
      {'F', "#0 [ab] ab", {std::string("◆次を検索 - [無題1]: ") + kEnd2}},
      // After the run ended, a selection equal to the find text is stepped over.
      {'F', "#0 ab [ab]", {}}}},
    {"one match goes round to itself and counts once",
     {"|xab"},
     0,
     FindRange::CurrentPad,
     false,
     "ab",
     "",
     {{'F', "#0 x[ab]", {}}, {'F', "#0 x[ab]", {std::string("◆次を検索 - [無題1]: ") + kEnd1}}}},
    {"downward from below the last match ends at once",
     {"ab ab|"},
     0,
     FindRange::CurrentPad,
     true,
     "ab",
     "",
     {{'F', "#0 ab ab|", {std::string("◆次を検索 - [無題1]: ") + kEnd0}}}},
    {"no match from the start tries no wrap-around",
     {"|xyz"},
     0,
     FindRange::CurrentPad,
     false,
     "ab",
     "",
     {{'F', "#0 |xyz", {std::string("◆次を検索 - [無題1]: ") + kEnd0}}}},
    {"letters compare without case unless asked",
     {"|xAB"},
     0,
     FindRange::CurrentPad,
     false,
     "ab",
     "",
     {{'F', "#0 x[AB]", {}}}},
    {"two-byte characters are stepped whole",
     {"|あいあ"},
     0,
     FindRange::CurrentPad,
     false,
     "あ",
     "",
     {{'F', "#0 [あ]いあ", {}}, {'F', "#0 あい[あ]", {}}}},
    {"the whole notebook moves on to the next Page and comes round",
     {"|xx", "ab"},
     0,
     FindRange::AllNote,
     false,
     "ab",
     "",
     {{'F', "#1 [ab]", {}}, {'F', "#1 [ab]", {std::string("◆次を検索 - [ﾒﾓ帳全体]: ") + kEnd1}}}},
    {"the whole notebook skips a Page whose name the masks refuse",
     {"|ab", "ab", "ab"},
     0,
     FindRange::AllNote,
     false,
     "ab",
     "",
     {{'F', "#0 [ab]", {}}, {'F', "#2 [ab]", {}}},
     {"a.txt", "b.doc", "c.TXT"},
     "*.txt"},
    {"the selected text is searched only inside the region",
     {"ab[ab ab]ab"},
     0,
     FindRange::SelText,
     false,
     "ab",
     "",
     {{'F', "#0 ab[ab] abab", {}},
      {'F', "#0 abab [ab]ab", {}},
      {'F', "#0 ab[ab ab]ab", {std::string("◆次を検索 - [選択された文]: ") + kEnd2}}}},
    {"the selected-text range without a selection says so",
     {"ab|ab"},
     0,
     FindRange::SelText,
     false,
     "ab",
     "",
     {{'F', "#0 ab|ab", {"選択文字列内検索: 現在のﾌｧｲﾙに｢選択された文｣がありません。"}}}},
    {"replace and next selects first, then replaces and selects the next",
     {"|ab ab"},
     0,
     FindRange::CurrentPad,
     false,
     "ab",
     "X",
     {{'R', "#0 [ab] ab", {}},
      {'R', "#0 X [ab]", {}},
      {'R',
       "#0 X X|",
       {"◆置換して次 - [無題1]: 検索文字列が見つかりません。\n(現在の条件での置換数 : 2)"}}}},
    {"downward, replace and next ends on the last replacement",
     {"|ab ab"},
     0,
     FindRange::CurrentPad,
     true,
     "ab",
     "X",
     {{'R', "#0 [ab] ab", {}},
      {'R', "#0 X [ab]", {}},
      {'R',
       "#0 X [X]",
       {"◆置換して次 - [無題1]: 検索文字列が見つかりません。\n(現在の条件での置換数 : 2)"}}}},
    {"replace and next over the notebook goes on to the next Page",
     {"|ab", "ab"},
     0,
     FindRange::AllNote,
     false,
     "ab",
     "X",
     {{'R', "#0 [ab]", {}},
      {'R', "#1 [ab]", {}},
      {'R',
       "#1 X|",
       {"◆置換して次 - [ﾒﾓ帳全体]: 検索文字列が見つかりません。\n(現在の条件での置換数 : 2)"}}}},
    {"replace and next in the selection keeps to the region as it changes",
     {"ab[ab ab]ab"},
     0,
     FindRange::SelText,
     false,
     "ab",
     "XYZ",
     {{'R', "#0 ab[ab] abab", {}},
      {'R', "#0 abXYZ [ab]ab", {}},
      {'R',
       "#0 ab[XYZ XYZ]ab",
       {"◆置換して次 - [選択された文]: 検索文字列が見つかりません。\n(現在の条件での置換数 : "
        "2)"}}}},
    {"replace and next in the selection without a selection is an error",
     {"ab|ab"},
     0,
     FindRange::SelText,
     false,
     "ab",
     "X",
     {{'R',
       "#0 ab|ab",
       {"◆置換して次 - [選択された文]: 現在のﾌｧｲﾙに｢選択された文｣がありません。"}}}},
    {"replace all in the current file",
     {"ab c|ab"},
     0,
     FindRange::CurrentPad,
     false,
     "ab",
     "X",
     {{'A', "#0 X c|X", {"◆全て置換 - [p0.txt]: 置換終了しました。\n(現在の条件での置換数 : 2)"}}}},
    {"replace all in the current file without a match",
     {"a|b"},
     0,
     FindRange::CurrentPad,
     false,
     "zz",
     "X",
     {{'A', "#0 a|b", {"◆全て置換 - [p0.txt]: 検索文字列が見つかりません。"}}}},
    {"replace all in the selection leaves the rest alone",
     {"ab [ab ab] ab"},
     0,
     FindRange::SelText,
     false,
     "ab",
     "X",
     {{'A',
       "#0 ab [X X] ab",
       {"◆全て置換 - [選択された文]: 置換終了しました。\n(現在の条件での置換数 : 2)"}}}},
    {"replace all in the selection without a selection",
     {"ab|"},
     0,
     FindRange::SelText,
     false,
     "ab",
     "X",
     {{'A', "#0 ab|", {"全て置換 - [選択された文]: 現在のﾌｧｲﾙに｢選択された文｣がありません。"}}}},
    {"replace all over the notebook with masks (an empty piece and lower case)",
     {"|ab", "ab ab", "ab"},
     0,
     FindRange::AllNote,
     false,
     "ab",
     "X",
     {{'A', "#0 |X", {"◆全て置換 - [ﾒﾓ帳全体]: 置換終了しました。\n(現在の条件での置換数 : 2)"}}},
     {"a.txt", "b.doc", "c.TXT"},
     "*.DOCX;;*.txt"},
};

class PagesTableTest : public FindWindowTest {};

TEST_F(PagesTableTest, CommandsOverTheOpenPages) {
  for (const PagesCase& c : kPagesCases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    OpenPages(c.pages, c.active, c.names);
    window->SetMode(kReplaceMode);
    window->ChooseRange(c.range);
    window->SetDirectionDown(c.down);
    window->SetMaskText(c.masks);
    SetFind(c.find);
    SetReplace(c.replace);
    for (const Step& step : c.steps) {
      SCOPED_TRACE(std::string(1, step.command) + " -> " + step.shown);
      if (step.command == 'F') window->FindNext();
      if (step.command == 'R') window->ReplaceNext();
      if (step.command == 'A') window->ReplaceAll();
      EXPECT_EQ("#" + std::to_string(ActiveIndex()) + " " + Show(), step.shown);
      EXPECT_EQ(TakeBoxes(), step.boxes);
    }
  }
}

TEST_F(FindWindowTest, ReplacementsRecordTheirKindsAndUndoOneStepEach) {
  OpenPages({"|ab ab"});
  window->SetMode(kReplaceMode);
  SetFind("ab");
  SetReplace("X");
  window->ReplaceNext();
  window->ReplaceNext();
  window->ChooseRange(FindRange::SelText);
  docs->ActivePage()->Control().SetSelection(0, 5);
  window->ReplaceAll();
  EXPECT_EQ(Show(), "[X X]");
  window->ChooseRange(FindRange::CurrentPad);
  SetFind("X");
  SetReplace("YY");
  window->ReplaceAll();
  EXPECT_EQ(Show(), "[YY ]YY");  // the selection keeps its place
  std::vector<int> kinds;
  for (const UndoRecord& record : log->Records()) kinds.push_back(record.kind);
  EXPECT_EQ(kinds, (std::vector<int>{kUndoReplaceOne, kUndoReplaceSelection, kUndoReplaceAll}));
  log->UndoLast();
  EXPECT_EQ(Show(), "[X X]");
  log->UndoLast();
  EXPECT_EQ(Memory(*docs->ActivePage()).Buffer(), "X ab");
  log->UndoLast();
  EXPECT_EQ(Memory(*docs->ActivePage()).Buffer(), "ab ab");
}

TEST_F(FindWindowTest, ASelectionMovedOutOfTheRegionIsTheNewRegion) {
  OpenPages({"[xab x]ab xab"});
  window->ChooseRange(FindRange::SelText);
  SetFind("ab");
  window->FindNext();
  EXPECT_EQ(Show(), "x[ab] xab xab");
  docs->ActivePage()->Control().SetSelection(8, 3);
  window->FindNext();
  EXPECT_EQ(Show(), "xab xab x[ab]");
  EXPECT_EQ(window->Run().SelectionRegion.start, 9);
  EXPECT_EQ(window->Engine().FindCount, 1);
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(FindWindowTest, ReplaceAllOverTheNotebookIsOneUndoStepForEveryPageItChanged) {
  OpenPages({"|ab", "xx", "cab", "ab ab"}, 1);
  const std::vector<std::string> before = {Show(0), Show(1), Show(2), Show(3)};
  window->SetMode(kReplaceMode);
  window->ChooseRange(FindRange::AllNote);
  SetFind("ab");
  SetReplace("XYZ");
  window->ReplaceAll();
  EXPECT_EQ(TakeBoxes(),
            (std::vector<std::string>{
                "◆全て置換 - [ﾒﾓ帳全体]: 置換終了しました。\n(現在の条件での置換数 : 4)"}));
  EXPECT_EQ(Memory(*PageAt(3)).Buffer(), "XYZ XYZ");
  ASSERT_EQ(log->RecordCount(), 3u);  // the Page without a match records nothing
  for (const UndoRecord& record : log->Records()) EXPECT_EQ(record.kind, kUndoReplaceAllPages);
  EXPECT_TRUE(PageAt(0)->Modified());
  EXPECT_FALSE(PageAt(1)->Modified());
  // Progress went to status panel 0, which is empty again at the end; both windows came back.
  EXPECT_EQ(host.status.front(), "置換処理中 - [p0.txt] 置換数 : 0");
  EXPECT_EQ(host.status.back(), "");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"main off", "main on"}));
  EXPECT_EQ(view.calls, (std::vector<std::string>{"window off", "window on"}));

  ASSERT_NE(log->UndoLast(), nullptr);
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ((std::vector<std::string>{Show(0), Show(1), Show(2), Show(3)}), before);
}

TEST_F(FindWindowTest, AReplaceAllTooLongForAPageLeavesThatPageUntouched) {
  OpenPages({"|ab", "abab", "ab"});
  Memory(*PageAt(1)).SetMaxLength(5);
  window->SetMode(kReplaceMode);
  window->ChooseRange(FindRange::AllNote);
  SetFind("ab");
  SetReplace("XYZ");
  window->ReplaceAll();
  EXPECT_EQ(Memory(*PageAt(0)).Buffer(), "XYZ");
  EXPECT_EQ(Memory(*PageAt(1)).Buffer(), "abab");
  EXPECT_FALSE(PageAt(1)->Modified());
  EXPECT_EQ(Memory(*PageAt(2)).Buffer(), "XYZ");
  EXPECT_EQ(TakeBoxes(),
            (std::vector<std::string>{
                "Norra: 置換後の全文がﾌｧｲﾙｻｲｽﾞ最大値を超えるため、置換しません",
                "◆全て置換 - [ﾒﾓ帳全体]: 置換終了しました。\n(現在の条件での置換数 : 2)"}));
  EXPECT_EQ(log->RecordCount(), 2u);
}

TEST_F(FindWindowTest, BadFindOrReplaceTextsAreReportedAndChangeNothing) {
  struct BadCase {
    const char* find;
    const char* replace;
    const char* box;
  };
  const BadCase cases[] = {
      {"", "X", "Norra: 検索する文が0文字です。"},
      {"[not[a]][not[b]]", "X",
       "◆KARVO検索置換ｼｽﾃﾑ: 検索タグ not を連続してオーダーすることはできません"},
      {"ab", "a[now['yy]]b", "Norra: 時間ﾌｫｰﾏｯﾄ ''yy' は解析不能です"},
  };
  OpenPages({"|ab ab"});
  window->SetMode(kReplaceMode);
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.find);
    SetFind(c.find);
    SetReplace(c.replace);
    for (FindRange range : {FindRange::CurrentPad, FindRange::AllNote}) {
      window->ChooseRange(range);
      window->FindNext();
      window->ReplaceNext();
      window->ReplaceAll();
      EXPECT_EQ(TakeBoxes(), (std::vector<std::string>(3, c.box)));
      EXPECT_EQ(Show(), "|ab ab");
      EXPECT_TRUE(window->Engine().ConditionsChanged);  // the next command compiles again
    }
  }
  EXPECT_EQ(log->RecordCount(), 0u);
}

TEST_F(FindWindowTest, OpenRequestsSetModeRangeAndTakeTheSelectionAsFindText) {
  // No Page: the remembered current-file range falls back to the folder range.
  window->Open(kFindMode);
  EXPECT_EQ(view.caption, "検索 (KARVO System)");
  EXPECT_EQ(window->Range(), FindRange::Directory);
  EXPECT_TRUE(view.visible);
  EXPECT_FALSE(view.Shown("cmdReplaceAll"));
  EXPECT_TRUE(view.Shown("cmdShiftReplaceMode"));
  EXPECT_TRUE(view.Shown("txtFindDirectory"));
  EXPECT_FALSE(view.enabledControls["cmdFindNext"]);
  EXPECT_EQ(view.colours.size(), 1u);  // the colours are applied at the first showing only

  OpenPages({"a[bc]d"});
  window->Open(kReplaceMode);
  EXPECT_EQ(view.caption, "検索/置換 (KARVO System)");
  EXPECT_EQ(window->WindowMode, kReplaceMode);
  EXPECT_EQ(window->Range(), FindRange::CurrentPad);
  EXPECT_EQ(Cp932ToUtf8(findBox.Buffer()), "bc");
  EXPECT_TRUE(view.Shown("cmdReplaceAll"));
  EXPECT_FALSE(view.Shown("cmdShiftReplaceMode"));
  EXPECT_TRUE(view.enabledControls["cmdFindNext"]);
  EXPECT_EQ(view.colours.size(), 1u);

  // The selection range keeps the find text: the selection is what is searched.
  SetFind("x");
  window->Open(kOpenFindSelection);
  EXPECT_EQ(window->WindowMode, kFindMode);
  EXPECT_EQ(window->Range(), FindRange::SelText);
  EXPECT_EQ(Cp932ToUtf8(findBox.Buffer()), "x");

  // The range used last comes back with the next request.
  window->ChooseRange(FindRange::AllNote);
  window->FindNext();
  EXPECT_EQ(window->LastRangeKind, FindRange::AllNote);
  window->ChooseRange(FindRange::CurrentPad);
  window->Open(kFindMode);
  EXPECT_EQ(window->Range(), FindRange::AllNote);
  EXPECT_TRUE(view.Shown("txtFindFileName"));
  EXPECT_FALSE(view.Shown("txtFindDirectory"));
}

TEST_F(FindWindowTest, SizesAtCreationAndAtTheModeSwitch) {
  // Stored sizes below 200 high or 300 wide are ignored.
  settings->FindReplace.Height = 150;
  settings->FindReplace.Width = 250;
  view.geometry = {0, 0, 391, 150};
  ASSERT_TRUE(window->Create());
  EXPECT_EQ(view.geometry.width, 391);
  EXPECT_EQ(view.geometry.height, 171);  // find mode makes room for its controls
  view.geometry.height = 150;
  window->SetMode(kReplaceMode);
  EXPECT_EQ(view.geometry.height, 219);

  settings->FindReplace.Height = 250;
  settings->FindReplace.Width = 400;
  ASSERT_TRUE(window->Create());
  EXPECT_EQ(view.geometry.height, 250);
  EXPECT_EQ(view.geometry.width, 400);
  EXPECT_EQ(view.geometry.left, (1920 - 400) / 2);
}

TEST_F(FindWindowTest, PlacementBesideTheCaret) {
  struct PlaceCase {
    int caretLine;
    int firstVisible;
    int mainLeft;
    int top;
    int left;
  };
  // Screen 1920 x 1080, window 400 x 300: caret estimates above half the screen put the
  // window at the bottom, below it at the top; a main window on the right half puts it left.
  const PlaceCase cases[] = {
      {0, 0, 0, 1080 - 300 - 30, 1920 - 400 - 6},
      {28, 0, 0, 1080 - 300 - 30, 1920 - 400 - 6},  // 28 * 15 + 112 = 532: not above 540
      {29, 0, 0, 30, 1920 - 400 - 6},               // 547
      {29, 10, 0, 1080 - 300 - 30, 1920 - 400 - 6},
      {0, 0, 961, 1080 - 300 - 30, 6},
  };
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line\r\n";
  OpenPages({"|" + text});
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.caretLine);
    Page& page = *docs->ActivePage();
    page.Control().SetSelection(static_cast<std::size_t>(c.caretLine) * 6, 0);
    Memory(page).SetFirstVisibleLine(static_cast<std::size_t>(c.firstVisible));
    host.mainLeft = c.mainLeft;
    view.geometry = {0, 0, 400, 300};
    window->Open(kFindMode);
    EXPECT_EQ(view.geometry.top, c.top);
    EXPECT_EQ(view.geometry.left, c.left);
  }
}

TEST_F(FindWindowTest, KeysOfTheWindowAndItsBoxes) {
  OpenPages({"|ab"});
  window->Open(kFindMode);
  SetFind("ab");
  EXPECT_TRUE(window->KeyDown(kKeyF3, 0, nullptr));
  EXPECT_EQ(Show(), "[ab]");
  EXPECT_TRUE(window->KeyDown(kKeyF6, 0, nullptr));
  EXPECT_EQ(host.options, std::vector<int>{5});
  // F1 opens the window's topic; the help menu the guides' topics and the about box.
  EXPECT_TRUE(window->KeyDown(kKeyF1, 0, nullptr));
  window->FindGuide();
  window->TagGuide();
  EXPECT_EQ(host.topics, (std::vector<int>{1009, 1009, 1010}));
  window->About();
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"ﾊﾞｰｼﾞｮﾝ情報: KARVO検索置換ｼｽﾃﾑ\nVersion 1.0"});

  // Ctrl+A, Ctrl+C and Ctrl+V act on the focused box.
  const FindBox find = FindBox::Find;
  EXPECT_TRUE(window->KeyDown('A', kCtrlKey, &find));
  EXPECT_TRUE(window->KeyDown('C', kCtrlKey, &find));
  EXPECT_EQ(clipboard.GetText(), "ab");
  const FindBox replace = FindBox::Replace;
  EXPECT_TRUE(window->KeyDown('V', kCtrlKey, &replace));
  EXPECT_EQ(replaceBox.Buffer(), "ab");

  // The boxes have the program's Home and End, without undo records.
  SetFind("  abc");
  findBox.SetSelection(5, 0);
  findBox.PressKey(kKeyHome);
  EXPECT_EQ(ShowMarked(findBox), "  |abc");
  findBox.PressKey(kKeyHome);
  EXPECT_EQ(ShowMarked(findBox), "|  abc");
  findBox.PressKey(kKeyEnd);
  EXPECT_EQ(ShowMarked(findBox), "  abc|");
  // Without WantTabs, Tab is left to the control (which moves the focus on).
  findBox.SetWantTabs(false);
  EXPECT_FALSE(findBox.PressKey(kKeyTab) && findBox.Buffer() != "  abc");
  EXPECT_EQ(log->RecordCount(), 0u);

  // Esc closes the window, unless a history list is open.
  EXPECT_TRUE(window->KeyDown(kKeyEscape, 0, nullptr));
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(host.calls.back(), "focus page");
  EXPECT_FALSE(window->KeyDown('Q', 0, nullptr));
}

TEST_F(FindWindowTest, ChangingAnyConditionMakesTheNextCommandCompileAndResetTheRun) {
  OpenPages({"|ab ab"});
  SetFind("ab");
  window->FindNext();
  window->FindNext();
  EXPECT_EQ(window->Engine().FindCount, 2);
  EXPECT_FALSE(window->Engine().ConditionsChanged);
  window->SetMatchCase(true);
  EXPECT_TRUE(window->Engine().ConditionsChanged);
  SetFind("AB");
  window->FindNext();  // the run starts again: no match of AB with case kept
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{std::string("◆次を検索 - [無題1]: ") + kEnd0});
  window->SetMatchCase(false);
  window->FindNext();  // a new run: the selected match is stepped over
  EXPECT_EQ(Show(), "[ab] ab");
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(FindWindowTest, CommandsStoreTheTextsInTheHistoriesWhichF11AndF12OpenAndRecall) {
  OpenPages({"|ab cd"});
  window->Open(kFindMode);
  SetFind("ab");
  window->FindNext();
  window->FindNext();  // unchanged: stored once
  SetFind("cd");
  window->FindNext();
  EXPECT_EQ(window->History(FindBox::Find).Entries(), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_TRUE(window->History(FindBox::Replace).Empty());  // Find next stores the find text only

  EXPECT_TRUE(window->KeyDown(kKeyF12, 0, nullptr));  // find mode: no replace list
  EXPECT_TRUE(view.historyList.empty());
  EXPECT_TRUE(window->KeyDown(kKeyF11, 0, nullptr));
  EXPECT_EQ(view.historyList[FindBox::Find], (std::vector<std::string>{"cd", "ab"}));
  EXPECT_EQ(view.historyRow, 0);
  EXPECT_FALSE(window->KeyDown(kKeyEscape, 0, nullptr));  // Esc is the open list's
  EXPECT_TRUE(view.visible);
  window->RecallHistory(FindBox::Find, 1);
  EXPECT_EQ(findBox.Buffer(), "ab");
  EXPECT_TRUE(view.historyList.empty());
  window->FindNext();  // the recalled text moves to the newest place
  EXPECT_EQ(window->History(FindBox::Find).Entries(), (std::vector<std::string>{"cd", "ab"}));

  window->Open(kReplaceMode);
  SetReplace("X");
  window->ReplaceNext();
  EXPECT_EQ(window->History(FindBox::Replace).Entries(), std::vector<std::string>{"X"});
  EXPECT_TRUE(window->KeyDown(kKeyF12, 0, nullptr));
  EXPECT_EQ(view.historyList[FindBox::Replace], std::vector<std::string>{"X"});
  EXPECT_TRUE(window->KeyDown(kKeyF12, 0, nullptr));  // a second press closes it
  EXPECT_TRUE(view.historyList.empty());
}

TEST_F(FindWindowTest, TheTagPanelInsertsTheChosenTagIntoItsBox) {
  OpenPages({"|ab"});
  window->Open(kFindMode);
  window->InsFindTags();
  EXPECT_EQ(view.tagCaption, "◆検索ﾀｸﾞ");
  EXPECT_EQ(window->PanelMode(), TagPanelMode::FindTags);
  ASSERT_FALSE(view.tagRows.empty());
  EXPECT_FALSE(view.tagSample.empty());
  EXPECT_FALSE(window->KeyDown(kKeyF3, 0, nullptr));  // the panel's list has the keys
  window->TagRowChosen(1);                            // STR
  EXPECT_EQ(findBox.Buffer(), "[*]");
  EXPECT_EQ(window->PanelMode(), TagPanelMode::Closed);
  EXPECT_TRUE(view.tagCaption.empty());

  // The replace tags switch a find-mode window to replace mode; the item closes them again.
  window->InsReplaceTags();
  EXPECT_EQ(window->WindowMode, kReplaceMode);
  EXPECT_EQ(view.tagCaption, "◆置換ﾀｸﾞ");
  window->InsReplaceTags();
  EXPECT_EQ(window->PanelMode(), TagPanelMode::Closed);
  // The options close the panel first.
  window->InsFindTags();
  window->Options();
  EXPECT_EQ(window->PanelMode(), TagPanelMode::Closed);
}

}  // namespace
}  // namespace norra::testing

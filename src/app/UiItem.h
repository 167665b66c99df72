// The main window's menu items and toolbar buttons: component names, captions, shortcuts, hints.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace norra {

// X(name, caption, shortcut, hint). Captions, shortcuts (in the portable notation of key
// sequences) and hints as the window shows them before the logic changes any of them.
#define NORRA_UI_ITEMS(X)                                                         \
  /* file menu */                                                                  \
  X(mnuMakeNewFile, "新規作成(&N)", "Ctrl+N", "")                                   \
  X(mnuFileOpen, "開く(&O)...", "Ctrl+O", "")                                       \
  X(mnuCloseFile, "閉じる(&C)", "", "")                                             \
  X(mnuUpdateFile, "上書き保存(&S)", "Ctrl+S", "")                                  \
  X(mnuSaveAsFile, "名前を付けて保存(&A)...", "", "")                                \
  X(mnuReopenEncoding, "文字ｺｰﾄﾞを指定して開き直す", "", "")                         \
  X(mnuSaveEncoding, "文字ｺｰﾄﾞを変えて保存", "", "")                                 \
  X(mnuUpdateAll, "まとめて上書き保存(&V)...", "", "")                               \
  X(mnuSaveAsAll, "まとめて別名保存(&B)...", "", "")                                 \
  X(mnuPrintAll, "まとめて印刷(&P)...", "Ctrl+P", "")                                \
  X(mnuReloadAll, "まとめて再読込み(&E)...", "Ctrl+R", "")                           \
  X(mnuCloseAll, "まとめて閉じる(&L)...", "Ctrl+L", "")                              \
  X(mnuRecentFiles, "最近使ったﾌｧｲﾙ(&R)...", "F4", "")                              \
  X(mnuSetPrinter, "印刷設定(&U)...", "", "")                                       \
  X(mnuExit, "終了(&X)", "", "")                                                    \
  /* edit menu */                                                                  \
  X(mnuUndo, "戻す(&U)", "Ctrl+Z", "")                                              \
  X(mnuRedo, "やり直し", "Ctrl+Y", "")                                              \
  X(CutItem, "切り取り(&T)", "Ctrl+X", "")                                          \
  X(CopyItem, "ｺﾋﾟｰ(&C)", "Ctrl+C", "")                                             \
  X(PasteItem, "貼り付け(&P)", "Ctrl+V", "")                                        \
  X(mnuSelectAll, "全て選択(&A)", "Ctrl+A", "")                                     \
  X(mnuInsertFileName, "ﾌｧｲﾙ名を挿入(&I)", "F7", "")                                \
  X(mnuInsertDateTime, "日付と時刻(&D)", "F8", "")                                  \
  X(mnuClearUndoLog, "[戻す] ための記録をｸﾘｱ(&R)", "", "")                          \
  X(mnuFind, "検索(&F)...", "Ctrl+F", "")                                           \
  X(mnuReplace, "置換(&E)...", "Ctrl+H", "")                                        \
  X(mnuFindSel, "選択部分のみ検索(&S)", "", "")                                     \
  X(mnuReplaceSel, "選択部分のみ置換(&W)", "", "")                                  \
  X(mnuFindNext, "次を検索(&N)", "F3", "")                                          \
  X(mnuQuotationAll, "まとめて引用(&Q)...", "Ctrl+Q", "")                            \
  X(mnuUndoDiskReplace, "ﾃﾞｨｽｸ置換を元に戻す", "", "")                                \
  /* display menu */                                                               \
  X(mnuJump, "指定位置へｼﾞｬﾝﾌﾟ(&M)...", "F5", "")                                   \
  X(mnuBookmark, "選択範囲をﾌﾞｯｸﾏｰｸ(&B)", "Ctrl+B", "")                             \
  X(mnuJumpToBookmark, "ﾌﾞｯｸﾏｰｸへｼﾞｬﾝﾌﾟ(&J)", "Ctrl+J", "")                         \
  X(mnuWordWrap, "右端で折返す(&W)", "", "")                                        \
  X(mnuWrapAtColumns, "指定桁で折返す(&C)", "", "")                                 \
  X(mnuLineNumbers, "行番号(&N)", "", "")                                           \
  X(mnuCaretLine, "ｶｰｿﾙ行の強調(&L)", "", "")                                       \
  X(mnuShowMarks, "記号の表示(&K)", "", "")                                         \
  X(mnuDispToolBar, "ﾂｰﾙﾊﾞｰ(&T)", "", "")                                           \
  X(mnuDispStatusBar, "ｽﾃｰﾀｽﾊﾞｰ(&S)", "", "")                                       \
  /* group menu: the recent groups (9 shown at the top down to 1) and the commands */ \
  X(mnuOpenGroup9, "", "", "")                                                      \
  X(mnuOpenGroup8, "", "", "")                                                      \
  X(mnuOpenGroup7, "", "", "")                                                      \
  X(mnuOpenGroup6, "", "", "")                                                      \
  X(mnuOpenGroup5, "", "", "")                                                      \
  X(mnuOpenGroup4, "", "", "")                                                      \
  X(mnuOpenGroup3, "", "", "")                                                      \
  X(mnuOpenGroup2, "", "", "")                                                      \
  X(mnuOpenGroup1, "", "", "")                                                      \
  X(mnuGroupSeparator, "-", "", "")                                                 \
  X(mnuMakeNewGroup, "新規作成(&N)...", "", "")                                     \
  X(mnuOpenGroup, "開く(&O)...", "", "")                                            \
  X(mnuAddChildToGroup, "現在のﾌｧｲﾙをｸﾞﾙｰﾌﾟへ編入(&S)...", "", "")                  \
  X(mnuSaveAsMemberList, "ﾒﾝﾊﾞﾘｽﾄとして保存(&A)...", "", "")                        \
  /* tool menu */                                                                  \
  X(mnuOption, "ｵﾌﾟｼｮﾝ(&O)...", "F6", "")                                           \
  /* window menu */                                                                \
  X(mnuMaximizeChild, "子ｳｲﾝﾄﾞｳを最大化(&L)", "", "")                               \
  X(mnuTileChildrenV, "上下に並べて表示(&I)", "", "")                               \
  X(mnuTileChildrenH, "左右に並べて表示(&T)", "", "")                               \
  X(mnuCascadeChildren, "重ねて表示(&C)", "", "")                                   \
  X(mnuArrangeIcons, "ｱｲｺﾝの整列(&A)", "", "")                                      \
  X(mnuMinimizeChildren, "すべてをｱｲｺﾝ化(&M)", "", "")                              \
  X(mnuMovePageSeparator, "-", "", "")                                              \
  X(mnuMovePage, "▼子ｳｲﾝﾄﾞｳ切替(&P)", "F2", "")                                    \
  X(mnuSortCombo, "▼ﾌｧｲﾙ名ﾘｽﾄ並べ替え(&S)...", "", "")                              \
  /* help menu */                                                                  \
  X(mnuHelpContent, "Norraのﾍﾙﾌﾟ(&M)", "", "")                                      \
  X(mnuHelpContent2, "[第2ﾍﾙﾌﾟ]の目次(&C)", "", "")                                 \
  X(mnuHelpKeyWord2, "[第2ﾍﾙﾌﾟ]のﾄﾋﾟｯｸ検索(&T)", "F1", "")                          \
  X(mnuChangeHelpFile2, "第2ﾍﾙﾌﾟの切替(&O)...", "", "")                              \
  X(HelpAboutItem, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "", "")                                    \
  /* popup menu of the Pages' texts (the shortcuts belong to the main menu) */      \
  X(popCut, "切り取り(&T)", "", "")                                                 \
  X(popCopy, "ｺﾋﾟｰ(&C)", "", "")                                                    \
  X(popPaste, "貼り付け(&P)", "", "")                                               \
  X(popSelectAll, "全て選択(&A)", "", "")                                           \
  X(popFind, "検索(&F)...", "", "")                                                 \
  X(popReplace, "置換(&E)...", "", "")                                              \
  X(popHelpKeyWord2, "[第2ﾍﾙﾌﾟ]のﾄﾋﾟｯｸ検索(&H)", "", "")                            \
  /* toolbar */                                                                    \
  X(SpeedButton1, "", "", "新規作成|新規ﾌｧｲﾙの作成")                                 \
  X(OpenBtn, "", "", "開く|既存のﾌｧｲﾙを開く")                                         \
  X(SaveBtn, "", "", "上書き保存|ﾌｧｲﾙを保存する")                                     \
  X(PrintBtn, "", "", "現在のﾌｧｲﾙを印刷")                                            \
  X(Help2Btn, "", "", "[第2ﾍﾙﾌﾟ]|[第2ﾍﾙﾌﾟ]のﾄﾋﾟｯｸ検索")                              \
  X(ChangeHelp2Btn, "", "", "第2ﾍﾙﾌﾟの切替")                                          \
  X(FindBtn, "", "", "検索")

// Values keep the component names, so a view finds its control by the same name.
enum class UiItem : int {
#define NORRA_UI_ITEM_ENUM(name, caption, shortcut, hint) name,
  NORRA_UI_ITEMS(NORRA_UI_ITEM_ENUM)
#undef NORRA_UI_ITEM_ENUM
};

#define NORRA_UI_ITEM_COUNT(name, caption, shortcut, hint) +1
constexpr int kUiItemCount = 0 NORRA_UI_ITEMS(NORRA_UI_ITEM_COUNT);
#undef NORRA_UI_ITEM_COUNT

struct UiItemInfo {
  UiItem item;
  std::string_view name;      // the component name ("mnuUndo"), also the view's objectName
  std::string_view caption;   // UTF-8; "-" for a separator, empty for a toolbar button
  std::string_view shortcut;  // e.g. "Ctrl+Z", "F7"; empty for none
  std::string_view hint;      // "short|long" as the status bar and tooltips show it
};

const std::array<UiItemInfo, kUiItemCount>& UiItems();
const UiItemInfo& InfoOf(UiItem item);
// The item of a component name; none for an unknown name.
std::optional<UiItem> UiItemNamed(std::string_view name);

// The menus whose opening the logic watches.
enum class MenuKind : int {
  File,     // mnuFile
  Edit,     // mnuEdit
  Display,  // mnuDisplay
  Group,    // the group menu
  Tool,     // the tool menu
  Window,   // mnuWindow
  Help,     // the help menu
  Popup,    // PopupMenu of the Pages' texts
};

}  // namespace norra

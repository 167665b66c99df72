// The file-list dialog's modes as data.
#include "groups/FileListModes.h"

#include <stdexcept>

namespace norra {

namespace {

using C = FileListControl;
using M = ListDialogMode;
using P = FileListPreselect;
using R = FileListRows;
constexpr C kNone = C::kCount;
constexpr std::array<FileListPanelControl, 3> kNoPanel = {};
constexpr std::array<C, 5> kDo = {C::cmdDo, kNone, kNone, kNone, kNone};
constexpr std::array<C, 5> kBoth = {C::cmdDo, C::cmdWithout, kNone, kNone, kNone};

constexpr const char* kSaveAs = "まとめて別名保存";

// clang-format off
constexpr std::array<FileListModeFacts, 12> kModes = {{
    {M::SaveAll, R::ModifiedPages, P::All, 1, "まとめて上書き保存", "ﾌｧｲﾙを選択して [保存] を押して下さい(複数選択可)",
     "保存(&S)", nullptr, kNone, kNoPanel, 0, C::lvwFileName, false, true, kDo, "まとめて上書き保存"},
    {M::SaveAsAll, R::Pages, P::All, 1, kSaveAs, "ﾌｧｲﾙを選択して [確認保存] 又は [上書き] を押して下さい(複数選択可)",
     "確認保存(&B)", "上書き(&S)", C::fraSaveAsAll,
     {{{C::cmdChangeFileName, "ﾌｧｲﾙ名変更(&M)"}, {C::cmdChangeDir, "ﾌｫﾙﾀﾞ名変更(&V)..."},
       {C::cmdUndo, "元に戻す(&Z)"}}},
     1013, C::lvwFileName, true, true,
     {C::cmdDo, C::cmdWithout, C::cmdChangeFileName, C::cmdChangeDir, C::cmdUndo}, kSaveAs},
    {M::PrintAll, R::Pages, P::None, 1, "まとめて印刷", "ﾌｧｲﾙを選択して [印刷] を押して下さい(複数選択可)",
     "印刷(&P)", nullptr, C::fraPrintAll, {{{C::txtCopyCount, nullptr}}},
     1011, C::lvwFileName, true, true, kDo, "まとめて印刷"},
    {M::QuoteAll, R::OtherPages, P::None, 1, "まとめて引用", "現在のﾌｧｲﾙのｶｰｿﾙ位置へ引用します(複数選択可)",
     "引用(&Q)", nullptr, C::fraQuotationAll, {{{C::txtCRLFCount, "1"}}},
     1012, C::lvwFileName, true, true, kDo, "まとめて引用"},
    {M::RecentFiles, R::RecentFiles, P::None, 1, "最近使ったﾌｧｲﾙ", "ﾌｧｲﾙを選択して [開く] を押して下さい(複数選択可)",
     "開く(&O)", nullptr, kNone, kNoPanel, 0, C::lvwFileName, false, true, kDo, "最近使ったﾌｧｲﾙ"},
    {M::Jump, R::Pages, P::Last, 1, "指定位置へｼﾞｬﾝﾌﾟ", "選択したﾌｧｲﾙの行番号へ [ｼﾞｬﾝﾌﾟ] します",
     "ｼﾞｬﾝﾌﾟ(&J)", nullptr, C::fraJump, {{{C::txtRow, nullptr}, {C::lblRows, nullptr}}},
     1014, C::txtRow, true, false, kDo, "ｼﾞｬﾝﾌﾟ"},
    // The order can always be applied, whatever is selected.
    {M::SortList, R::Pages, P::First, 2, "▼ﾌｧｲﾙ名ﾘｽﾄ並べ替え", "「現在のﾌｧｲﾙ選択ﾎﾞｯｸｽ」のﾘｽﾄを [並べ替え] ます(選択ﾌｧｲﾙへｼﾞｬﾝﾌﾟ)",
     "並べ替え(&S)", nullptr, kNone, kNoPanel, 1015, C::lvwFileName, true, false,
     {kNone, kNone, kNone, kNone, kNone}, "並べ替え"},
    {M::Exit, R::ModifiedPages, P::All, 1, "Norraの終了", "次のﾌｧｲﾙは変更されています。保存しますか?",
     "はい(&Y)", "いいえ(&N)", kNone, kNoPanel, 0, C::cmdDo, false, true, kBoth, "終了"},
    {M::ReloadAll, R::Reloadable, P::None, 1, "まとめて再読込み", "選択したﾌｧｲﾙをﾃﾞｨｽｸから [再読込み] します(複数選択可)",
     "再読込み(&R)", nullptr, kNone, kNoPanel, 1016, C::lvwFileName, true, true, kDo, "まとめて再読込み"},
    {M::CloseAll, R::Pages, P::All, 1, "まとめて閉じる", "ﾌｧｲﾙを選択して [閉じる] を押して下さい(複数選択可)",
     "閉じる(&C)", nullptr, kNone, kNoPanel, 0, C::lvwFileName, true, true, kBoth, "まとめて閉じる"},
    // Close all's question form (asksToSave): a listed Page is modified.
    {M::CloseAll, R::Pages, P::All, 1, "まとめて閉じる", "変更されているﾌｧｲﾙは保存しますか?",
     "はい(&Y)", "いいえ(&N)", kNone, kNoPanel, 0, C::cmdDo, true, true, kBoth, "まとめて閉じる"},
    {M::OpenFromGroup, R::GroupMembers, P::None, 0, "グループから開く", "ﾌｧｲﾙを選択して [開く] 又は [再読込み] を押して下さい(複数選択可)",
     "開く(&O)", "再読込み(&R)", C::fraOpenFromGroup, {{{C::cmdReleaseFileFromGroup, "選択したﾌｧｲﾙを除外(&K)"}}},
     1017, C::lvwFileName, true, true,
     {C::cmdDo, C::cmdWithout, C::cmdReleaseFileFromGroup, kNone, kNone}, "グループから開く"},
}};
// clang-format on

}  // namespace

const FileListModeFacts& FileListModeFactsOf(ListDialogMode mode, bool asksToSave) {
  const bool question = asksToSave && mode == M::CloseAll;
  for (const FileListModeFacts& facts : kModes) {
    if (facts.mode != mode) continue;
    if (question && facts.secondButton == nullptr) continue;  // the question form is the one after
    return facts;
  }
  throw std::invalid_argument("no such file-list dialog mode");
}

}  // namespace norra

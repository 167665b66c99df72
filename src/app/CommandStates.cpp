// The enabling table of the main window's commands.
#include "app/CommandStates.h"

#include "app/MainView.h"

namespace norra {

unsigned NeedsOf(UiItem item) {
  using enum UiItem;
  switch (item) {
    case mnuCloseFile:
    case mnuUpdateFile:
    case mnuSaveAsFile:
    case mnuReopenEncoding:
    case mnuSaveEncoding:
    case mnuUpdateAll:
    case mnuSaveAsAll:
    case mnuPrintAll:
    case mnuReloadAll:
    case mnuCloseAll:
    case SaveBtn:
    case PrintBtn:
    case mnuSelectAll:
    case mnuInsertFileName:
    case mnuInsertDateTime:
    case mnuFindSel:
    case mnuReplaceSel:
    case mnuJump:
    case mnuBookmark:
    case mnuWordWrap:
    case mnuMaximizeChild:
    case mnuArrangeIcons:
    case mnuMinimizeChildren:
    case popSelectAll:
      return kNeedPage;
    // Arranging or choosing among Pages asks for at least two of them.
    case mnuTileChildrenV:
    case mnuTileChildrenH:
    case mnuCascadeChildren:
    case mnuQuotationAll:
      return kNeedPage | kNeedTwoPages;
    case mnuMovePage:
    case mnuSortCombo:
      return kNeedPage | kNeedTwoPages | kNeedToolBar;
    case CutItem:
    case CopyItem:
    case popCut:
    case popCopy:
      return kNeedPage | kNeedSelection;
    case PasteItem:
    case popPaste:
      return kNeedPage | kNeedClipboardText;
    case mnuUndo:
    case mnuClearUndoLog:
      return kNeedUndoRecord;
    case mnuRedo:
      return kNeedRedoRecord;
    case mnuFindNext:
      return kNeedPage | kNeedFindWindow;
    case mnuJumpToBookmark:
      return kNeedPage | kNeedBookmark;
    case mnuSaveAsMemberList:
      return kNeedPage;
    case mnuAddChildToGroup:
      return kNeedPage | kNeedFilePage;
    case mnuHelpContent2:
      return kNeedSecondHelp;
    case mnuHelpKeyWord2:
    case popHelpKeyWord2:
    case Help2Btn:
      return kNeedPage | kNeedSecondHelp;
    case mnuMakeNewFile:
    case mnuFileOpen:
    case mnuRecentFiles:
    case mnuSetPrinter:
    case mnuExit:
    case mnuFind:
    case mnuReplace:
    case mnuUndoDiskReplace:
    case popFind:
    case popReplace:
    case FindBtn:
    case mnuDispToolBar:
    case mnuDispStatusBar:
    case mnuWrapAtColumns:
    case mnuLineNumbers:
    case mnuCaretLine:
    case mnuShowMarks:
    case mnuOption:
    case mnuMovePageSeparator:
    case mnuHelpContent:
    case mnuChangeHelpFile2:
    case ChangeHelp2Btn:
    case HelpAboutItem:
    case SpeedButton1:
    case OpenBtn:
    case mnuOpenGroup1:
    case mnuOpenGroup2:
    case mnuOpenGroup3:
    case mnuOpenGroup4:
    case mnuOpenGroup5:
    case mnuOpenGroup6:
    case mnuOpenGroup7:
    case mnuOpenGroup8:
    case mnuOpenGroup9:
    case mnuGroupSeparator:
    case mnuMakeNewGroup:
    case mnuOpenGroup:
      return kNeedNothing;
  }
  return kNeedNothing;
}

void CommandStates::SetActionMissing(UiItem item, bool missing) {
  missing_.at(Index(item)) = missing;
}

bool CommandStates::Enabled(UiItem item, unsigned holds) const {
  return HasAction(item) && (NeedsOf(item) & ~holds) == 0;
}

void CommandStates::Refresh(unsigned holds) {
  for (const UiItemInfo& info : UiItems()) {
    const bool on = Enabled(info.item, holds);
    std::optional<bool>& shown = shown_.at(Index(info.item));
    if (shown == on) continue;
    shown = on;
    view_.SetItemEnabled(info.item, on);
  }
}

}  // namespace norra

// The controls of the options dialog that hold a value, named as the dialog names them.
#pragma once

#include <optional>
#include <string_view>

#include "settings/OptionsPages.h"

namespace norra {

// X(name, page). The tag-symbol boxes are one control with an index 1-16.
#define NORRA_OPTION_CONTROLS(X)   \
  X(txtUserName, 0)                \
  X(chkDispUserName, 0)            \
  X(txtMaxLength, 1)               \
  X(txtRecentMax, 1)               \
  X(chkAutoReload, 1)              \
  X(chkMakeBackup, 1)              \
  X(txtBackupFolder, 1)            \
  X(cboNewFileCharset, 1)          \
  X(txtHeadLine, 2)                \
  X(txtFootLine, 2)                \
  X(chkPrintHeadLine, 2)           \
  X(chkPrintFootLine, 2)           \
  X(cboPrintFontName, 2)           \
  X(txtHeadLinePosition, 2)        \
  X(txtFootLinePosition, 2)        \
  X(txtPrintFontSize, 2)           \
  X(txtM_Top, 2)                   \
  X(txtM_Bottom, 2)                \
  X(txtM_Left, 2)                  \
  X(txtM_Right, 2)                 \
  X(txtLinePerPage, 2)             \
  X(txtColumnsPerLine, 2)          \
  X(txtTabStop, 3)                 \
  X(chkUseTabCode, 3)              \
  X(cboInitImeMode, 3)             \
  X(chkWriteUndoLog, 3)            \
  X(chkKeepLogAfterSave, 3)        \
  X(chkClearLogsByBytes, 3)        \
  X(txtLostBytesStartClear, 3)     \
  X(txtLostBytesEndClear, 3)       \
  X(chkClearLogsAllByBigChange, 3) \
  X(txtMaxLogBytes, 3)             \
  X(chkToolBar, 4)                 \
  X(chkStatusBar, 4)               \
  X(txtLeftBlank, 4)               \
  X(cboFontName, 4)                \
  X(txtFontSize, 4)                \
  X(chkWordWrap, 4)                \
  X(chkPageTabs, 4)                \
  X(optForeYellowWhite, 4)         \
  X(optForeBlackBlue, 4)           \
  X(barForeColor, 4)               \
  X(optBackYellowWhite, 4)         \
  X(optBackBlackBlue, 4)           \
  X(barBackColor, 4)               \
  X(chkLineNumbers, 4)             \
  X(chkCaretLine, 4)               \
  X(chkShowMarks, 4)               \
  X(chkMarkTab, 4)                 \
  X(chkMarkWideSpace, 4)           \
  X(chkMarkLineEnd, 4)             \
  X(chkMarkEof, 4)                 \
  X(txtMarkRed, 4)                 \
  X(txtMarkGreen, 4)               \
  X(txtMarkBlue, 4)                \
  X(chkWrapAtColumns, 4)           \
  X(txtWrapColumns, 4)             \
  X(chkWantTabs, 5)                \
  X(txtTagSymbol, 5)               \
  X(txtSecondHelp, 6)

enum class OptionControl : int {
#define NORRA_OPTION_ENUM(name, page) name,
  NORRA_OPTION_CONTROLS(NORRA_OPTION_ENUM)
#undef NORRA_OPTION_ENUM
};

#define NORRA_OPTION_COUNT(name, page) +1
constexpr int kOptionControlCount = 0 NORRA_OPTION_CONTROLS(NORRA_OPTION_COUNT);
#undef NORRA_OPTION_COUNT

constexpr int kOptionPageCount = kOptionsPageCount;

std::string_view NameOf(OptionControl control);
int PageOf(OptionControl control);
std::optional<OptionControl> OptionControlNamed(std::string_view name);

}  // namespace norra

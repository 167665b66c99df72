// The pages of the options dialog, by the index other windows open it at.
#pragma once

namespace norra {

enum OptionsPage : int {
  kOptionsPageGeneral = 0,      // Norra: the program and its version
  kOptionsPageFile = 1,         // ﾌｧｲﾙ
  kOptionsPagePrint = 2,        // 印刷: the printer set-up
  kOptionsPageEdit = 3,         // 編集
  kOptionsPageVision = 4,       // 表示
  kOptionsPageFindReplace = 5,  // 検索/置換
  kOptionsPageHelp = 6,         // ﾍﾙﾌﾟ: the second help file
  kOptionsPageCount = 7,        // how many pages there are
};

}  // namespace norra

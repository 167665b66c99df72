// Program-made text put over a Page's selection as one edit with its undo record; used by the
// edit commands, quote-all and the find window alike.
#pragma once

#include <string_view>

namespace norra {

class Page;
class UndoLog;

// Puts text (CP932) over the selection of page as one edit recorded with kind; false when the
// control refused it (the text then stays as it was). An edit that throws half way clears the
// undo history (it no longer leads back to the text) and passes on.
bool InsertTextAtCaret(UndoLog& log, Page& page, std::string_view text, int kind);

}  // namespace norra

// Texts the engine is given in one charset and works with in another: the tag symbols (kept
// in CP932 by the settings), find and replace texts typed for a text of another charset, and
// date formats, which the formatter reads in CP932.
#pragma once

#include <string>
#include <string_view>

#include "engine/EngineError.h"
#include "text/Charset.h"
#include "text/DateTime.h"

namespace norra {

// A CP932 tag symbol as a text in `charset` spells it.
std::string ConvertedSymbol(std::string_view cp932Symbol, Charset charset);

// `text`, written in `given`, as `target` spells it, into `out`. A character `target` cannot
// hold exactly (one it would only give as a look-alike included) makes an error of `code`
// naming every such character once, in UTF-8; `out` is then unspecified.
EngineError ConvertForEngine(std::string_view text, Charset given, Charset target,
                             EngineErrorCode code, std::string& out);

// FormatDateTime for a format and result in `charset`. A UTF-8 format's characters that CP932
// does not hold pass through unchanged, as every other non-letter does.
bool FormatDateTimeIn(Charset charset, std::string_view format, const DateTime& dateTime,
                      std::string& out);

}  // namespace norra

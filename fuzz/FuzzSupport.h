// Shared pieces of the fuzz targets: symbol sets chosen by the first input byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/TagTable.h"

namespace norra::fuzz {

// Built-in symbols, round brackets, double-byte brackets, or one-letter symbols.
inline TagSymbols SymbolsFor(std::uint8_t selector) {
  TagTable table;
  table.Build();
  TagSymbols s = table.BuiltInSymbols();
  switch (selector % 4) {
    case 1:
      s[TAG_BRACKET1] = "(";
      s[TAG_BRACKET2] = ")";
      break;
    case 2:
      s[TAG_BRACKET1] = "\x81\x79";  // 【
      s[TAG_BRACKET2] = "\x81\x7A";  // 】
      break;
    case 3:
      for (int k = TAG_STRS; k <= TAG_NOWF; ++k) s[k] = std::string(1, static_cast<char>('A' + k));
      break;
    default:
      break;
  }
  return s;
}

}  // namespace norra::fuzz

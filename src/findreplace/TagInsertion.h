// A tag of the pattern language put at the caret of a find or replace box, written with the
// symbols in force and with the caret where the user types next.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/TagTable.h"

namespace norra {

class TextControl;

struct TagInsertion {
  std::string text;           // CP932, put in place of the box's selection
  std::size_t caret = 0;      // offset of the caret inside `text` afterwards
  std::size_t selLength = 0;  // bytes selected from the caret on (a placeholder to type over)

  bool operator==(const TagInsertion&) const = default;
};

// What inserting tag `tag` (1-16) writes; none for other indexes.
std::optional<TagInsertion> PlanTagInsertion(int tag, const TagSymbols& symbols);

// Replaces the box's selection with the tag as one edit and places the caret as planned. The
// clipboard is not used. False when the tag is unknown or the box refused the edit.
bool InsertTag(TextControl& box, int tag, const TagSymbols& symbols);

}  // namespace norra

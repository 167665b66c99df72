// The 17 tags of the search-and-replace pattern language and their examples.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace norra {

// Tag indexes; they double as the node kinds of compiled patterns.
enum TagIndex : int {
  TAG_LITERAL = 0,     // plain text
  TAG_STRS = 1,        // any run of characters within one line
  TAG_STR = 2,         // any run of characters
  TAG_CHAR = 3,        // any one character
  TAG_NUM = 4,         // any one digit, half- or full-width
  TAG_INTO = 5,        // start storing into an area
  TAG_ENDTO = 6,       // end of storing
  TAG_REPEAT = 7,      // repeated at least n times
  TAG_ENDREPEAT = 8,   // end of a repeat group
  TAG_WHICH = 9,       // one of the bracketed alternatives
  TAG_NOT = 10,        // none of the bracketed alternatives
  TAG_OUTFROM = 11,    // replace: the stored text of an area
  TAG_FCOUNT = 12,     // replace: the find count
  TAG_RCOUNT = 13,     // replace: the replace count
  TAG_NOWF = 14,       // replace: the date and time in a format
  TAG_BRACKET1 = 15,   // left bracket
  TAG_BRACKET2 = 16,   // right bracket
};
constexpr int kTagCount = 17;

enum class TagClass : int {
  Structural = 1,  // literal text and the two brackets
  Find = 2,        // may appear in a find text
  Replace = 3,     // may appear in a replace text
};

// The symbols in force, indexed like the table; CP932. Entry 0 is always empty.
using TagSymbols = std::array<std::string, kTagCount>;

// One piece of a tag's example: literal text (CP932), or the symbol of tag `ref`.
struct ExampleToken {
  int ref = -1;  // 1..16, or -1 for literal text
  std::string text;
};

struct TagRecord {
  int index = 0;
  TagClass tagClass = TagClass::Structural;
  std::string name;         // upper-case name; also the settings value name
  std::string symbol;       // built-in symbol (CP932; ASCII in practice)
  std::string description;  // one-line Japanese description (UTF-8, shown in lists)
  std::vector<ExampleToken> example;
};

class TagTable {
 public:
  // Fills the 17 records. Returns false when building failed.
  bool Build();

  // The symbols the examples and tag lists read; owned by the settings store.
  void AttachSymbols(const TagSymbols* symbols) { symbols_ = symbols; }
  const TagSymbols* Symbols() const { return symbols_; }

  // Record by index 0-16; nullptr outside that range.
  const TagRecord* Record(int index) const;

  // The built-in symbols, indexed like the table.
  TagSymbols BuiltInSymbols() const;

  // Appends the example of tag `index` rendered with the symbols in force (the built-in ones
  // when none are attached) to an empty `out` (CP932). False for an index outside 0-16,
  // leaving `out` untouched.
  bool RenderExample(int index, std::string& out) const;

  // Indexes listed for a find (class Find) or replace (class Replace) box: the tags of that
  // class and the two brackets, in index order 1-16.
  std::vector<int> TagsForBox(TagClass boxClass) const;

 private:
  std::array<TagRecord, kTagCount> records_{};
  const TagSymbols* symbols_ = nullptr;
  bool built_ = false;
};

}  // namespace norra

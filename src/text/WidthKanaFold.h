// Width and kana folds for searches that ignore them: a folded copy of a text in its own
// charset, and a map from the copy's offsets back to the text's, so that a match found in the
// copy covers whole characters of the text as it is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/Charset.h"

namespace norra {

struct WidthKanaFolds {
  // Full-width ASCII and the ideographic space become ASCII; half-width katakana becomes
  // full-width, a following voiced or semi-voiced mark joined to it (ｶﾞ → ガ, ﾊﾟ → パ).
  bool width = false;
  // Hiragana and half-width katakana become full-width katakana (か, ｶ → カ).
  bool kana = false;

  bool Any() const { return width || kana; }
  friend bool operator==(const WidthKanaFolds&, const WidthKanaFolds&) = default;
};

// The folded form of one character, or the character itself when no fold applies.
char32_t FoldCodePoint(char32_t cp, WidthKanaFolds folds);
// A half-width katakana followed by a half-width voiced (U+FF9E) or semi-voiced (U+FF9F) mark,
// as one full-width character; 0 when the pair makes none (or the folds leave half-width
// katakana alone).
char32_t FoldHalfWidthPair(char32_t base, char32_t mark, WidthKanaFolds folds);

// Offsets of a folded copy back to the text it came from. Only the characters whose length
// or number changed are kept (a half-width katakana, full-width ASCII, a joined pair), so a
// copy of text that folds in place costs nothing here.
class FoldMap {
 public:
  bool Identity() const { return count_ == 0; }
  std::size_t Changes() const { return count_; }
  void Clear() {
    chunks_.clear();
    count_ = 0;
    hints_[0] = hints_[1] = {};
  }

  // A character boundary of the copy, as an offset of the text; a position inside a folded
  // character gives the end of the text it came from.
  std::size_t ToOriginal(std::size_t folded) const;
  // A character boundary of the text, as an offset of the copy; a position inside the text of
  // one folded character (between ｶ and ﾞ) gives the end of that character.
  std::size_t ToFolded(std::size_t original) const;

  // Records that `originalLength` bytes at `original` became `foldedLength` bytes at `folded`;
  // calls come in text order.
  void Add(std::size_t folded, std::size_t original, std::size_t foldedLength,
           std::size_t originalLength);

 private:
  // Changes are kept in chunks of fixed size with offsets from the chunk's first change, so a
  // text with many of them costs twelve bytes each and no copying as the map grows.
  struct Change {
    std::uint32_t folded;
    std::uint32_t original;
    std::uint8_t foldedLength;
    std::uint8_t originalLength;
  };
  struct Chunk {
    std::size_t foldedBase;
    std::size_t originalBase;
    std::vector<Change> changes;
  };
  static constexpr std::size_t kChunkChanges = 16384;
  struct Found {
    std::size_t folded = 0;  // the change's absolute offsets, or 0 and none when before all
    std::size_t original = 0;
    std::size_t foldedLength = 0;
    std::size_t originalLength = 0;
    bool any = false;
  };
  Found At(std::size_t chunk, std::size_t index) const;
  Found LastAtOrBefore(std::size_t offset, bool byFolded) const;
  struct Hint {
    std::size_t chunk = 0;
    std::size_t index = 0;
  };

  std::vector<Chunk> chunks_;
  std::size_t count_ = 0;
  mutable Hint hints_[2];  // the change found last, by original and by folded offsets
};

// Writes the folded copy of `text` (in `charset`) to `out`, replacing what it held, and the
// map back to `text` to `map` when given. Bytes that are not a well-formed character stay as
// they are.
void FoldWidthKana(Charset charset, std::string_view text, WidthKanaFolds folds,
                   std::string& out, FoldMap* map);
// The same over the text itself, for a caller that needs it no more as it was: no second
// text's worth of memory unless a half-width katakana makes the text longer.
void FoldWidthKanaInPlace(Charset charset, std::string& text, WidthKanaFolds folds,
                          FoldMap* map);
std::string FoldWidthKanaCopy(Charset charset, std::string_view text, WidthKanaFolds folds);

}  // namespace norra

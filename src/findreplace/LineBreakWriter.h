// Streams the new text of a rewritten file: what the replace left alone comes from the file's
// own bytes, line breaks included, and each replacement is written as its expansion made it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ReplaceSink.h"
#include "findreplace/LineBreaks.h"

namespace norra {

// One replacement as it lands in the file: where its old bytes were in the file, and where its
// new bytes are in the new content.
struct WrittenSpan {
  std::size_t oldStart = 0;
  std::size_t oldLength = 0;
  std::size_t newStart = 0;
  std::size_t newLength = 0;
  std::string newBytes;  // only when asked for
};

class LineBreakWriter final : public ReplaceSink {
 public:
  // Takes bytes on; false when they could not be written (the writer then drops the rest).
  using Output = std::function<bool(std::string_view)>;

  // `original` is the file's bytes. The engine searched them as they are when
  // `searchedIsOriginal` (a file with CR LF after every line), otherwise their lines joined by
  // CR LF (JoinLinesWith); the pieces it hands over must cover that text from its start, in
  // order. `original` must outlive the writer.
  LineBreakWriter(std::string_view original, bool searchedIsOriginal, Output output);

  void Copy(std::string_view piece) override;
  void Insert(std::string_view replacement, std::size_t matchLength) override;

  // Hands on what is buffered. False when any output failed.
  bool Finish();

  // Lists each replacement in `spans` (with its new bytes when `withNewBytes`), for a journal
  // or a preview of the run.
  void RecordSpans(std::vector<WrittenSpan>* spans, bool withNewBytes) {
    spans_ = spans;
    withNewBytes_ = withNewBytes;
  }

 private:
  static constexpr std::size_t kBufferSize = 256 * 1024;

  // The offset in the file of an offset of the searched text; offsets must not decrease.
  // Inside a break the engine saw as CR LF, its second byte maps past a lone CR or LF, and the
  // break the engine saw after a last line that has none maps to the end of the file.
  std::size_t ToOriginal(std::size_t searched);
  void LoadLine();                    // the current line's length and break
  void Emit(std::string_view bytes);  // bytes that go out as they are
  void Flush();

  std::string_view original_;
  bool identity_;
  Output output_;
  LineBreakScanner scanner_;
  std::size_t searchedPos_ = 0;   // how much of the searched text the pieces covered
  std::size_t originalPos_ = 0;   // how much of the file is accounted for
  std::size_t lineSearched_ = 0;  // where the current line starts in the searched text
  std::size_t lineOriginal_ = 0;  // and in the file
  std::size_t lineLength_ = 0;    // its length without the break
  std::size_t breakLength_ = 0;   // its break in the file: 0 (a last line without one), 1 or 2
  std::string buffer_;
  bool failed_ = false;
  std::size_t emitted_ = 0;  // bytes of new content so far
  std::vector<WrittenSpan>* spans_ = nullptr;
  bool withNewBytes_ = false;
};

}  // namespace norra

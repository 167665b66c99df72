// Streams the new text of a rewritten file with the file's own line breaks: every line (ended
// by CR LF, a lone CR or a lone LF) followed by one break, exactly as JoinLinesWith gives it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "engine/ReplaceSink.h"

namespace norra {

class LineBreakWriter final : public ReplaceSink {
 public:
  // Takes bytes on; false when they could not be written (the writer then drops the rest).
  using Output = std::function<bool(std::string_view)>;

  // The text searched must have CR LF after every line (as disk search gives it to the
  // engine), so that a piece copied from it needs looking at only where it was cut.
  LineBreakWriter(std::string_view lineBreak, Output output);

  void Copy(std::string_view original) override;
  void Insert(std::string_view replacement, std::size_t matchLength) override;

  // Ends an unfinished last line and hands on what is buffered. False when any output failed.
  bool Finish();
  bool Received() const { return received_; }  // whether any piece came

 private:
  static constexpr std::size_t kBufferSize = 256 * 1024;

  void Feed(std::string_view bytes);  // any bytes, break by break
  void Emit(std::string_view bytes);  // bytes that go out as they are
  void Flush();

  std::string_view lineBreak_;
  Output output_;
  std::string buffer_;
  bool afterCr_ = false;   // the last byte taken was a CR, so an LF now belongs to it
  bool lineOpen_ = false;  // bytes were taken since the last break
  bool received_ = false;
  bool failed_ = false;
};

}  // namespace norra

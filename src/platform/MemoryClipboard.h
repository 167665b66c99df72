// An in-memory clipboard for tests and tools.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/Clipboard.h"
#include "text/Encoding.h"

namespace norra {

class MemoryClipboard : public Clipboard {
 public:
  bool HasText() const override { return text_.has_value(); }
  std::string GetText() const override { return text_.value_or(std::string()); }
  bool SetText(std::string_view text) override {
    text_ = std::string(text);
    unstorable_.clear();
    ++setCount_;
    return true;
  }
  std::string UnstorableCharacters() const override { return unstorable_; }
  // Text another program copied (UTF-8), held as GetText gives it.
  void SetForeignText(std::string_view utf8) {
    text_ = Utf8ToCp932(utf8);
    unstorable_ = UnencodableCp932(utf8);
  }
  void Clear() {
    text_.reset();
    unstorable_.clear();
  }
  // How many times SetText was called: lets a test prove the clipboard was left alone.
  std::size_t SetCount() const { return setCount_; }

 private:
  std::optional<std::string> text_;
  std::string unstorable_;
  std::size_t setCount_ = 0;
};

}  // namespace norra

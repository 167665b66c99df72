// An in-memory clipboard for tests and tools.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/Clipboard.h"

namespace norra {

class MemoryClipboard : public Clipboard {
 public:
  bool HasText() const override { return text_.has_value(); }
  std::string GetText() const override { return text_.value_or(std::string()); }
  bool SetText(std::string_view text) override {
    text_ = std::string(text);
    ++setCount_;
    return true;
  }
  void Clear() { text_.reset(); }
  // How many times SetText was called: lets a test prove the clipboard was left alone.
  std::size_t SetCount() const { return setCount_; }

 private:
  std::optional<std::string> text_;
  std::size_t setCount_ = 0;
};

}  // namespace norra

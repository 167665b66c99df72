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
    utf8_.reset();
    unstorable_.clear();
    ++setCount_;
    return true;
  }
  std::string UnstorableCharacters() const override { return unstorable_; }
  // Text another program copied (UTF-8), held as GetText gives it.
  void SetForeignText(std::string_view utf8) {
    text_ = Utf8ToCp932(utf8);
    utf8_ = std::string(utf8);
    unstorable_ = UnencodableCp932(utf8);
  }
  std::string GetTextIn(Charset charset) const override {
    if (charset == Charset::Utf8 && utf8_) return *utf8_;
    return Clipboard::GetTextIn(charset);
  }
  bool SetTextFrom(Charset charset, std::string_view text) override {
    if (charset == Charset::Cp932) return SetText(text);
    SetText(Utf8ToCp932(text));
    utf8_ = std::string(text);
    unstorable_ = UnencodableCp932(text);
    return true;
  }
  void Clear() {
    text_.reset();
    utf8_.reset();
    unstorable_.clear();
  }
  // How many times SetText was called: lets a test prove the clipboard was left alone.
  std::size_t SetCount() const { return setCount_; }

 private:
  std::optional<std::string> text_;
  std::optional<std::string> utf8_;  // as a UTF-8 Page or another program gave it
  std::string unstorable_;
  std::size_t setCount_ = 0;
};

}  // namespace norra

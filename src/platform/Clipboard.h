// The clipboard port (plain text, CP932).
#pragma once

#include <string>
#include <string_view>

#include "text/Charset.h"
#include "text/Encoding.h"

namespace norra {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool HasText() const = 0;
  virtual std::string GetText() const = 0;          // empty when there is no text
  virtual bool SetText(std::string_view text) = 0;  // false when the clipboard refused
  // The characters of the clipboard's text (as another program put it there) that CP932
  // cannot hold, each once (UTF-8); GetText has "?" in their place. Empty when there are none.
  virtual std::string UnstorableCharacters() const { return {}; }

  // The same for a Page that holds `charset`: UTF-8 text is given and taken as UTF-8, and
  // nothing in it is unstorable. The defaults go through the CP932 calls.
  virtual std::string GetTextIn(Charset charset) const {
    return charset == Charset::Cp932 ? GetText() : Cp932ToUtf8(GetText());
  }
  virtual bool SetTextFrom(Charset charset, std::string_view text) {
    return charset == Charset::Cp932 ? SetText(text) : SetText(Utf8ToCp932(text));
  }
  std::string UnstorableIn(Charset charset) const {
    return charset == Charset::Cp932 ? UnstorableCharacters() : std::string();
  }
};

}  // namespace norra

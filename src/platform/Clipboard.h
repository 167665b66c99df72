// The clipboard port (plain text, CP932).
#pragma once

#include <string>
#include <string_view>

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
};

}  // namespace norra

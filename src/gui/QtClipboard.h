// The clipboard port on Qt's clipboard.
#pragma once

#include "platform/Clipboard.h"

namespace norra {

// Other programs get and give UTF-8 text with LF line breaks; between texts of this program
// the CP932 bytes travel unchanged beside it, so a cut and paste never alters a byte.
class QtClipboard : public Clipboard {
 public:
  bool HasText() const override;
  std::string GetText() const override;
  bool SetText(std::string_view text) override;
  std::string UnstorableCharacters() const override;
  std::string GetTextIn(Charset charset) const override;
  bool SetTextFrom(Charset charset, std::string_view text) override;

  // The clipboard format that carries the bytes.
  static constexpr const char* kBytesFormat = "application/x-norra-cp932";
};

}  // namespace norra

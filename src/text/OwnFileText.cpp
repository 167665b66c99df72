// CP932, or UTF-8 behind its mark: reading and writing the program's own files.
#include "text/OwnFileText.h"

#include "text/Encoding.h"

namespace norra {

bool IsCp932Bytes(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    char32_t codePoint = 0;
    const int length = DecodeCp932Char(bytes, at, codePoint);
    if (length <= 0) return false;
    // Bytes that form no character decode to escapes of their own.
    if (codePoint >= kEscapeBase && codePoint <= kEscapeBase + 0xFF) return false;
    at += static_cast<std::size_t>(length);
  }
  return true;
}

std::string DecodeOwnFileText(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) {
    bytes.remove_prefix(kUtf8Mark.size());
    // A damaged file still loses no byte: what is not UTF-8 is read as CP932 escapes.
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp932ToUtf8(bytes);
  }
  if (!IsCp932Bytes(bytes) && IsValidUtf8(bytes)) return std::string(bytes);
  return Cp932ToUtf8(bytes);
}

std::string EncodeOwnFileText(std::string_view utf8) {
  if (CanEncodeCp932(utf8)) {
    std::string cp932 = Utf8ToCp932(utf8);
    // A character CP932 holds twice, re-encoded next to an escaped stray byte, can pair up
    // with it differently: CP932 only when it reads back as the same text, and never when its
    // bytes start the way the mark does (a kanji 0xEFBB, then "ｿ").
    if (!cp932.starts_with(kUtf8Mark) && Cp932ToUtf8(cp932) == utf8) return cp932;
  }
  std::string bytes(kUtf8Mark);
  bytes += utf8;
  return bytes;
}

}  // namespace norra

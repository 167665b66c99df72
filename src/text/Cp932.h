// Shift-JIS (CP932) character stepping: the lead-byte test and CharStep.
#pragma once

#include <cstddef>
#include <string_view>

namespace norra {

// A lead byte starts a two-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character at 1-based position pos: 2 when the byte there is a lead
// byte and not the text's last byte, else 1 (also for a position outside 1..length).
constexpr int CharStep(std::string_view text, std::size_t pos) {
  if (pos < 1 || pos >= text.size()) return 1;
  return IsLeadByte(static_cast<unsigned char>(text[pos - 1])) ? 2 : 1;
}

// The same for a 0-based offset.
constexpr int CharStepAt(std::string_view text, std::size_t offset) {
  return CharStep(text, offset + 1);
}

// True when 0-based offset is the second byte of a two-byte character, judged by scanning
// characters from the start of the text (the only reliable way in Shift-JIS).
bool IsTrailByteAt(std::string_view text, std::size_t offset);

// Start offset of the character that contains 0-based offset (scanning from the start).
std::size_t CharStartAt(std::string_view text, std::size_t offset);

}  // namespace norra

// File bytes ↔ the text a Page holds, byte for byte in every file encoding, and the check of
// which characters an encoding cannot hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/FileEncoding.h"

namespace norra {

// What a file's bytes become when read in a charset.
struct DecodedFile {
  std::string text;       // held form: CP932 for Cp932, UTF-8 for the others
  FileEncoding encoding;  // the charset asked for, with the byte-order mark the bytes had
};

// CP932 and UTF-8 bytes are held as they are (a leading UTF-8 byte-order mark is taken off and
// noted). EUC-JP and UTF-16 become UTF-8: each character whose encoding gives back exactly its
// bytes is held as that character, every other byte (malformed, unassigned, a character two
// byte sequences share, a lone surrogate, an odd last byte) as the escape kEscapeBase + byte.
DecodedFile DecodeFile(std::string_view bytes, FileCharset charset);

// The inverse: DecodeFile's text comes back as exactly the bytes it was read from. A character
// the encoding cannot hold (EUC-JP lacks emoji; see FindUnencodable) is written as "?": callers
// check first, so this never happens silently.
std::string EncodeFile(std::string_view text, const FileEncoding& encoding);

// The visible stand-in the user may choose for characters an encoding cannot hold: "〓".
inline constexpr std::string_view kSubstituteChar = "\xE3\x80\x93";

// The characters of a held text that an encoding cannot hold.
struct Unencodable {
  std::size_t count = 0;        // characters, each occurrence counted
  std::size_t firstOffset = 0;  // 0-based, in the held text; meaningful when count > 0
  std::size_t firstLength = 0;
  std::string characters;       // each once, in the order they first appear (UTF-8)
};

// Which characters of `text`, held for a file in `source`, a file in `target` cannot hold.
// Escapes (and malformed bytes of a UTF-8 file) are bytes of the source encoding: the same
// encoding writes them back as they are, any other holds no such character.
Unencodable FindUnencodable(std::string_view text, FileCharset source, FileCharset target);

// The text held for `source` turned into the held form of `target`, every character the
// target cannot hold replaced by `substitute` (UTF-8, a character every encoding holds). The
// same charset gives the text unchanged.
std::string ConvertHeldText(std::string_view text, FileCharset source, FileCharset target,
                            std::string_view substitute = kSubstituteChar);

}  // namespace norra

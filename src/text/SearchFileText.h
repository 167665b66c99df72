// A file's bytes as the disk search and the tools search them: which encoding the file is in,
// the text the engine sees (CP932 or UTF-8), and how a new text goes back into the file's own
// bytes. CP932 and UTF-8 files are searched in their own bytes; an EUC-JP or UTF-16 file is
// held in UTF-8 by the file codec, which gives back the same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/Charset.h"
#include "text/FileEncoding.h"

namespace norra {

// What the user asked for: the detection rule, or one encoding for every file.
enum class EncodingChoice : std::uint8_t { Auto, Cp932, Utf8, EucJp };

// "auto", "cp932" (also "shift_jis", "sjis"), "utf-8" ("utf8"), "euc-jp" ("eucjp"), in any
// case; false for anything else.
bool ParseEncodingChoice(std::string_view name, EncodingChoice& choice);

// What the first bytes of a file, more of which may follow, tell for certain: UTF-8 when they
// begin with a byte-order mark, CP932 when they are valid as neither UTF-8 nor EUC-JP (a
// sequence cut off at their end counts as valid). UTF-8 also, but only as a guess, when they
// are valid UTF-8 holding a multi-byte sequence: a later byte may still say otherwise.
// nullopt when they tell nothing yet.
std::optional<FileCharset> EncodingOfStart(std::string_view start);

class SearchFileText {
 public:
  // Takes a file's bytes, which must outlive this object while Text() is used.
  void Hold(std::string_view bytes, EncodingChoice choice);

  // The file's encoding, decided by the detection rule (DetectFileEncoding) unless chosen.
  FileCharset Encoding() const { return encoding_; }
  // The charset the engine searches Text() in.
  Charset TextCharset() const { return HeldCharset(encoding_); }
  // Bytes the file begins with that are no part of the text (a byte-order mark); a new
  // content begins with them too.
  std::string_view Prefix() const { return prefix_; }
  // The text searched: the file's bytes after the prefix, or their UTF-8 form.
  std::string_view Text() const { return converted_ ? std::string_view(held_) : text_; }
  // Whether Text() is a converted copy, whose new form must go through ToFileBytes.
  bool Converted() const { return converted_; }
  // Upper-cases a converted copy in place (the file's own bytes belong to the caller).
  void UpperCaseConverted();

  // The offset in the file of an offset in Text() (a character start, or its end).
  std::size_t FileOffset(std::size_t textOffset) const;

  // The file's new content for a new text (in TextCharset()), the prefix included. False when
  // the file's encoding cannot hold a character of it; `notHeld` then names each such
  // character once (UTF-8).
  bool ToFileBytes(std::string_view newText, std::string& out, std::string& notHeld) const;

 private:
  FileCharset encoding_ = FileCharset::Cp932;
  std::size_t markLength_ = 0;  // a converted file's byte-order mark
  std::string_view prefix_;
  std::string_view text_;
  std::string held_;
  bool converted_ = false;
  // Converted: the file offset of each character start of held_, made on first use.
  mutable std::vector<std::uint32_t> fileOffsets_;
  mutable std::vector<std::uint32_t> heldOffsets_;
};

// EUC-JP bytes in UTF-8: each character that converts back to the same bytes, and each other
// byte as the escape code point of the byte (kEscapeBase + byte), so nothing is lost.
std::string EucJpToUtf8(std::string_view eucJp);
// UTF-8 in EUC-JP; escapes become their bytes again. False (out unspecified) when a character
// has no EUC-JP form; `notHeld` then names each such character once.
bool Utf8ToEucJp(std::string_view utf8, std::string& out, std::string& notHeld);

}  // namespace norra

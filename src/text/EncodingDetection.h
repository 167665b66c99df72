// Which encoding a file's bytes are written in: one rule, shared by the editor, the disk search
// and the command-line tools.
#pragma once

#include <optional>
#include <string_view>

#include "text/FileEncoding.h"

namespace norra {

struct DetectionHints {
  // The encoding an `.editorconfig` names for the file, when one applies.
  std::optional<FileEncoding> configured;
  // What text that decides nothing (ASCII only, or empty) is taken as: the File setting for new
  // files.
  FileCharset plainDefault = FileCharset::Cp932;
};

// In this order: a byte-order mark (UTF-8, UTF-16 LE/BE); the configured encoding; bytes that
// are valid UTF-8 holding at least one multi-byte sequence are UTF-8 (a damaged file too, with
// at most one malformed byte for every four characters of three bytes or more; but not when
// every sequence is two bytes long, none touches an ASCII letter, and the bytes are valid
// CP932: half-width katakana read that way, and Japanese text in UTF-8 has three-byte
// characters); plain ASCII takes the default; bytes valid as EUC-JP and not as CP932, or
// (valid or not in both) scoring clearly better as EUC-JP, are EUC-JP; everything else is CP932.
// Scores weigh each character by what Japanese text is made of (kana and first-level kanji
// high, second-level kanji and rare rows low, invalid bytes strongly negative); only the first
// kScoredBytes bytes are scored, which decides every real file long before.
FileEncoding DetectFileEncoding(std::string_view bytes, const DetectionHints& hints = {});

inline constexpr std::size_t kScoredBytes = 1 << 20;

// The scores behind the CP932 / EUC-JP decision, for tests and the benchmark.
struct JapaneseScores {
  double cp932 = 0;
  double eucJp = 0;
  bool cp932Valid = true;
  bool eucJpValid = true;
};
JapaneseScores ScoreJapanese(std::string_view bytes);

}  // namespace norra

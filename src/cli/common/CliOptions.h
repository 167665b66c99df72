// Command-line options of norra-find and norra-replace.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/DateTime.h"
#include "text/SearchFileText.h"

namespace norra {

enum class CliTool {
  Find,     // norra-find
  Replace,  // norra-replace
};

struct CliOptions {
  bool matchCase = false;
  bool foldWidth = false;            // --fold-width: full-width and half-width compare equal
  bool foldKana = false;             // --fold-kana: hiragana and katakana compare equal
  std::string settingsFile;          // -F: tag symbols from this settings file
  std::string dir;                   // -d: the folder command on this folder
  bool subdirs = false;              // -s
  std::optional<std::string> masks;  // -m: mask text, ";"-separated (UTF-8)
  std::string group;                 // -g: the group command on this member list
  bool dryRun = false;               // -n
  bool toStdout = false;             // --stdout
  bool offsets = false;              // --offsets
  bool preview = false;              // --preview: print a unified diff, write nothing
  bool undo = false;                 // --undo [JOURNAL]: take a disk replace back
  bool journals = false;             // --journals: list the journals an undo can take
  std::string journal;               // JOURNAL of --undo (empty: the latest)
  std::optional<DateTime> now;       // --now
  EncodingChoice encoding = EncodingChoice::Auto;  // --encoding
  bool help = false;
  bool version = false;
  std::string find;                // FIND (UTF-8 as given)
  std::string replace;             // REPLACE (norra-replace)
  std::vector<std::string> files;  // FILE...
};

// Parses argv (argv[0] is the program). On a usage error returns false with a one-line reason
// in error. Options and operands may be mixed; "--" ends the options.
bool ParseCliOptions(CliTool tool, int argc, const char* const* argv, CliOptions& options,
                     std::string& error);

// Parses "YYYY-MM-DD hh:mm:ss" (also with "T" between date and time).
std::optional<DateTime> ParseNowText(const std::string& text);

// The usage text of the tool.
std::string CliUsage(CliTool tool);

}  // namespace norra

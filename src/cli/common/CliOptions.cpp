// Option parsing for the command-line tools.
#include "cli/common/CliOptions.h"

#include <cstdio>
#include <string_view>

namespace norra {

namespace {

enum class Opt {
  MatchCase,
  FoldWidth,
  FoldKana,
  Settings,
  Dir,
  Subdirs,
  Mask,
  Group,
  DryRun,
  Stdout,
  Now,
  Offsets,
  Encoding,
  Preview,
  Undo,
  Journals,
  Help,
  Version
};

struct OptionInfo {
  char shortName;  // 0 when there is none
  const char* longName;
  Opt opt;
  bool takesValue;
};

constexpr OptionInfo kOptions[] = {
    {'c', "match-case", Opt::MatchCase, false},
    {0, "fold-width", Opt::FoldWidth, false},
    {0, "fold-kana", Opt::FoldKana, false},
    {'F', "settings", Opt::Settings, true},
    {'d', "dir", Opt::Dir, true},
    {'s', "subdirs", Opt::Subdirs, false},
    {'m', "mask", Opt::Mask, true},
    {'g', "group", Opt::Group, true},
    {'n', "dry-run", Opt::DryRun, false},
    {0, "stdout", Opt::Stdout, false},
    {0, "now", Opt::Now, true},
    {0, "offsets", Opt::Offsets, false},
    {0, "encoding", Opt::Encoding, true},
    {0, "preview", Opt::Preview, false},
    {0, "undo", Opt::Undo, false},
    {0, "journals", Opt::Journals, false},
    {'h', "help", Opt::Help, false},
    {0, "version", Opt::Version, false},
};

const OptionInfo* FindShort(char c) {
  for (const OptionInfo& o : kOptions)
    if (o.shortName == c) return &o;
  return nullptr;
}

const OptionInfo* FindLong(std::string_view name) {
  for (const OptionInfo& o : kOptions)
    if (name == o.longName) return &o;
  return nullptr;
}

bool Apply(const OptionInfo& info, const std::string& value, CliOptions& o, std::string& error) {
  switch (info.opt) {
    case Opt::MatchCase:
      o.matchCase = true;
      break;
    case Opt::FoldWidth:
      o.foldWidth = true;
      break;
    case Opt::FoldKana:
      o.foldKana = true;
      break;
    case Opt::Settings:
      o.settingsFile = value;
      break;
    case Opt::Dir:
      o.dir = value;
      break;
    case Opt::Subdirs:
      o.subdirs = true;
      break;
    case Opt::Mask:
      o.masks = value;
      break;
    case Opt::Group:
      o.group = value;
      break;
    case Opt::DryRun:
      o.dryRun = true;
      break;
    case Opt::Stdout:
      o.toStdout = true;
      break;
    case Opt::Offsets:
      o.offsets = true;
      break;
    case Opt::Encoding:
      if (!ParseEncodingChoice(value, o.encoding)) {
        error = "--encoding wants auto, cp932, utf-8 or euc-jp, got \"" + value + "\"";
        return false;
      }
      break;
    case Opt::Preview:
      o.preview = true;
      break;
    case Opt::Undo:
      o.undo = true;
      break;
    case Opt::Journals:
      o.journals = true;
      break;
    case Opt::Help:
      o.help = true;
      break;
    case Opt::Version:
      o.version = true;
      break;
    case Opt::Now:
      o.now = ParseNowText(value);
      if (!o.now) {
        error = "--now wants \"YYYY-MM-DD hh:mm:ss\", got \"" + value + "\"";
        return false;
      }
      break;
  }
  if (info.takesValue && value.empty() && info.opt != Opt::Mask) {
    error = std::string("option --") + info.longName + " needs a non-empty value";
    return false;
  }
  return true;
}

// Checks the combinations once everything is parsed.
bool Validate(CliTool tool, std::vector<std::string>& operands, CliOptions& o, std::string& error) {
  if (o.help || o.version) return true;
  if (tool == CliTool::Replace && (o.undo || o.journals)) {
    // Taking a replace back needs no texts, files or other options.
    const bool others = o.matchCase || !o.settingsFile.empty() || !o.dir.empty() ||
                        o.subdirs || o.masks || !o.group.empty() || o.dryRun || o.toStdout ||
                        o.now || o.preview || (o.undo && o.journals);
    if (others) {
      error = o.undo ? "--undo takes no other option" : "--journals takes no other option";
      return false;
    }
    if (o.journals ? !operands.empty() : operands.size() > 1) {
      error = o.journals ? "--journals takes no operand" : "--undo takes at most one JOURNAL";
      return false;
    }
    if (o.undo && !operands.empty()) o.journal = operands.front();
    return true;
  }
  if (tool == CliTool::Find && (o.preview || o.undo || o.journals)) {
    error = "--preview, --undo and --journals are options of norra-replace";
    return false;
  }
  std::size_t texts = tool == CliTool::Find ? 1 : 2;
  if (operands.size() < texts) {
    error = tool == CliTool::Find ? "missing FIND" : "missing FIND or REPLACE";
    return false;
  }
  o.find = operands[0];
  if (tool == CliTool::Replace) o.replace = operands[1];
  o.files.assign(operands.begin() + texts, operands.end());

  int sources = (!o.files.empty() ? 1 : 0) + (!o.dir.empty() ? 1 : 0) + (!o.group.empty() ? 1 : 0);
  if (sources == 0) {
    error = "no FILE, --dir or --group given";
    return false;
  }
  if (sources > 1) {
    error = "give either FILEs, --dir or --group, not several";
    return false;
  }
  if (o.subdirs && o.dir.empty()) {
    error = "--subdirs only goes with --dir";
    return false;
  }
  if (o.masks && o.dir.empty() && o.group.empty()) {
    error = "--mask only goes with --dir or --group";
    return false;
  }
  if (tool == CliTool::Find && o.toStdout) {
    error = "--stdout is an option of norra-replace";
    return false;
  }
  if (tool == CliTool::Replace && o.offsets) {
    error = "--offsets is an option of norra-find";
    return false;
  }
  if (o.preview && (o.toStdout || o.dryRun)) {
    error = "--preview goes with neither --stdout nor --dry-run";
    return false;
  }
  if (o.toStdout && (o.files.size() != 1 || o.dryRun)) {
    error = "--stdout wants exactly one FILE and no --dry-run";
    return false;
  }
  return true;
}

}  // namespace

std::optional<DateTime> ParseNowText(const std::string& text) {
  DateTime dt;
  char sep = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &dt.year, &dt.month, &dt.day, &sep,
                  &dt.hour, &dt.minute, &dt.second, &consumed) != 7) {
    return std::nullopt;
  }
  if ((sep != ' ' && sep != 'T') || static_cast<std::size_t>(consumed) != text.size() ||
      !dt.IsValid()) {
    return std::nullopt;
  }
  return dt;
}

bool ParseCliOptions(CliTool tool, int argc, const char* const* argv, CliOptions& options,
                     std::string& error) {
  options = CliOptions{};
  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg[1] == '-') {
      std::string name = arg.substr(2);
      std::optional<std::string> value;
      if (std::size_t eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name.resize(eq);
      }
      const OptionInfo* info = FindLong(name);
      if (!info) {
        error = "unknown option --" + name;
        return false;
      }
      if (info->takesValue && !value) {
        if (i + 1 >= argc) {
          error = "option --" + name + " needs a value";
          return false;
        }
        value = argv[++i];
      } else if (!info->takesValue && value) {
        error = "option --" + name + " takes no value";
        return false;
      }
      if (!Apply(*info, value.value_or(""), options, error)) return false;
      continue;
    }
    // Bundled short options: "-cn", "-mMASK", "-m MASK".
    for (std::size_t k = 1; k < arg.size(); ++k) {
      const OptionInfo* info = FindShort(arg[k]);
      if (!info) {
        error = std::string("unknown option -") + arg[k];
        return false;
      }
      std::string value;
      if (info->takesValue) {
        if (k + 1 < arg.size()) {
          value = arg.substr(k + 1);
        } else if (i + 1 < argc) {
          value = argv[++i];
        } else {
          error = std::string("option -") + arg[k] + " needs a value";
          return false;
        }
        if (!Apply(*info, value, options, error)) return false;
        break;
      }
      if (!Apply(*info, value, options, error)) return false;
    }
  }
  return Validate(tool, operands, options, error);
}

std::string CliUsage(CliTool tool) {
  std::string usage;
  if (tool == CliTool::Find) {
    usage =
        "Usage: norra-find [options] FIND FILE...\n"
        "       norra-find [options] FIND (--dir FOLDER [--subdirs] | --group FILE) [--mask "
        "MASKS]\n"
        "Lists every match a replace-all would replace, one line each:\n"
        "PATH:LINE:COLUMN:TEXT (COLUMN counts bytes of the line from 1; of a long line, TEXT\n"
        "is 200 bytes around the match, \"...\" marking a cut), or with --offsets\n"
        "PATH:OFFSET:LENGTH (1-based byte offset and length in the file).\n";
  } else {
    usage =
        "Usage: norra-replace [options] FIND REPLACE FILE...\n"
        "       norra-replace [options] FIND REPLACE --dir FOLDER [--subdirs] [--mask MASKS]\n"
        "       norra-replace [options] FIND REPLACE --group FILE [--mask MASKS]\n"
        "       norra-replace --undo [JOURNAL]\n"
        "       norra-replace --journals\n"
        "Replaces every match in the files and rewrites those that changed; bytes outside\n"
        "the matches, line breaks included, stay as they were.\n";
  }
  usage +=
      "FIND and REPLACE are written in the tag language (built-in brackets \"[\" \"]\").\n"
      "A file holding a NUL byte is not text and is skipped; --dir skips symbolic links.\n"
      "Options:\n"
      "  -c, --match-case     compare letters exactly (default: case-folded)\n"
      "      --fold-width     full-width and half-width forms compare equal (ａ = a,\n"
      "                       ＡＢＣ = ABC, １ = 1, ｶﾞ = ガ with its voiced mark)\n"
      "      --fold-kana      hiragana and katakana compare equal (か = カ = ｶ)\n"
      "                       A match covers whole characters as written.\n"
      "  -F, --settings FILE  take the tag symbols from this settings file (a relative\n"
      "                       name is taken from the working folder)\n"
      "  -d, --dir FOLDER     the folder command on FOLDER\n"
      "  -s, --subdirs        with --dir: sub-folders too\n"
      "  -m, --mask MASKS     file-name masks separated by \";\" (default: every file)\n"
      "  -g, --group FILE     the group command on a group member list\n"
      "  -n, --dry-run        count, write nothing\n";
  if (tool == CliTool::Replace) {
    usage +=
        "      --stdout         with one FILE: write the new text to standard output\n"
        "      --preview        print the changes as a unified diff (patch -p0 applies it in\n"
        "                       the working folder), write nothing\n"
        "      --undo [JOURNAL] take back a replace (default: the latest not taken back):\n"
        "                       every file still as the replace left it gets its old bytes\n"
        "      --journals       list the journals of replaces, oldest first\n";
  }
  usage += "      --now \"YYYY-MM-DD hh:mm:ss\"  the date and time the date tags use\n";
  usage +=
      "      --encoding ENC   read every file as ENC: auto (default: a byte-order mark, else\n"
      "                       valid UTF-8, else EUC-JP, else CP932), cp932, utf-8 or euc-jp\n";
  if (tool == CliTool::Find) usage += "      --offsets        print PATH:OFFSET:LENGTH\n";
  usage +=
      "  -h, --help           this text\n"
      "      --version        the version\n"
      "Exit status: 0 something found or replaced, 1 nothing, 2 refusal or error.\n";
  if (tool == CliTool::Replace)
    usage += "--undo: 0 every file restored, 1 some left as they were changed since, 2 error.\n";
  return usage;
}

}  // namespace norra

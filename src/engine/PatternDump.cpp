// Printable one-line form of compiled patterns and replace lists.
#include "engine/PatternDump.h"

#include <cstdio>

#include "text/Encoding.h"

namespace norra {
namespace {

void AppendQuoted(std::string& out, const std::string& cp932) {
  out += '"';
  for (char c : Cp932ToUtf8(cp932)) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '"' || c == '\\') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendAlternatives(std::string& out, const PatternNode& node) {
  out += '(';
  for (std::size_t i = 0; i < node.alternatives.size(); ++i) {
    if (i > 0) out += '|';
    AppendQuoted(out, node.alternatives[i]);
  }
  out += ')';
}

char AreaLetter(int area) {
  return area >= 1 && area <= 26 ? static_cast<char>('a' + area - 1) : '?';
}

void AppendNode(std::string& out, const PatternNode& node) {
  switch (node.kind) {
    case TAG_LITERAL: AppendQuoted(out, node.text); break;
    case TAG_STRS: out += "STRS"; break;
    case TAG_STR: out += "STR"; break;
    case TAG_CHAR: out += "CHAR"; break;
    case TAG_NUM: out += "NUM"; break;
    case TAG_WHICH: out += "WHICH"; AppendAlternatives(out, node); break;
    case TAG_NOT: out += "NOT"; AppendAlternatives(out, node); break;
    case TAG_REPEAT:
    case TAG_INTO:
      if (node.kind == TAG_REPEAT) {
        out += "REPEAT " + std::to_string(node.argument);
      } else {
        out += "INTO ";
        out += AreaLetter(node.argument);
      }
      out += '{';
      out += DumpPattern(node.body);
      out += '}';
      break;
    case TAG_OUTFROM: out += "FROM "; out += AreaLetter(node.argument); break;
    case TAG_FCOUNT: out += "FCOUNT"; break;
    case TAG_RCOUNT: out += "RCOUNT"; break;
    case TAG_NOWF: out += "NOW("; AppendQuoted(out, node.text); out += ')'; break;
    default: out += '?'; out += std::to_string(node.kind); break;
  }
}

}  // namespace

std::string DumpPattern(const CompiledPattern& pattern) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (i > 0) out += ' ';
    AppendNode(out, pattern[i]);
  }
  return out;
}

}  // namespace norra

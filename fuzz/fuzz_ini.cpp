// Fuzz target: the INI reader. Input: file bytes, then optionally NUL section NUL key NUL value.
// A file read and written back reads as the same file, with the same values; a value written
// through WriteString reads back unchanged, also after a round trip through the bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/IniFile.h"

namespace {

// The next piece of input up to a NUL (or the end).
std::string_view Take(std::string_view& input) {
  const std::size_t nul = input.find('\0');
  const std::string_view piece = input.substr(0, nul);
  input = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
  return piece;
}

// Every value the file holds, by section and key as its reader sees them.
std::vector<std::string> Values(const norra::IniFile& ini,
                                const std::vector<std::string>& sections) {
  std::vector<std::string> values;
  for (const std::string& section : sections) {
    values.push_back("[" + section + "]");
    for (const std::string& key : ini.ReadSectionKeys(section)) {
      values.push_back(key + "=" + ini.ReadString(section, key, "\x01missing"));
      values.push_back(std::to_string(ini.ReadInteger(section, key, -7)));
    }
  }
  return values;
}

// The names between "[" and "]" of the text's lines (a few dozen at most).
void AddSectionNames(std::string_view text, std::vector<std::string>& names) {
  while (!text.empty() && names.size() < 32) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t open = line.find('[');
    const std::size_t close = line.find(']', open);
    if (open != std::string_view::npos && close != std::string_view::npos && close > open + 1)
      names.emplace_back(line.substr(open + 1, close - open - 1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace norra;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view bytes = Take(input);
  const std::string_view section = Take(input);
  const std::string_view key = Take(input);
  const std::string_view value = Take(input);

  IniFile ini;
  ini.Parse(bytes);
  const std::string written = ini.Serialize();
  IniFile again;
  again.Parse(written);
  if (again.Serialize() != written) __builtin_trap();

  // The section names as the file spells them, from its header lines.
  std::vector<std::string> sections;
  AddSectionNames(bytes, sections);
  AddSectionNames(written, sections);
  sections.emplace_back(section);
  if (Values(ini, sections) != Values(again, sections)) __builtin_trap();

  if (ini.WriteString(section, key, value)) {
    if (ini.ReadString(section, key, "\x01missing") != value) __builtin_trap();
    IniFile reread;
    reread.Parse(ini.Serialize());
    if (reread.ReadString(section, key, "\x01missing") != value) __builtin_trap();
    ini.DeleteKey(section, key);
    if (ini.ValueExists(section, key)) __builtin_trap();
  }
  ini.EraseSection(section);
  if (ini.SectionExists(section)) __builtin_trap();
  return 0;
}

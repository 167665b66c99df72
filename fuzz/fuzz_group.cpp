// Fuzz target: the group-file reader. What it reads, written back and read again, gives the
// same members.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "groups/GroupFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace norra;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> members = GroupFile::ParseMembers(bytes);
  for (const std::string& m : members)
    if (m.empty() || m.find_first_of("\r\n") != std::string::npos) __builtin_trap();
  std::string written;
  if (!GroupFile::FormatMembers(members, written)) __builtin_trap();
  if (GroupFile::ParseMembers(written) != members) __builtin_trap();
  return 0;
}

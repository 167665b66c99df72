// What the batch file-list dialog remembers from one run to the next while the program runs.
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace norra {

class Page;

// Held in memory only, never saved.
struct FileListMemory {
  // The Page and line of the last jump. The Page is only compared with the open ones, never
  // used unless it is still among them.
  const Page* jumpPage = nullptr;
  std::size_t jumpLine = 1;
  // Group files that exist but could not be read: writing the members shown (none of theirs)
  // over one of them would lose its list, so no write goes there for the rest of the run.
  std::set<std::string> unreadableGroups;
};

}  // namespace norra

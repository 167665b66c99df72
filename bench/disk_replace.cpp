// One folder replace, as norra-replace --dir DIR --subdirs --mask MASK runs it, with the
// journal or the workers switched off, so that a timing script can tell what each costs.
// Usage: disk_replace journal|nojournal|serial FOLDER MASK FIND REPLACE   (texts in UTF-8)
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskSearch.h"
#include "platform/MemoryUi.h"
#include "text/Encoding.h"
#include "text/FileMask.h"

using namespace norra;

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs("usage: disk_replace journal|nojournal|serial FOLDER MASK FIND REPLACE\n", stderr);
    return 2;
  }
  const std::string mode = argv[1];
  TagTable tags;
  if (!tags.Build()) return 2;
  const TagSymbols symbols = tags.BuiltInSymbols();
  const std::string find = Utf8ToCp932(argv[4]);
  const std::string replace = Utf8ToCp932(argv[5]);
  auto make = [&]() -> std::unique_ptr<SearchEngine> {
    auto engine = std::make_unique<SearchEngine>(symbols);
    engine->MatchCase = true;
    if (!engine->Compile(find) || !engine->CompileReplace(replace)) return nullptr;
    engine->RunReset();
    engine->PreFoldedText = true;
    return engine;
  };
  std::unique_ptr<SearchEngine> engine = make();
  if (!engine) return 2;
  MemoryUi ui;
  DiskSearch search(*engine, ui);
  search.SetJournaling(mode != "nojournal");
  if (mode != "serial") search.SetWorkerEngines(make);
  DiskSearchRequest request;
  request.folderText = argv[2];
  request.subFolders = true;
  request.fileMasks = BuildFileMaskList(Utf8ToCp932(argv[3]));
  const DiskSearchResult result = search.RunFolder(request);
  std::printf("%lld\n", static_cast<long long>(result.replaceCount));
  return result.end == DiskSearchEnd::Completed ? 0 : 1;
}

// The save-as-all plan: where each row of the list is to be saved, and the rules of the
// in-place rename editor's proposal.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace norra {

// What a rename does to the extension of the proposed name.
enum class ExtensionRule : int {
  AddIfMissing,  // optAddExp "拡張子無しなら補う(&M)": a name without "." gets the extension
  Replace,  // optAutoChangeExp "自動で拡張子変更(&O)": the name's extension is replaced
  Keep,     // optDontAddExp "補わない(&N)": the name stays as it is
};

struct RenamePlan {
  // By row position: the paths when a rename run started (an abandoned run goes back to them)
  // and the planned targets.
  std::vector<std::string> starting;
  std::vector<std::string> planned;

  // Whether a row other than `row` is planned to the path (exact comparison).
  bool TakenByOther(const std::string& path, std::size_t row) const;

  // The extension as typed in txtAddExp, with a "." in front unless it has one.
  static std::string NormalExtension(const std::string& typed);
  // What the editor proposes for a row's path under the rule. Only the file-name part counts:
  // folders may well have a "." of their own.
  static std::string Propose(const std::string& path, ExtensionRule rule,
                             const std::string& extension);
  // The base name within a path (offset, length in bytes): from after the last "/" up to the
  // last "." of the file name, or to the end when the name has none.
  static std::pair<std::size_t, std::size_t> BaseName(const std::string& path);
  // A path that names a place on disk; an untitled Page's name, or a relative name typed in the
  // editor, does not.
  static bool HasFolder(const std::string& path);
  // The folder a path is saved into ("/" at the root).
  static std::string FolderOf(const std::string& path);
};

}  // namespace norra

// Compiles a find text written in the tag language into the engine's pattern.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/AlignedText.h"
#include "engine/EngineError.h"
#include "engine/PatternNode.h"
#include "engine/TagTable.h"

namespace norra {

class SearchEngine;

class PatternCompiler {
 public:
  // Deepest nesting of repeat and storage groups a find text may have. Compiling and matching
  // walk the groups recursively, so the cap also bounds their use of the call stack.
  static constexpr int kMaxGroupDepth = 200;

  explicit PatternCompiler(SearchEngine& engine);

  // Fills the engine's pattern and storage-area groups. On a refusal the pattern is empty and
  // the error names it (NothingToFind when the text compiles to nothing).
  EngineError Compile(std::string_view findText);

 private:
  struct GroupSpan {
    std::size_t open = 0;   // start of the opening tag
    std::size_t close = 0;  // start of the closing tag
    int area = 0;           // storage groups: 1-26
  };

  const std::string& S(int k) const;
  // Records the refusal, naming the symbol of tag k (none for -1). Abandon also ends the
  // compile at once.
  void Refuse(EngineErrorCode code, int k = -1);
  [[noreturn]] void Abandon(EngineErrorCode code, int k);

  bool CompileText(std::string_view findText);

  void SetText(std::string text);
  // The group pass in one scan from left to right; nullopt when the text needs the pass that
  // searches again after each group (see there).
  std::optional<bool> GroupsInOneScan();
  bool GroupsBySearching();
  // Replaces text_ from `open` to `end` by `with`.
  void ReplaceSpan(std::size_t open, std::size_t end, std::string_view with);
  std::optional<GroupSpan> FindRepeatGroup();
  std::optional<GroupSpan> FindStorageGroup();
  bool CompileRepeatGroup(const GroupSpan& span);
  bool CompileStorageGroup(const GroupSpan& span);
  bool DepthAllowed(int& depth);
  void ReplaceWithPlaceholder(const GroupSpan& span, std::size_t closeTagLength, int kind,
                              PatternNode group, int depth);

  // The searches a tokenize pass repeats at every tag, each remembering how far it got.
  struct TokenSearches {
    NextOccurrence right;      // a closing bracket
    NextOccurrence closeList;  // two closing brackets: the end of a list
    NextOccurrence separator;  // closing then opening bracket: between two list entries
  };

  bool Tokenize(std::string_view text, std::vector<PatternNode>& out);
  bool TryToken(const AlignedText& text, TokenSearches& searches, std::size_t at,
                PatternNode& node, std::size_t& end);
  std::string Fold(std::string_view text) const;

  SearchEngine& engine_;
  EngineError error_;
  std::string text_;  // the find text as the group pass leaves it
  AlignedText aligned_;  // over text_, while the group pass searches it
  bool scanning_ = false;  // the one-scan pass runs: text_ ends with the group being compiled
  std::vector<std::optional<PatternNode>> groupTable_;
  std::vector<int> groupDepth_;  // nesting depth of each group in groupTable_
  int bodyDepth_ = 0;            // deepest group the last Tokenize took from groupTable_
};

}  // namespace norra

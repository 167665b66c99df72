// Find-text compiler: the group pass (repeat and storage groups, innermost first, replaced by
// placeholders), then tokenizing what is left into the main sequence.
#include "engine/PatternCompiler.h"

#include <algorithm>
#include <charconv>

#include "engine/EngineAbort.h"
#include "engine/SearchEngine.h"
#include "text/CaseMap.h"

namespace norra {
namespace {

constexpr char kPlaceholderMark = '\x01';

bool IsVariable(int kind) { return kind == TAG_STR || kind == TAG_STRS; }

PatternNode LiteralNode(std::string text) {
  PatternNode node;
  node.text = std::move(text);
  return node;
}

// A decimal integer with an optional sign; false for anything else, overflow included.
bool ParseCount(std::string_view text, long long& value) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (*first == '+') ++first;
  if (first == last) return false;
  auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last;
}

}  // namespace

PatternCompiler::PatternCompiler(SearchEngine& engine) : engine_(engine) {}

const std::string& PatternCompiler::S(int k) const { return engine_.Tags()[k]; }

void PatternCompiler::Refuse(EngineErrorCode code, int k) {
  error_ = EngineError(code, k >= 0 ? S(k) : std::string(), engine_.TextCharset());
}

void PatternCompiler::Abandon(EngineErrorCode code, int k) {
  Refuse(code, k);
  throw EngineAbort(error_);
}

std::string PatternCompiler::Fold(std::string_view text) const {
  return engine_.MatchCase ? std::string(text) : ToUpperCopyIn(engine_.TextCharset(), text);
}

void PatternCompiler::SetText(std::string text) {
  text_ = std::move(text);
  aligned_.Reset(text_, engine_.TextCharset());
}

EngineError PatternCompiler::Compile(std::string_view findText) {
  error_ = {};
  try {
    if (CompileText(findText)) return {};
  } catch (const EngineAbort&) {
    // error_ names the refusal
  }
  engine_.ClearPattern();
  if (error_.Ok()) error_ = EngineError(EngineErrorCode::NothingToFind);
  return error_;
}

bool PatternCompiler::CompileText(std::string_view findText) {
  engine_.ClearPattern();
  groupTable_.clear();
  groupDepth_.clear();
  scanning_ = false;  // an abandoned compile may have left it set
  SetText(std::string(findText));

  // Without both brackets no tag can be written: the whole text is literal.
  if (S(TAG_BRACKET1).empty() || S(TAG_BRACKET2).empty()) {
    if (!text_.empty()) engine_.pattern_.push_back(LiteralNode(Fold(text_)));
    return !engine_.pattern_.empty();
  }

  std::optional<bool> scanned = GroupsInOneScan();
  if (!(scanned ? *scanned : GroupsBySearching())) {
    engine_.ClearPattern();
    return false;
  }

  std::vector<PatternNode> sequence;
  if (!Tokenize(text_, sequence) || sequence.empty()) {
    engine_.ClearPattern();
    return false;
  }
  engine_.pattern_ = std::move(sequence);
  groupTable_.clear();
  groupDepth_.clear();
  return true;
}

// Groups are compiled innermost first: of the closing tags that have an opening of their kind
// before them, the leftmost, with the nearest such opening; the group then becomes a
// placeholder and the search starts again. Such a closing tag only ever comes after the one
// before it, and an opening once passed stays the nearest of its kind until a group around it
// takes it in, so one scan with a stack of openings per kind finds the same groups, and each
// group's text is looked at once, when its body is tokenized.
// A find text with an opening that makes the search abandon the command (a repeat count that
// is no number, a storage name of one character other than a-z) leaves the question which
// of two refusals comes first to the searching pass.
std::optional<bool> PatternCompiler::GroupsInOneScan() {
  const std::string& L = S(TAG_BRACKET1);
  const std::string& R = S(TAG_BRACKET2);
  const std::string source = std::move(text_);
  text_.clear();
  const AlignedText original(source, engine_.TextCharset());
  enum Event { RepeatClose, StorageClose, RepeatOpen, StorageOpen, kEvents };
  NextOccurrence finders[kEvents] = {
      {original, L + S(TAG_ENDREPEAT) + R},
      {original, L + S(TAG_ENDTO) + R},
      {original, L + S(TAG_REPEAT) + " "},
      {original, L + S(TAG_INTO) + " "},
  };
  const std::size_t closeLength[] = {L.size() + S(TAG_ENDREPEAT).size() + R.size(),
                                     L.size() + S(TAG_ENDTO).size() + R.size()};
  const std::size_t openLength[] = {L.size() + S(TAG_REPEAT).size() + 1,
                                    L.size() + S(TAG_INTO).size() + 1};
  NextOccurrence nextRight(original, R);

  // First a look at every opening: one that could abandon the command sends the text to the
  // searching pass.
  for (int kind : {RepeatOpen, StorageOpen}) {
    NextOccurrence& find = finders[kind];
    const std::size_t length = openLength[kind - RepeatOpen];
    for (std::size_t at = find.From(0); at != AlignedText::npos; at = find.From(at + 1)) {
      const std::size_t after = at + length;
      const std::size_t r = nextRight.From(after);
      if (kind == RepeatOpen) {
        long long count = 0;
        const std::size_t end = r == AlignedText::npos ? source.size() : r;
        if (!ParseCount(std::string_view(source).substr(after, end - after), count)) {
          SetText(source);
          return std::nullopt;
        }
      } else if (r != AlignedText::npos && r > after && after + original.StepAt(after) == r) {
        const unsigned char c = static_cast<unsigned char>(source[after]);
        if (r - after != 1 || c < 'a' || c > 'z') {
          SetText(source);
          return std::nullopt;
        }
      }
    }
  }

  // Openings by where they start in text_; storage ones only with a one-letter name.
  std::vector<std::size_t> opens[2];
  text_.reserve(source.size());
  scanning_ = true;
  std::size_t copied = 0;  // source bytes already in text_
  std::size_t pos = 0;
  for (;;) {
    int kind = -1;
    std::size_t at = AlignedText::npos;
    for (int k = 0; k < kEvents; ++k) {
      const std::size_t found = finders[k].From(pos);
      if (found < at) {
        at = found;
        kind = k;
      }
    }
    if (kind < 0) break;
    text_.append(source, copied, at - copied);
    copied = at;
    if (kind == RepeatOpen || kind == StorageOpen) {
      const std::size_t name = at + openLength[kind - RepeatOpen];
      const std::size_t r = nextRight.From(name);
      if (kind == RepeatOpen ||
          (r != AlignedText::npos && r > name && name + original.StepAt(name) == r)) {
        opens[kind - RepeatOpen].push_back(text_.size());
      }
      pos = at + 1;
      continue;
    }
    std::vector<std::size_t>& stack = opens[kind];
    if (stack.empty()) {
      pos = at + 1;  // no opening before it: text
      continue;
    }
    text_.append(source, at, closeLength[kind]);
    copied = pos = at + closeLength[kind];
    GroupSpan span{stack.back(), text_.size() - closeLength[kind], 0};
    if (kind == StorageClose) {
      span.area = static_cast<unsigned char>(text_[span.open + openLength[1]]) - 'a' + 1;
    }
    stack.pop_back();
    const bool ok = kind == RepeatClose ? CompileRepeatGroup(span) : CompileStorageGroup(span);
    if (!ok) {
      scanning_ = false;
      return false;
    }
    // Openings inside the group went into its body.
    for (std::vector<std::size_t>& other : opens) {
      while (!other.empty() && other.back() >= span.open) other.pop_back();
    }
  }
  text_.append(source, copied, std::string::npos);
  scanning_ = false;
  return true;
}

bool PatternCompiler::GroupsBySearching() {
  bool repeatActive = true;
  bool storageActive = true;
  while (!text_.empty()) {
    std::optional<GroupSpan> repeat;
    std::optional<GroupSpan> storage;
    if (repeatActive) {
      repeat = FindRepeatGroup();
      repeatActive = repeat.has_value();
    }
    if (storageActive) {
      storage = FindStorageGroup();
      storageActive = storage.has_value();
    }
    if (!repeat && !storage) break;
    const bool ok = (repeat && (!storage || repeat->close < storage->close))
                        ? CompileRepeatGroup(*repeat)
                        : CompileStorageGroup(*storage);
    if (!ok) return false;
  }
  return true;
}

void PatternCompiler::ReplaceSpan(std::size_t open, std::size_t end, std::string_view with) {
  if (scanning_) {
    // The group ends the text made so far.
    text_.resize(open);
    text_.append(with);
    return;
  }
  SetText(text_.substr(0, open) + std::string(with) + text_.substr(end));
}

std::optional<PatternCompiler::GroupSpan> PatternCompiler::FindRepeatGroup() {
  const std::string closeTag = S(TAG_BRACKET1) + S(TAG_ENDREPEAT) + S(TAG_BRACKET2);
  const std::string prefix = S(TAG_BRACKET1) + S(TAG_REPEAT) + " ";
  for (std::size_t from = 0;;) {
    const std::size_t close = aligned_.Find(closeTag, from);
    if (close == AlignedText::npos) return std::nullopt;
    const std::size_t open = aligned_.RFindEndingBy(prefix, close);
    if (open == AlignedText::npos) {
      from = close + 1;
      continue;
    }
    const std::size_t countStart = open + prefix.size();
    const std::size_t r = aligned_.Find(S(TAG_BRACKET2), countStart);
    long long count = 0;
    if (!ParseCount(std::string_view(text_).substr(countStart, r - countStart), count)) {
      Abandon(EngineErrorCode::RepeatCount, TAG_REPEAT);
    }
    return GroupSpan{open, close, 0};
  }
}

std::optional<PatternCompiler::GroupSpan> PatternCompiler::FindStorageGroup() {
  const std::string closeTag = S(TAG_BRACKET1) + S(TAG_ENDTO) + S(TAG_BRACKET2);
  const std::string prefix = S(TAG_BRACKET1) + S(TAG_INTO) + " ";
  for (std::size_t from = 0;;) {
    const std::size_t close = aligned_.Find(closeTag, from);
    if (close == AlignedText::npos) return std::nullopt;
    for (std::size_t limit = close;;) {
      const std::size_t open = aligned_.RFindEndingBy(prefix, limit);
      if (open == AlignedText::npos) break;
      const std::size_t name = open + prefix.size();
      const std::size_t r = aligned_.Find(S(TAG_BRACKET2), name);
      if (r != AlignedText::npos && r > name && name + aligned_.StepAt(name) == r) {
        const unsigned char c = static_cast<unsigned char>(text_[name]);
        if (r - name != 1 || c < 'a' || c > 'z') {
          Abandon(EngineErrorCode::AreaName, TAG_INTO);
        }
        return GroupSpan{open, close, c - 'a' + 1};
      }
      // Not exactly one character: an earlier opening may still fit.
      limit = open + prefix.size() - 1;
    }
    from = close + 1;
  }
}

bool PatternCompiler::CompileRepeatGroup(const GroupSpan& span) {
  const std::size_t closeTagLength = S(TAG_BRACKET1).size() + S(TAG_ENDREPEAT).size() +
                                     S(TAG_BRACKET2).size();
  const std::size_t countStart = span.open + S(TAG_BRACKET1).size() + S(TAG_REPEAT).size() + 1;
  // Searched in the group's own text: the closing tag ends in a bracket.
  const AlignedText ownText(std::string_view(text_).substr(span.open), engine_.TextCharset());
  std::size_t r = ownText.Find(S(TAG_BRACKET2), countStart - span.open);
  if (r != AlignedText::npos) r += span.open;
  long long count = 0;
  ParseCount(std::string_view(text_).substr(countStart, r - countStart), count);
  if (count <= 0) {
    Abandon(EngineErrorCode::MinimumCount, TAG_REPEAT);
  }
  const std::size_t bodyStart = r + S(TAG_BRACKET2).size();
  if (bodyStart > span.close) {
    // The opening tag runs into the closing one (only possible with odd symbols).
    Abandon(EngineErrorCode::RepeatCount, TAG_REPEAT);
  }
  std::vector<PatternNode> body;
  if (!Tokenize(std::string_view(text_).substr(bodyStart, span.close - bodyStart), body)) {
    return false;
  }
  if (body.empty()) {
    ReplaceSpan(span.open, span.close + closeTagLength, {});
    return true;
  }
  bool allMayBeEmpty = true;
  for (auto it = body.rbegin(); it != body.rend(); ++it) {
    if (it->kind == TAG_INTO) {
      Refuse(EngineErrorCode::IntoInsideRepeat, TAG_INTO);
      return false;
    }
    allMayBeEmpty = allMayBeEmpty && it->mayBeEmpty;
  }
  if (allMayBeEmpty) {
    Refuse(EngineErrorCode::InfiniteLoop);
    return false;
  }
  int depth = 0;
  if (!DepthAllowed(depth)) return false;
  PatternNode group;
  group.kind = TAG_REPEAT;
  group.argument = static_cast<int>(count > 1000000000 ? 1000000000 : count);
  group.bodyLength = static_cast<int>(body.size());
  group.body = std::move(body);
  ReplaceWithPlaceholder(span, closeTagLength, TAG_REPEAT, std::move(group), depth);
  return true;
}

bool PatternCompiler::CompileStorageGroup(const GroupSpan& span) {
  const std::size_t closeTagLength = S(TAG_BRACKET1).size() + S(TAG_ENDTO).size() +
                                     S(TAG_BRACKET2).size();
  const std::size_t bodyStart =
      span.open + S(TAG_BRACKET1).size() + S(TAG_INTO).size() + 2 + S(TAG_BRACKET2).size();
  std::vector<PatternNode> body;
  if (bodyStart > span.close ||
      !Tokenize(std::string_view(text_).substr(bodyStart, span.close - bodyStart), body)) {
    return false;
  }
  if (body.empty()) {
    ReplaceSpan(span.open, span.close + closeTagLength, {});
    return true;
  }
  if (engine_.areaGroups_[span.area - 1]) {
    Refuse(EngineErrorCode::DuplicateArea, TAG_INTO);
    return false;
  }
  int depth = 0;
  if (!DepthAllowed(depth)) return false;
  engine_.areaGroups_[span.area - 1] = true;
  ++engine_.intoGroupCount_;
  PatternNode group;
  group.kind = TAG_INTO;
  group.argument = span.area;
  group.bodyLength = static_cast<int>(body.size());
  group.body = std::move(body);
  ReplaceWithPlaceholder(span, closeTagLength, TAG_INTO, std::move(group), depth);
  return true;
}

// The group just tokenized holds the groups its body took over; one more level must stay
// within the cap.
bool PatternCompiler::DepthAllowed(int& depth) {
  depth = bodyDepth_ + 1;
  if (depth <= kMaxGroupDepth) return true;
  Refuse(EngineErrorCode::NestingTooDeep);
  return false;
}

void PatternCompiler::ReplaceWithPlaceholder(const GroupSpan& span, std::size_t closeTagLength,
                                             int kind, PatternNode group, int depth) {
  groupTable_.emplace_back(std::move(group));
  groupDepth_.push_back(depth);
  const std::string placeholder = S(TAG_BRACKET1) + S(kind) + kPlaceholderMark +
                                  std::to_string(groupTable_.size() - 1) + S(TAG_BRACKET2);
  ReplaceSpan(span.open, span.close + closeTagLength, placeholder);
}

bool PatternCompiler::TryToken(const AlignedText& text, TokenSearches& searches, std::size_t at,
                               PatternNode& node, std::size_t& end) {
  const std::string& L = S(TAG_BRACKET1);
  const std::string& R = S(TAG_BRACKET2);
  const std::string_view view = text.View();
  const std::size_t p = at + L.size();
  for (int k = TAG_STRS; k <= TAG_BRACKET2; ++k) {
    const std::string& sym = S(k);
    if (!view.substr(p).starts_with(sym)) continue;
    const std::size_t q = p + sym.size();
    switch (k) {
      case TAG_STRS:
      case TAG_STR:
      case TAG_CHAR:
      case TAG_NUM:
        if (!text.At(q, R)) break;
        node = PatternNode{};
        node.kind = k;
        node.mayBeEmpty = IsVariable(k);
        end = q + R.size();
        return true;
      case TAG_INTO:
      case TAG_REPEAT: {
        if (q >= view.size() || view[q] != kPlaceholderMark) break;
        const std::size_t r = searches.right.From(q + 1);
        if (r == AlignedText::npos) break;
        // Only a placeholder this compile made counts; a typed look-alike stays text.
        std::size_t index = 0;
        const std::string_view digits = view.substr(q + 1, r - q - 1);
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (ec != std::errc() || ptr != digits.data() + digits.size() ||
            index >= groupTable_.size() || !groupTable_[index] ||
            groupTable_[index]->kind != k) {
          break;
        }
        node = std::move(*groupTable_[index]);
        groupTable_[index].reset();
        bodyDepth_ = std::max(bodyDepth_, groupDepth_[index]);
        end = r + R.size();
        return true;
      }
      case TAG_WHICH:
      case TAG_NOT: {
        if (!text.At(q, L)) break;
        const std::size_t listStart = q + L.size();
        const std::size_t close = searches.closeList.From(listStart);
        if (close == AlignedText::npos) break;
        node = PatternNode{};
        node.kind = k;
        node.mayBeEmpty = (k == TAG_NOT);
        const std::size_t separatorLength = R.size() + L.size();
        for (std::size_t from = listStart;;) {
          std::size_t sep = searches.separator.From(from);
          if (sep == AlignedText::npos || sep > close) sep = close;
          if (sep > from) node.alternatives.push_back(Fold(view.substr(from, sep - from)));
          if (sep == close) break;
          from = sep + separatorLength;
        }
        end = close + 2 * R.size();
        return true;
      }
      default:
        break;
    }
  }
  return false;
}

bool PatternCompiler::Tokenize(std::string_view source, std::vector<PatternNode>& out) {
  out.clear();
  bodyDepth_ = 0;
  AlignedText text(source, engine_.TextCharset());
  const std::string& L = S(TAG_BRACKET1);
  const std::string& R = S(TAG_BRACKET2);
  TokenSearches searches{{text, R}, {text, R + R}, {text, R + L}};
  std::size_t literalStart = 0;
  std::size_t scan = 0;
  while (scan < source.size()) {
    const std::size_t at = text.Find(L, scan);
    if (at == AlignedText::npos) break;
    PatternNode node;
    std::size_t end = 0;
    if (!TryToken(text, searches, at, node, end)) {
      scan = at + text.StepAt(at);
      continue;
    }
    if (at > literalStart) {
      out.push_back(LiteralNode(Fold(source.substr(literalStart, at - literalStart))));
    }
    out.push_back(std::move(node));
    literalStart = scan = end;
  }
  if (literalStart < source.size()) {
    out.push_back(LiteralNode(Fold(source.substr(literalStart))));
  }

  // Of neighbouring STR/STRS only the last stays (in one pass, however long the run); two
  // NOTs in a row are refused.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (i + 1 < out.size() && IsVariable(out[i].kind) && IsVariable(out[i + 1].kind)) continue;
    if (kept != i) out[kept] = std::move(out[i]);
    ++kept;
  }
  out.resize(kept);
  for (std::size_t i = 1; i < out.size(); ++i) {
    if (out[i - 1].kind == TAG_NOT && out[i].kind == TAG_NOT) {
      Refuse(EngineErrorCode::ConsecutiveNot, TAG_NOT);
      out.clear();
      return false;
    }
  }
  return true;
}

}  // namespace norra

// Replace-text compiler and per-match expansion of the replace tags.
#include "engine/ReplaceCompiler.h"

#include <array>

#include "engine/AlignedText.h"
#include "engine/CharsetText.h"
#include "engine/SearchEngine.h"
#include "platform/Clock.h"
#include "text/AsciiCase.h"
#include "text/DateTime.h"

namespace norra {
namespace {

struct Candidate {
  int kind = -1;
  std::size_t pos = AlignedText::npos;
};

}  // namespace

EngineError ReplaceCompiler::Compile(SearchEngine& engine, std::string_view replaceText) {
  CompiledPattern& list = engine.replaceList_;
  list.clear();
  const TagSymbols& sym = engine.Tags();
  const std::string& L = sym[TAG_BRACKET1];
  const std::string& R = sym[TAG_BRACKET2];
  auto literal = [&list](std::string_view text) {
    PatternNode node;
    node.text = std::string(text);
    list.push_back(std::move(node));
  };
  if (L.empty() || R.empty()) {
    if (!replaceText.empty()) literal(replaceText);
    return {};
  }

  const AlignedText text(replaceText, engine.TextCharset());
  const std::string rcountTag = L + sym[TAG_RCOUNT] + R;
  const std::string fcountTag = L + sym[TAG_FCOUNT] + R;
  const std::string nowOpener = L + sym[TAG_NOWF] + L;
  const std::string fromOpener = L + sym[TAG_OUTFROM] + " ";
  // Each tag's next occurrence is looked for again only once the scan has passed it, and a
  // date format's end only once a format has passed it: the text is read a bounded number of
  // times however many tags it holds.
  NextOccurrence nextFrom(text, fromOpener);
  NextOccurrence nextFcount(text, fcountTag);
  NextOccurrence nextRcount(text, rcountTag);
  NextOccurrence nextNow(text, nowOpener);
  NextOccurrence nextCloseFormat(text, R + R);
  const std::size_t closeFormatLength = 2 * R.size();

  std::size_t pos = 0;
  while (pos < replaceText.size()) {
    // The earliest candidate wins; for equal positions the lower tag index.
    const std::array<Candidate, 4> found = {{
        {TAG_OUTFROM, nextFrom.From(pos)},
        {TAG_FCOUNT, nextFcount.From(pos)},
        {TAG_RCOUNT, nextRcount.From(pos)},
        {TAG_NOWF, nextNow.From(pos)},
    }};
    Candidate best;
    for (const Candidate& c : found) {
      if (c.pos < best.pos) best = c;
    }

    PatternNode item;
    item.kind = best.kind;
    std::size_t end = AlignedText::npos;
    switch (best.kind) {
      case TAG_OUTFROM: {
        const std::size_t name = best.pos + fromOpener.size();
        if (name < replaceText.size() && text.StepAt(name) == 1 && text.At(name + 1, R)) {
          const char c = AsciiLower(replaceText[name]);
          if (c >= 'a' && c <= 'z') {
            item.argument = c - 'a' + 1;
            end = name + 1 + R.size();
          }
        }
        break;
      }
      case TAG_FCOUNT:
        end = best.pos + fcountTag.size();
        break;
      case TAG_RCOUNT:
        end = best.pos + rcountTag.size();
        break;
      case TAG_NOWF: {
        const std::size_t formatStart = best.pos + nowOpener.size();
        const std::size_t close = nextCloseFormat.From(formatStart);
        if (close != AlignedText::npos) {
          item.text = std::string(replaceText.substr(formatStart, close - formatStart));
          end = close + closeFormatLength;
        }
        break;
      }
      default:
        break;
    }
    if (end == AlignedText::npos) {
      // No tag, or the earliest one is malformed: the rest is plain text.
      literal(replaceText.substr(pos));
      break;
    }
    if (best.pos > pos) literal(replaceText.substr(pos, best.pos - pos));
    if (item.kind == TAG_NOWF) {
      std::string probe;
      if (!FormatDateTimeIn(engine.TextCharset(), item.text, engine.clock_.Now(), probe)) {
        EngineError error(EngineErrorCode::DateFormat, std::move(item.text), engine.TextCharset());
        list.clear();
        return error;
      }
    }
    list.push_back(std::move(item));
    pos = end;
  }
  return {};
}

void ReplaceCompiler::ExpandInto(const SearchEngine& engine, std::string& out) {
  const TagSymbols& tags = engine.Tags();
  const std::string& L = tags[TAG_BRACKET1];
  const std::string& R = tags[TAG_BRACKET2];
  for (const PatternNode& item : engine.replaceList_) {
    switch (item.kind) {
      case TAG_LITERAL:
        out += item.text;
        break;
      case TAG_OUTFROM:
        if (item.argument >= 1 && item.argument <= kAreaCount) {
          out += engine.areaTexts_[item.argument - 1];
        } else {
          out += L + "From's Error" + R;
        }
        break;
      case TAG_FCOUNT:
        out += std::to_string(engine.FindCount);
        break;
      case TAG_RCOUNT:
        out += std::to_string(engine.ReplaceCount);
        break;
      case TAG_NOWF: {
        std::string formatted;
        if (FormatDateTimeIn(engine.TextCharset(), item.text, engine.clock_.Now(), formatted)) {
          out += formatted;
        } else {
          out += L + "Time's Error" + R;
        }
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace norra

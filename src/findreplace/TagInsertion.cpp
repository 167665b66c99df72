// The texts the tag panel inserts, one shape per kind of tag.
#include "findreplace/TagInsertion.h"

#include "platform/TextControl.h"

namespace norra {

std::optional<TagInsertion> PlanTagInsertion(int tag, const TagSymbols& symbols) {
  const std::string& b1 = symbols[TAG_BRACKET1];
  const std::string& b2 = symbols[TAG_BRACKET2];
  if (tag < 1 || tag >= kTagCount) return std::nullopt;
  const std::string& s = symbols[tag];
  TagInsertion plan;
  switch (tag) {
    case TAG_INTO:
    case TAG_REPEAT: {
      // An opening tag with a blank to type its area or count over, and its closing tag.
      const std::string& end = symbols[tag == TAG_INTO ? TAG_ENDTO : TAG_ENDREPEAT];
      const std::string before = b1 + s + " ";
      plan.text = before + " " + b2 + b1 + end + b2;
      plan.caret = before.size();
      plan.selLength = 1;
      break;
    }
    case TAG_OUTFROM: {
      const std::string before = b1 + s + " ";
      plan.text = before + " " + b2;
      plan.caret = before.size();
      plan.selLength = 1;
      break;
    }
    case TAG_WHICH:
    case TAG_NOT: {
      // Two empty alternatives, the caret in the first.
      const std::string before = b1 + s + b1;
      plan.text = before + b2 + b1 + b2 + b2;
      plan.caret = before.size();
      break;
    }
    case TAG_NOWF: {
      const std::string before = b1 + s + b1;
      plan.text = before + b2 + b2;
      plan.caret = before.size();
      break;
    }
    case TAG_BRACKET1:
    case TAG_BRACKET2:
      plan.text = s;
      plan.caret = s.size();
      break;
    default:
      plan.text = b1 + s + b2;
      plan.caret = plan.text.size();
      break;
  }
  return plan;
}

bool InsertTag(TextControl& box, int tag, const TagSymbols& symbols) {
  const std::optional<TagInsertion> plan = PlanTagInsertion(tag, symbols);
  if (!plan) return false;
  const std::size_t start = box.SelStart();
  if (!box.ReplaceSelection(plan->text)) return false;
  box.SetSelection(start + plan->caret, plan->selLength);
  return true;
}

}  // namespace norra

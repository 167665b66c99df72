// A Page forwards its control's events to the undo log and to its owner.
#include "documents/Page.h"

#include "documents/UndoLog.h"

namespace norra {

Page::Page(std::unique_ptr<TextControl> control, UndoLog& log) : control_(std::move(control)), log_(log) {
  control_->SetEvents(this);
}

Page::~Page() { control_->SetEvents(nullptr); }

bool Page::ReplaceWholeText(std::string_view text) {
  if (text.size() > control_->MaxLength()) return false;
  control_->SetSelection(0, control_->TextLength());
  if (!control_->ReplaceSelection(text)) return false;
  return control_->TextLength() == text.size();
}

bool Page::KeyDown(int key, unsigned shift) { return log_.KeyDown(*this, key, shift); }

bool Page::KeyPress(int character) { return log_.KeyPress(*this, character); }

void Page::TextChanged() { log_.TextChanged(*this); }

void Page::SelectionChanged() { log_.SelectionChanged(*this); }

void Page::MouseDown() {
  if (owner_ != nullptr) owner_->PageMouseDown(*this);
  log_.MouseDown(*this);
}

void Page::CompositionStarted() { log_.CompositionStarted(*this); }

void Page::CompositionEnded() { log_.CompositionEnded(*this); }

void Page::FocusReceived() {
  if (owner_ != nullptr) owner_->PageFocused(*this);
}

void Page::TextRefused(const std::string& characters) {
  if (owner_ != nullptr) owner_->PageTextRefused(*this, characters);
}

}  // namespace norra

// The recording printer.
#include "platform/MemoryPrinter.h"

namespace norra {

MemoryPrinter::MemoryPrinter() {
  metrics_.name = "Memory printer";
  metrics_.port = "memory:";
  metrics_.paperName = "A4";
  metrics_.orientation = PaperOrientation::Portrait;
  metrics_.physicalWidthPx = 2100;
  metrics_.physicalHeightPx = 2970;
  metrics_.offsetXPx = 50;
  metrics_.offsetYPx = 50;
  metrics_.printableWidthPx = 2000;
  metrics_.printableHeightPx = 2870;
  metrics_.printableWidthMm = 200;
  metrics_.printableHeightMm = 287;
}

std::vector<std::string> MemoryPrinter::InstalledPrinters() const {
  if (!installed_) return {};
  return {metrics_.name};
}

bool MemoryPrinter::ReadMetrics(PrinterMetrics& out) {
  if (!installed_ || !readable_) return false;
  out = metrics_;
  return true;
}

void MemoryPrinter::SetFont(const std::string& name, int points) {
  fontName_ = name;
  fontPoints_ = points;
}

void MemoryPrinter::SetFontScale(int heightPerPoint, int widthPerPoint) {
  heightPerPoint_ = heightPerPoint;
  widthPerPoint_ = widthPerPoint;
}

int MemoryPrinter::TextHeight(std::string_view /*utf8*/) {
  return fontPoints_ * heightPerPoint_;
}

int MemoryPrinter::TextWidth(std::string_view utf8) {
  return static_cast<int>(utf8.size()) * fontPoints_ * widthPerPoint_;
}

bool MemoryPrinter::BeginDocument(const std::string& title) {
  if (refuseBegin_) {
    lastError_ = "the memory printer refuses documents";
    return false;
  }
  title_ = title;
  lastError_.clear();
  sheets_.clear();
  sheetCount_ = 1;
  drawCount_ = 0;
  if (keepSheets_) sheets_.emplace_back();
  open_ = true;
  begun_ = true;
  ended_ = false;
  aborted_ = false;
  return true;
}

bool MemoryPrinter::NewSheet() {
  if (!open_) return false;
  ++sheetCount_;
  if (keepSheets_) sheets_.emplace_back();
  return true;
}

void MemoryPrinter::DrawText(PrintTextRole role, int x, int y, std::string_view utf8) {
  if (!open_) return;
  ++drawCount_;
  if (!keepSheets_) return;
  PrintedSheet& sheet = sheets_.back();
  PrintedText text{x, y, std::string(utf8)};
  switch (role) {
    case PrintTextRole::Header:
      sheet.header.push_back(std::move(text));
      break;
    case PrintTextRole::Footer:
      sheet.footer.push_back(std::move(text));
      break;
    case PrintTextRole::Body:
      sheet.lines.push_back(std::move(text));
      break;
  }
}

bool MemoryPrinter::EndDocument() {
  if (!open_) return false;
  open_ = false;
  if (refuseEnd_) {
    lastError_ = "the memory printer could not deliver the document";
    aborted_ = true;
    return false;
  }
  ended_ = true;
  return true;
}

void MemoryPrinter::AbortDocument() {
  if (!open_) return;
  open_ = false;
  aborted_ = true;
}

std::string MemoryPrinter::BodyText() const {
  std::string text;
  for (std::size_t s = 0; s < sheets_.size(); ++s) {
    if (s > 0) text += '\f';
    for (std::size_t i = 0; i < sheets_[s].lines.size(); ++i) {
      if (i > 0) text += '\n';
      text += sheets_[s].lines[i].text;
    }
  }
  return text;
}

}  // namespace norra

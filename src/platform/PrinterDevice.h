// The printer port: installed printers, the current printer's measurements, a font's text
// extent, and a document of sheets with lines of text drawn at points.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

enum class PaperOrientation : int {
  Portrait,   // "タテ"
  Landscape,  // "ヨコ"
  Other,      // "不明"
};

// What the device tells about the current printer and its paper. Pixels are device pixels;
// the printable area is where drawing lands, its top-left corner being the origin.
struct PrinterMetrics {
  std::string name;       // UTF-8
  std::string port;       // UTF-8; where the output goes (a queue, a device, a file)
  std::string paperName;  // UTF-8; the name of the paper size in use
  PaperOrientation orientation = PaperOrientation::Other;
  int printableWidthPx = 0;
  int printableHeightPx = 0;
  int printableWidthMm = 0;
  int printableHeightMm = 0;
  int physicalWidthPx = 0;  // the whole sheet of paper
  int physicalHeightPx = 0;
  int offsetXPx = 0;  // from the paper's left edge to the printable area
  int offsetYPx = 0;  // from the paper's top edge to the printable area
};

// Which part of a sheet a drawn text is; devices draw them all alike.
enum class PrintTextRole : int {
  Header,
  Footer,
  Body,
};

class PrinterDevice {
 public:
  virtual ~PrinterDevice() = default;

  // Names of the installed printers (UTF-8); empty when there is none.
  virtual std::vector<std::string> InstalledPrinters() const = 0;
  // The current printer's measurements; false when they cannot be read.
  virtual bool ReadMetrics(PrinterMetrics& out) = 0;

  // The font of the text measured and drawn from now on (name UTF-8, size in points).
  virtual void SetFont(const std::string& name, int points) = 0;
  // Extent of a UTF-8 text in the current font, in device pixels.
  virtual int TextHeight(std::string_view utf8) = 0;
  virtual int TextWidth(std::string_view utf8) = 0;

  // A document: BeginDocument opens it with its first sheet, NewSheet starts each further
  // sheet, EndDocument delivers it, AbortDocument drops it (nothing is delivered). False when
  // the device refused; LastError may then say why.
  virtual bool BeginDocument(const std::string& title) = 0;
  virtual bool NewSheet() = 0;
  // Draws a UTF-8 text with its top-left corner at (x, y) of the printable area. UTF-8, not
  // the document's CP932: a header names files and users whose names CP932 need not hold.
  virtual void DrawText(PrintTextRole role, int x, int y, std::string_view utf8) = 0;
  virtual bool EndDocument() = 0;
  virtual void AbortDocument() = 0;

  // A short UTF-8 account of the last refusal; empty when the device has none.
  virtual std::string LastError() const { return {}; }
};

}  // namespace norra

// One open text: its control, file path and names, and the texts its undo records keep.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "documents/UndoTextBuffer.h"
#include "platform/TextControl.h"
#include "text/FileEncoding.h"

namespace norra {

class Page;
class UndoLog;

// Window states of a Page, as the Window settings store them.
enum PageWindowState : int {
  kPageNormal = 0,
  kPageMinimized = 1,
  kPageMaximized = 2,
};

// What a Page's FilePath names. The path text is for showing; the program asks the kind.
enum class PageKind : int {
  File = 0,        // the full path of the Page's file
  Untitled = 1,    // "無題" and a number: no file until the user names one
  LoadFailed = 2,  // "(Err)" + the path whose reading failed: saved only under a new name
};

// What a Page tells the object that owns it besides the undo log.
class PageOwner {
 public:
  virtual ~PageOwner() = default;
  virtual void PageMouseDown(Page& page) = 0;  // before the log hears of the click
  virtual void PageFocused(Page& page) = 0;
  // Text the user put in was refused: CP932 cannot hold these characters (UTF-8).
  virtual void PageTextRefused(Page& /*page*/, const std::string& /*characters*/) {}
};

// A Page listens to its control and forwards every event to the undo log (which ignores those
// of Pages other than the current one).
class Page : public TextControlEvents {
 public:
  Page(std::unique_ptr<TextControl> control, UndoLog& log);
  ~Page() override;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  TextControl& Control() { return *control_; }
  const TextControl& Control() const { return *control_; }

  // UTF-8, as the kind says: the full path, "無題" and a number, or "(Err)" + path.
  const std::string& FilePath() const { return filePath_; }
  PageKind Kind() const { return kind_; }
  // The path and what it names change together.
  void SetFilePath(std::string path, PageKind kind) {
    filePath_ = std::move(path);
    kind_ = kind;
  }
  const std::string& DisplayName() const { return displayName_; }
  void SetDisplayName(std::string name) { displayName_ = std::move(name); }
  // Untitled and "(Err)" Pages have no file of their own to write back to.
  bool HasFile() const { return kind_ == PageKind::File; }

  bool Modified() const { return control_->Modified(); }
  void SetModified(bool modified) { control_->SetModified(modified); }

  UndoTextBuffer& UndoText() { return undoText_; }
  const UndoTextBuffer& UndoText() const { return undoText_; }

  // The file had LF line breaks and no CR: the text holds CR LF and is written with LF.
  bool LfLineBreaks() const { return lfLineBreaks_; }
  void SetLfLineBreaks(bool on) { lfLineBreaks_ = on; }

  // How the file spells the text: the Page holds it in HeldCharset of this, and its control
  // steps and shows characters by that.
  const FileEncoding& Encoding() const { return encoding_; }
  void SetEncoding(const FileEncoding& encoding) {
    encoding_ = encoding;
    control_->SetCharset(HeldCharset(encoding.charset));
  }
  // The user named the encoding (reopened in it): a reload keeps it instead of detecting anew.
  bool EncodingChosen() const { return encodingChosen_; }
  void SetEncodingChosen(bool chosen) { encodingChosen_ = chosen; }
  // The line breaks of the file as last read or written, for the status bar.
  LineBreakKind FileLineBreaks() const { return fileLineBreaks_; }
  void SetFileLineBreaks(LineBreakKind kind) { fileLineBreaks_ = kind; }

  int WindowState() const { return windowState_; }
  void SetWindowState(int state) { windowState_ = state; }

  void SetOwner(PageOwner* owner) { owner_ = owner; }

  // Puts text of the program's own in place of the whole text, in one edit. Fails, changing
  // nothing, when the text is longer than the control's limit.
  bool ReplaceWholeText(std::string_view text);

  // TextControlEvents
  bool KeyDown(int key, unsigned shift) override;
  bool KeyPress(int character) override;
  void TextChanged() override;
  void SelectionChanged() override;
  void MouseDown() override;
  void CompositionStarted() override;
  void CompositionEnded() override;
  void FocusReceived() override;
  void TextRefused(const std::string& characters) override;

 private:
  std::unique_ptr<TextControl> control_;
  UndoLog& log_;
  PageOwner* owner_ = nullptr;
  std::string filePath_;
  PageKind kind_ = PageKind::Untitled;  // nothing named yet
  std::string displayName_;
  UndoTextBuffer undoText_;
  bool lfLineBreaks_ = false;
  FileEncoding encoding_;
  bool encodingChosen_ = false;
  LineBreakKind fileLineBreaks_ = LineBreakKind::None;
  int windowState_ = kPageMaximized;
};

}  // namespace norra

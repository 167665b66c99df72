// The CP932 bytes behind a UTF-8 editing widget, kept in step with every edit of either side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "text/Charset.h"

namespace norra {

// A change the widget has to make: remove utf8Length bytes at utf8Start, then insert utf8Text
// there (in that order, as two notifications).
struct WidgetEdit {
  std::size_t utf8Start = 0;
  std::size_t utf8Length = 0;
  std::string utf8Text;
};

// The widget shows UTF-8; the document is CP932. The mirror holds the CP932 text and follows
// the widget edit by edit, so a character nobody touched keeps its bytes (CP932 spells about
// 400 characters twice, and undecodable bytes are shown as escapes that must come back as the
// same byte). Text the program itself produces goes in as bytes through ReplaceBytes.
//
// Positions: CP932 offsets are 0-based byte offsets into Bytes(); widget positions are 0-based
// byte offsets into the widget's UTF-8 text. Both index structures are split into pieces of a
// few hundred bytes independent of lines, so an edit or a position lookup costs the same in a
// long line as in a short one, and the same in a large document as in a small one.
//
// A widget edit can leave the widget showing something other than what its bytes decode to:
// a lone lead byte (shown as an escape) that now meets a byte it pairs with, or a character
// the widget was given without going through NormalizeInsertion. The mirror keeps following the
// widget exactly, and NeedsDisplayRepair/RepairDisplay give the edits that make the screen show
// what will be saved.
class Cp932Mirror {
 public:
  class LogicEdit;

  Cp932Mirror();
  ~Cp932Mirror();
  Cp932Mirror(const Cp932Mirror&) = delete;
  Cp932Mirror& operator=(const Cp932Mirror&) = delete;

  // The document's form, set before Load. In UTF-8 the widget holds the document's own bytes
  // (malformed ones too, which it shows as their values), so both coordinates are the same and
  // nothing is ever shown differently; the rest of this class then works on those bytes.
  void SetCharset(Charset charset);
  Charset DocumentCharset() const;

  // Takes a new text and returns what the widget must be given to show it; the widget's
  // notifications of taking it are not to be reported. (To go through the widget's
  // notifications instead, use ReplaceBytes(0, Size(), cp932).)
  std::string Load(std::string_view cp932);

  std::string Bytes() const;
  // The bytes without a copy, and the same upper-cased (ToUpperCp932) for searches that ignore
  // case; both valid until the next change. The upper-cased copy is made on first use and from
  // then on kept in step with every edit, so a find need not fold the whole text again.
  std::string_view View() const;
  std::string_view FoldedView() const;
  // Changes with every change of the bytes (NewTextVersion).
  std::uint64_t Version() const;
  // The bytes [offset, offset + length), clamped to the text.
  std::string TextRange(std::size_t offset, std::size_t length) const;
  std::size_t Size() const;
  // Length of the widget's text in UTF-8 bytes.
  std::size_t Utf8Size() const;

  // Lines end at CR LF, a lone CR or a lone LF; numbers are 0-based. A text ending in a line
  // break has an empty last line.
  std::size_t LineCount() const;
  std::size_t LineOfOffset(std::size_t offset) const;
  // The start of a line; Size() for a line past the last one.
  std::size_t LineStart(std::size_t line) const;

  // Position mapping. A position inside a character maps to that character's start; a
  // position past the end maps to the end. Lookups near the last one (the caret) walk from it,
  // so even const calls update a small cache: one thread only.
  std::size_t ToCp932(std::size_t utf8Pos) const;
  std::size_t ToUtf8(std::size_t cp932Offset) const;

  // The widget's own edits, reported after it made them, at its character boundaries. Inserted
  // characters are encoded one by one (a character CP932 lacks becomes "?").
  void OnWidgetInsert(std::size_t utf8Pos, std::string_view utf8Text);
  void OnWidgetDelete(std::size_t utf8Pos, std::size_t utf8Length);

  // A change made by the program: replaces [offset, offset + length) by the given bytes. The
  // returned edit says what the widget must do; apply it at once with one deletion followed by
  // one insertion of exactly that range and text (for example target range + replace target).
  // While the returned object lives, the matching widget notifications take the bytes given
  // here instead of re-encoding the widget's text, and the bytes change when they arrive. Any
  // other widget notification is taken as an ordinary widget edit, so the mirror never loses
  // step with the widget. A range that cuts a character is widened to whole characters, and the
  // widget edit may cover a neighbouring character whose display changes with the new bytes.
  // Throws std::logic_error while an earlier logic edit is still waiting for its notifications.
  [[nodiscard]] LogicEdit ReplaceBytes(std::size_t offset, std::size_t length,
                                       std::string_view cp932);

  // True while the widget shows something other than what Bytes() decode to.
  bool NeedsDisplayRepair() const;
  // The next edit that brings the display in line with the bytes (the bytes stay as they
  // are), applied like ReplaceBytes; an empty edit when nothing is left to repair. The widget
  // cannot be changed while it reports a change, so a view applies these right after:
  //   while (mirror.NeedsDisplayRepair()) { auto e = mirror.RepairDisplay(); apply e.Widget(); }
  [[nodiscard]] LogicEdit RepairDisplay();

  // What the widget holds, as far as the mirror knows: Cp932ToUtf8(Bytes()) unless a display
  // repair is pending. For tests and debugging; costs a pass over the text.
  std::string WidgetText() const;
  // True when the given widget text is exactly what the bytes decode to.
  bool MatchesWidget(std::string_view widgetUtf8) const;

  // For the widget's insert check: the text as the document will hold it. Every character CP932
  // cannot hold (and every byte of malformed UTF-8) becomes "?", a character CP932 holds under
  // another code point becomes that one, escapes stay.
  static std::string NormalizeInsertion(std::string_view utf8);
  // CP932 length of a UTF-8 text once it is in the document.
  static std::size_t Cp932Length(std::string_view utf8);
  // The longest start of the text, on a character boundary, whose CP932 length is at most
  // maxCp932; it never ends between a CR and its LF.
  static std::string_view CutToCp932Length(std::string_view utf8, std::size_t maxCp932);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A logic edit in progress (see ReplaceBytes). Must not outlive its mirror.
class Cp932Mirror::LogicEdit {
 public:
  LogicEdit(LogicEdit&& other) noexcept;
  LogicEdit(const LogicEdit&) = delete;
  LogicEdit& operator=(const LogicEdit&) = delete;
  LogicEdit& operator=(LogicEdit&&) = delete;
  // Ends the edit: later widget notifications are ordinary widget edits again.
  ~LogicEdit();

  const WidgetEdit& Widget() const { return edit_; }
  // Nothing for the widget to do; the bytes, if they changed, are already in place.
  bool Empty() const { return ticket_ == 0; }
  // The bytes differ from before (the widget may show the same, as for ≒ by another pair).
  bool Changed() const { return changed_; }
  // The bytes are in place: the edit was empty, or the widget reported it as asked.
  bool Applied() const;

 private:
  friend class Cp932Mirror;
  LogicEdit(Cp932Mirror* mirror, std::uint64_t ticket, WidgetEdit edit, bool changed);

  Cp932Mirror* mirror_;
  std::uint64_t ticket_;
  WidgetEdit edit_;
  bool changed_;
};

}  // namespace norra

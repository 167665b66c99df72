// The main window's seven status panels: their texts from the active Page, and only changes
// sent to the view.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "text/FileEncoding.h"

namespace norra {

class MainView;
class TextControl;

class StatusBar {
 public:
  explicit StatusBar(MainView& view) : view_(view) {}

  // Panel 0: the application's hint.
  void ShowHint(const std::string& hint) { Set(0, hint); }
  // Panels 1 to 4 from the active Page's text, caret and selection; position is 1-based.
  void ShowPage(const TextControl& control, std::size_t position, std::size_t count);
  // Panel 1 alone (a preview of a position in the page list).
  void ShowPosition(std::size_t position, std::size_t count);
  // Panel 5, rewritten only when a state differs from the one it shows.
  void ShowInsertState(bool insert, bool modified);
  // Panel 5 whatever it shows.
  void ForceInsertState(bool insert, bool modified);
  // Panel 6: the active Page's file encoding and line breaks ("UTF-8 LF").
  void ShowEncoding(const FileEncoding& encoding, LineBreakKind breaks) { Set(6, EncodingText(encoding, breaks)); }
  static std::string EncodingText(const FileEncoding& encoding, LineBreakKind breaks);
  // No Page: "0/0ﾌｧｲﾙ", "0ﾊﾞｲﾄ", the others empty.
  void ShowEmpty();

 private:
  void Set(int panel, const std::string& text);

  MainView& view_;
  std::array<std::optional<std::string>, 7> shown_;
  std::optional<bool> shownInsert_;
  std::optional<bool> shownModified_;
};

}  // namespace norra

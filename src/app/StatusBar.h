// The main window's status panels: their texts from the active Page, and only changes sent to
// the view. Panels 0 to 5 are the classic six; panel 6, shown beside the bytes of panel 2,
// counts characters; panel 7 names the Page's encoding and line breaks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "text/Charset.h"
#include "text/FileEncoding.h"

namespace norra {

class MainView;
class TextControl;

class StatusBar {
 public:
  explicit StatusBar(MainView& view) : view_(view) {}

  // Panel 0: the application's hint.
  void ShowHint(const std::string& hint) { Set(0, hint); }
  static constexpr int kPanelCount = 8;
  static constexpr int kCharactersPanel = 6;
  static constexpr int kEncodingPanel = 7;

  // Panels 1 to 4 and 6 from the active Page's text, caret and selection; position is 1-based.
  // Panel 6: the Page's characters (CharacterCount) + "文字", or with a selection "選択" + its
  // characters + "文字". A count is made again only when the text or the selection changed.
  void ShowPage(const TextControl& control, std::size_t position, std::size_t count,
                Charset charset = Charset::Cp932);
  // Panel 1 alone (a preview of a position in the page list).
  void ShowPosition(std::size_t position, std::size_t count);
  // Panel 5, rewritten only when a state differs from the one it shows.
  void ShowInsertState(bool insert, bool modified);
  // Panel 5 whatever it shows.
  void ForceInsertState(bool insert, bool modified);
  // Panel 7: the active Page's file encoding and line breaks ("UTF-8 LF").
  void ShowEncoding(const FileEncoding& encoding, LineBreakKind breaks) {
    Set(kEncodingPanel, EncodingText(encoding, breaks));
  }
  static std::string EncodingText(const FileEncoding& encoding, LineBreakKind breaks);
  // No Page: "0/0ﾌｧｲﾙ", "0ﾊﾞｲﾄ", "0文字", the others empty.
  void ShowEmpty();

 private:
  void Set(int panel, const std::string& text);
  std::size_t Characters(const TextControl& control, Charset charset);

  // The last count and what it was made of: which control, its text's version (0: the control
  // keeps none, so nothing is reused), the range counted.
  struct CountMemo {
    const TextControl* control = nullptr;
    std::uint64_t version = 0;
    Charset charset = Charset::Cp932;
    std::size_t start = 0;
    std::size_t length = 0;
    std::size_t count = 0;
  };

  MainView& view_;
  std::array<std::optional<std::string>, kPanelCount> shown_;
  CountMemo memo_;
  std::optional<bool> shownInsert_;
  std::optional<bool> shownModified_;
};

}  // namespace norra

// What applying options changes beyond the settings and the Pages' text controls: the main
// window's caption and bars, the Pages' windows and the find/replace window.
#pragma once

#include <string>

namespace norra {

class Page;
struct VisionSettings;

class OptionsHost {
 public:
  virtual ~OptionsHost() = default;
  // The main window's own name in its caption ("Norra" or "Norra for " + user name).
  virtual void SetMainCaption(const std::string& caption) = 0;
  virtual void ShowBars(bool toolBar, bool statusBar) = 0;
  // Font, size, colours and left margin of an open Page's window.
  virtual void StylePage(Page& page, const VisionSettings& vision) = 0;
  // The find/replace window's colours, its Tab key and its tag lists follow the settings.
  virtual void FindWindowOptionsChanged() = 0;
};

}  // namespace norra

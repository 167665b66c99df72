// Where the viewer opens a help request: the page, its fragment, and a page to write first.
#pragma once

#include <string>
#include <string_view>

namespace norra {

struct HelpLocation {
  std::string page;           // the file the viewer opens; empty when there is nothing to show
  std::string generatedPage;  // HTML to be written to `page` first (a plain-text file's copy)
  std::string anchor;         // the element id to open the page at; empty for its top
  std::string highlight;      // text at the anchor for the viewer to mark; empty for none
  bool found = false;         // the topic or the keyword was found
};

// helpFile is the program's help as the Help settings name it ("…/Norra.hlp", standing for the
// pages in its folder, whose topics HelpTopics lists) or a user's HTML or text file. An empty
// keyword asks for the contents. Copies of plain-text files are made in copyFolder.
HelpLocation LocateHelp(const std::string& helpFile, std::string_view keywordUtf8,
                        const std::string& copyFolder);

// The contents page of the program's help named as the Help settings name it: index.html in
// the folder of "…/Norra.hlp" (a name that stands for the folder, not a file).
std::string HelpContentsPage(const std::string& helpFile);

}  // namespace norra

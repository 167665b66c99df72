// Where the viewer opens a help request: the page, its fragment, and a page to write first.
#pragma once

#include <string>
#include <string_view>

namespace norra {

struct HelpLocation {
  std::string page;           // the file the viewer opens; empty when there is nothing to show
  std::string generatedPage;  // HTML to be written to `page` first (a plain-text file's copy)
  std::string fragment;       // what follows "#" in the page's address; empty for its top
  bool found = false;         // the topic or the keyword was found
};

// helpFile is the program's help as the Help settings name it ("…/Norra.hlp", standing for the
// pages in its folder, whose topics HelpTopics lists) or a user's HTML or text file. An empty
// keyword asks for the contents. Copies of plain-text files are made in copyFolder.
HelpLocation LocateHelp(const std::string& helpFile, std::string_view keywordUtf8,
                        const std::string& copyFolder);

// The file:// address of a local path, its bytes percent-encoded; the fragment is added as it is.
std::string FileUrl(std::string_view path, std::string_view fragment);

// A page that sends the viewer on to url: desktop openers hand a file's path, not its address,
// to the viewer, and so would drop the fragment.
std::string RedirectPage(std::string_view url);

}  // namespace norra

// Resolving a help request to a page: the program's topic table, or a search in the user's file.
#include "app/HelpLocation.h"

#include "app/HelpSearch.h"
#include "app/HelpTopics.h"
#include "text/Escape.h"
#include "text/FileIo.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

// The program's help: a folder of pages, named by a file in it that need not exist.
HelpLocation LocateOwnHelp(const std::string& helpFile, std::string_view keyword) {
  HelpLocation location;
  const std::string contents = HelpContentsPage(helpFile);
  const std::string folder = FolderPart(contents);
  if (!keyword.empty()) {
    if (const auto topic = FindHelpTopic(HelpSearchKey(keyword))) {
      const std::string page = folder + std::string(topic->page);
      if (IsFile(page)) {
        location.page = page;
        location.anchor = std::string(topic->anchor);
        location.found = true;
        return location;
      }
    }
  }
  if (IsFile(contents)) location.page = contents;
  location.found = location.found || (keyword.empty() && !location.page.empty());
  return location;
}

}  // namespace

HelpLocation LocateHelp(const std::string& helpFile, std::string_view keywordUtf8,
                        const std::string& copyFolder) {
  if (!IsFile(helpFile)) return LocateOwnHelp(helpFile, keywordUtf8);
  HelpLocation location;
  std::string bytes;
  if (ReadWholeFile(helpFile, bytes) != FileError::None) return location;
  const bool html = IsHtmlHelp(helpFile, bytes);
  // A file with NUL bytes (a WinHelp file, say) is no text a page could show.
  if (!html && bytes.find('\0') != std::string::npos) return location;
  const std::string text = HelpTextToUtf8(bytes);
  HelpHit hit;
  if (!keywordUtf8.empty())
    hit = html ? SearchHtmlHelp(text, keywordUtf8) : SearchTextHelp(text, keywordUtf8);
  location.found = keywordUtf8.empty() || hit.found;
  location.anchor = hit.anchor;
  location.highlight = hit.highlight;
  if (html) {
    location.page = helpFile;
  } else {
    location.page = WithoutTrailingSlash(copyFolder) + "/" + FileNamePart(helpFile) + ".html";
    location.generatedPage = TextHelpPage(text, FileNamePart(helpFile));
  }
  return location;
}

std::string HelpContentsPage(const std::string& helpFile) {
  const std::string folder =
      IsFolder(helpFile) ? WithoutTrailingSlash(helpFile) + "/" : FolderPart(helpFile);
  return folder + "index.html";
}

}  // namespace norra

// The topic table of the program's help pages.
#include "app/HelpTopics.h"

#include <array>

#include "app/HelpPort.h"
#include "text/AsciiCase.h"

namespace norra {

namespace {

constexpr std::array<HelpTopic, 25> kTopics = {{
    {"topic1009", "findreplace.html", "topic1009"},
    {"topic1010", "tags.html", "topic1010"},
    {"topic1011", "printing.html", "topic1011"},
    {"topic1012", "filelist.html", "topic1012"},
    {"topic1013", "filelist.html", "topic1013"},
    {"topic1014", "filelist.html", "topic1014"},
    {"topic1015", "filelist.html", "topic1015"},
    {"topic1016", "filelist.html", "topic1016"},
    {"topic1017", "groups.html", "topic1017"},
    {"contents", "index.html", "contents"},
    {"options0", "options.html", "options0"},
    {"options1", "options.html", "options1"},
    {"options2", "options.html", "options2"},
    {"options3", "options.html", "options3"},
    {"options4", "options.html", "options4"},
    {"options5", "options.html", "options5"},
    {"options6", "options.html", "options6"},
    // The windows by their class names, for help asked from a window as a whole.
    {"TfrmNote", "mainwindow.html", "TfrmNote"},
    {"TfrmR", "findreplace.html", "TfrmR"},
    {"TfrmFileListView", "filelist.html", "TfrmFileListView"},
    {"TdlgOption", "options.html", "TdlgOption"},
    {"TdlgSelectDirEx", "folder.html", "TdlgSelectDirEx"},
    {"tags", "tags.html", "topic1010"},
    {"dateformat", "tags.html", "dateformat"},
    {"secondhelp", "secondhelp.html", "secondhelp"},
}};

}  // namespace

std::span<const HelpTopic> HelpTopics() {
  return kTopics;
}

std::string HelpContextKeyword(int context) {
  return "topic" + std::to_string(context);
}

std::string OptionsPageHelpKeyword(int page) {
  return "options" + std::to_string(page);
}

std::optional<HelpTopic> FindHelpTopic(std::string_view keyword) {
  for (const HelpTopic& topic : kTopics) {
    if (EqualsIgnoringAsciiCase(topic.keyword, keyword)) return topic;
  }
  return std::nullopt;
}

bool ShowHelpContext(HelpPort& help, const std::string& helpFile, int context) {
  return help.SearchKeyword(helpFile, HelpContextKeyword(context));
}

}  // namespace norra

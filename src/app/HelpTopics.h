// The topics of the program's own help: which page of the help folder, and which anchor in it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace norra {

class HelpPort;

// Help context numbers the windows ask for.
enum HelpContext : int {
  kHelpFindGuide = 1009,  // find and replace: how to
  kHelpTagGuide = 1010,   // the find and replace tags
  kHelpPrintAll = 1011,   // print all
  kHelpQuoteAll = 1012,   // quote all
  kHelpSaveAsAll = 1013,  // save-as all
  kHelpJump = 1014,       // jump to a line
  kHelpSortList = 1015,   // sort the page list
  kHelpReloadAll = 1016,  // reload all
  kHelpGroup = 1017,      // open from a group
};

struct HelpTopic {
  std::string_view keyword;  // what the program asks its help for ("topic1013", "options2")
  std::string_view page;     // file name in the help folder
  std::string_view anchor;   // element id in the page
};

// Every topic, the help contexts first.
std::span<const HelpTopic> HelpTopics();

// The keyword a help context number is asked for by: "topic" and the number.
std::string HelpContextKeyword(int context);
// The keyword of a page of the options dialog (0-6).
std::string OptionsPageHelpKeyword(int page);

// The topic of a keyword (ASCII letters compared without case); none for an unknown one.
std::optional<HelpTopic> FindHelpTopic(std::string_view keyword);

// Opens the program's help (helpFile as the Help settings name it) at a context number.
bool ShowHelpContext(HelpPort& help, const std::string& helpFile, int context);

}  // namespace norra

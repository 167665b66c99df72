// Path helpers for "/"-separated UTF-8 paths: name parts, extension, existence tests, normal form.
#pragma once

#include <string>
#include <string_view>

namespace norra {

// Text after the last "/" (the whole path when it has none).
std::string FileNamePart(std::string_view path);

// Text up to and including the last "/" (empty when the path has none).
std::string FolderPart(std::string_view path);

// Text after the last "." anywhere in the path (so a dot in a folder name counts), ASCII
// letters upper-cased; with withDot the "." is included. Empty when the path has no ".".
// Bytes other than ASCII letters are kept, so this is safe on UTF-8 paths; a CP932 text would
// need its trail bytes protected and goes through Cp932ToUtf8 first.
std::string ExtensionOf(std::string_view path, bool withDot = false);

// The path without one trailing "/" ("/" itself is kept).
std::string WithoutTrailingSlash(std::string_view path);

// Whether the path, after one trailing "/" is removed, names an existing entry that is not a
// folder (links are followed; a dangling link names nothing).
bool IsFile(std::string_view path);

// Whether the path, after one trailing "/" is removed, names an existing folder; "/" is one.
bool IsFolder(std::string_view path);

// Lexical normal form: repeated "/" and "." parts removed, ".." takes back the part before it
// (never above the root of an absolute path). A trailing "/" is kept; an empty result is ".".
std::string NormalizePath(std::string_view path);

// The path made absolute against base (itself absolute) and lexically normal. No "~"
// expansion and no link resolution. An empty path gives an empty result.
std::string MakeAbsolute(std::string_view path, std::string_view base);

// The same against the current working folder.
std::string MakeAbsolute(std::string_view path);

// The user's home folder: $HOME when it is absolute, else the password database's; "/" when
// neither names one.
std::string HomeFolder();

// The program's folder below a base folder of the desktop's: $variable/norra when the variable
// holds an absolute path, else HomeFolder()/fallback/norra; no trailing "/". Not made here.
std::string XdgProgramFolder(const char* variable, std::string_view fallback);

// The folder of the settings file, ending in "/": $XDG_CONFIG_HOME/norra/ when that variable
// holds an absolute path, else $HOME/.config/norra/ (home from the password database when
// HOME is unset).
std::string SettingsFolder();

}  // namespace norra

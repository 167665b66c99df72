// File enumeration for the folder command.
#include "findreplace/FolderEnumerator.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace norra {

namespace {

namespace fs = std::filesystem;

// Decodes UTF-8 into code points; a byte that does not start a well-formed sequence becomes a
// value above the Unicode range, so it only ever equals itself.
std::u32string DecodeLenient(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      len = 1;
      cp = c;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
    }
    bool ok = len > 0 && i + len <= s.size();
    for (int k = 1; ok && k < len; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (ok && len > 1) {
      // Reject overlong forms, surrogates and values beyond U+10FFFF.
      if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
          (cp >= 0xD800 && cp <= 0xDFFF)) {
        ok = false;
      }
    }
    if (!ok) {
      out.push_back(0x110000 + c);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += len;
  }
  return out;
}

// Upper-cases the letters the program folds everywhere: ASCII, full-width Latin, Greek,
// Cyrillic and the small Roman numerals.
char32_t FoldCase(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;                 // ａ-ｚ
  if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) return c - 0x20;  // Greek
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;                 // Cyrillic
  if (c == 0x0451) return 0x0401;                                  // ё
  if (c >= 0x2170 && c <= 0x2179) return c - 0x10;                 // ⅰ-ⅹ
  return c;
}

std::u32string Folded(std::string_view s) {
  std::u32string u = DecodeLenient(s);
  for (char32_t& c : u) c = FoldCase(c);
  return u;
}

// Iterative star matching: on a mismatch return to the last "*" and let it take one more
// character. Linear in practice, never exponential.
bool MatchFolded(const std::u32string& mask, const std::u32string& name) {
  std::size_t m = 0, n = 0;
  std::size_t starMask = std::u32string::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == U'?' || (mask[m] != U'*' && mask[m] == name[n]))) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == U'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::u32string::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == U'*') ++m;
  return m == mask.size();
}

struct FolderEntries {
  std::vector<std::string> files;    // names, sorted
  std::vector<std::string> folders;  // names, sorted
};

FolderEntries ListFolder(const std::string& folder) {
  FolderEntries entries;
  std::error_code ec;
  fs::directory_iterator it(fs::path(folder), fs::directory_options::skip_permission_denied, ec);
  if (ec) return entries;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::directory_entry& entry = *it;
    std::string name = entry.path().filename().string();
    std::error_code typeEc;
    if (entry.is_symlink(typeEc)) {
      // A link counts as a file when it leads to one; linked folders are never walked into.
      if (entry.is_regular_file(typeEc)) entries.files.push_back(std::move(name));
    } else if (entry.is_directory(typeEc)) {
      entries.folders.push_back(std::move(name));
    } else if (entry.is_regular_file(typeEc)) {
      // Devices, pipes and sockets are left alone: reading one could block or never end.
      entries.files.push_back(std::move(name));
    }
  }
  // Directory order is arbitrary on Linux; name order makes runs repeatable.
  std::sort(entries.files.begin(), entries.files.end());
  std::sort(entries.folders.begin(), entries.folders.end());
  return entries;
}

void Enumerate(const std::string& folder, const std::vector<std::u32string>& masks, bool recurse,
               std::vector<std::string>& out) {
  FolderEntries entries = ListFolder(folder);
  std::vector<std::u32string> foldedNames;
  foldedNames.reserve(entries.files.size());
  for (const std::string& name : entries.files) foldedNames.push_back(Folded(name));

  // Each entry once, even when several masks match it. Names that differ only in case are
  // different files here and each is listed.
  std::vector<bool> taken(entries.files.size(), false);
  for (const std::u32string& mask : masks) {
    for (std::size_t i = 0; i < entries.files.size(); ++i) {
      if (taken[i] || !MatchFolded(mask, foldedNames[i])) continue;
      out.push_back(folder + entries.files[i]);
      taken[i] = true;
    }
  }
  if (!recurse) return;
  for (const std::string& sub : entries.folders) Enumerate(folder + sub + "/", masks, true, out);
}

std::u32string FoldedMask(std::string_view maskUtf8) {
  if (maskUtf8 == "*.*") return U"*";
  return Folded(maskUtf8);
}

}  // namespace

bool WildcardMatch(std::string_view maskUtf8, std::string_view nameUtf8) {
  return MatchFolded(FoldedMask(maskUtf8), Folded(nameUtf8));
}

std::vector<std::string> EnumerateFolderFiles(const std::string& folder,
                                              const std::vector<std::string>& masksUtf8,
                                              bool recurse) {
  std::vector<std::u32string> masks;
  masks.reserve(masksUtf8.size());
  for (const std::string& m : masksUtf8) masks.push_back(FoldedMask(m));
  std::vector<std::string> out;
  Enumerate(folder, masks, recurse, out);
  return out;
}

}  // namespace norra

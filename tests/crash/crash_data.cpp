// Makes the deterministic CP932 files the crash test rewrites, and checks that after a kill every
// file holds exactly its old or its new bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The word the test replaces; every generated file holds it at least once.
constexpr const char* kWord = "sakura";

// In one block: a byte-by-byte read of hundreds of megabytes is slow in a sanitizer build.
std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string bytes(in ? static_cast<std::size_t>(in.tellg()) : 0, '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Lines of ASCII, half-width katakana and double-byte characters, CR LF ended, about one in
// four holding the word; the first line always does.
std::string MakeText(std::mt19937_64& random, std::size_t size) {
  std::string text;
  text.reserve(size + 256);
  auto pick = [&random](unsigned lo, unsigned hi) {
    return static_cast<unsigned>(std::uniform_int_distribution<unsigned>(lo, hi)(random));
  };
  bool first = true;
  while (text.size() < size) {
    const std::size_t length = pick(10, 120);
    const std::size_t wordAt =
        first || pick(0, 3) == 0 ? pick(0, static_cast<unsigned>(length)) : SIZE_MAX;
    bool placed = wordAt == SIZE_MAX;
    first = false;
    std::size_t lineBytes = 0;
    while (lineBytes < length) {
      if (!placed && lineBytes >= wordAt) {
        text += kWord;
        lineBytes += 6;
        placed = true;
        continue;
      }
      const unsigned kind = pick(0, 9);
      if (kind < 4) {
        text += static_cast<char>(pick(0, 2) == 0 ? pick(' ', '~') : pick('a', 'z'));
        ++lineBytes;
      } else if (kind < 5) {
        text += static_cast<char>(pick(0xA1, 0xDF));  // half-width katakana
        ++lineBytes;
      } else {
        // Lead bytes of kanji and kana rows; trail bytes include ASCII letters and "[" "]".
        const unsigned lead = pick(0, 3) == 0 ? pick(0xE0, 0xEA) : pick(0x82, 0x9F);
        unsigned trail = pick(0x40, 0xFB);
        if (trail == 0x7F) trail = 0x80;
        text += static_cast<char>(lead);
        text += static_cast<char>(trail);
        lineBytes += 2;
      }
    }
    if (!placed) text += kWord;
    text += "\r\n";
  }
  return text;
}

int MakeFile(const fs::path& path, std::size_t bytes, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  return WriteBytes(path, MakeText(random, bytes)) ? 0 : 1;
}

// Files of 1 to 16 KB spread over the top folder, ten folders and two sub-folders in each.
int MakeTree(const fs::path& dir, int count, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<fs::path> folders{dir};
  for (int d = 0; d < 10; ++d) {
    const fs::path folder = dir / ("d" + std::to_string(d));
    folders.push_back(folder);
    for (int s = 0; s < 2; ++s) folders.push_back(folder / ("s" + std::to_string(s)));
  }
  for (const fs::path& folder : folders) fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    const std::size_t size = std::uniform_int_distribution<std::size_t>(1024, 16384)(random);
    char name[32];
    std::snprintf(name, sizeof name, "f%05d.txt", i);
    if (!WriteBytes(folders[static_cast<std::size_t>(i) % folders.size()] / name,
                    MakeText(random, size)))
      return 1;
  }
  return 0;
}

bool IsTemporary(const fs::path& path) {
  const std::string name = path.filename().string();
  return name.size() > 1 && name[0] == '.' && name.find(".norra-") != std::string::npos;
}

// The regular files under root (or root itself), by path relative to root.
std::map<std::string, fs::path> FilesOf(const fs::path& root) {
  std::map<std::string, fs::path> files;
  if (fs::is_regular_file(root)) {
    files[""] = root;
    return files;
  }
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = entry.path();
  return files;
}

// Every file of actual must be the same file of old or of new, byte for byte; temporaries
// beside them are counted, any other file is a failure.
int Check(const fs::path& actual, const fs::path& oldRoot, const fs::path& newRoot) {
  const auto oldFiles = FilesOf(oldRoot);
  std::map<std::string, fs::path> actualFiles;
  if (fs::is_regular_file(oldRoot)) {
    // A single file: its temporaries lie beside it in its folder.
    actualFiles[""] = actual;
    for (const auto& entry : fs::directory_iterator(fs::absolute(actual).parent_path()))
      if (IsTemporary(entry.path())) actualFiles[entry.path().filename().string()] = entry.path();
  } else {
    actualFiles = FilesOf(actual);
  }
  int failures = 0, olds = 0, news = 0, temporaries = 0;
  auto fail = [&failures](const std::string& what) {
    if (++failures <= 10) std::fprintf(stderr, "FAIL: %s\n", what.c_str());
  };
  for (const auto& [relative, oldPath] : oldFiles) {
    const auto found = actualFiles.find(relative);
    const std::string name = relative.empty() ? actual.string() : relative;
    if (found == actualFiles.end()) {
      fail(name + " is missing");
      continue;
    }
    const std::string bytes = ReadBytes(found->second);
    const std::string newBytes = ReadBytes(relative.empty() ? newRoot : newRoot / relative);
    if (bytes == newBytes)
      ++news;
    else if (bytes == ReadBytes(oldPath))
      ++olds;
    else
      fail(name + " holds neither its old nor its new bytes (" + std::to_string(bytes.size()) +
           " bytes)");
    actualFiles.erase(found);
  }
  for (const auto& [relative, path] : actualFiles) {
    if (IsTemporary(path))
      ++temporaries;
    else
      fail("unexpected file " + relative);
  }
  std::printf("files %zu old %d new %d temporaries %d\n", oldFiles.size(), olds, news, temporaries);
  return failures == 0 ? 0 : 1;
}

// Every file of oldRoot differs from the same file of newRoot.
int Changed(const fs::path& oldRoot, const fs::path& newRoot) {
  int same = 0;
  const auto files = FilesOf(oldRoot);
  for (const auto& [relative, oldPath] : files) {
    if (ReadBytes(oldPath) != ReadBytes(relative.empty() ? newRoot : newRoot / relative)) continue;
    if (++same <= 10) std::fprintf(stderr, "FAIL: %s did not change\n", oldPath.c_str());
  }
  std::printf("files %zu unchanged %d\n", files.size(), same);
  return same == 0 ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "Usage: crash_data make-file PATH BYTES SEED\n"
               "       crash_data make-tree DIR COUNT SEED\n"
               "       crash_data check ACTUAL OLD NEW   (files or folders)\n"
               "       crash_data changed OLD NEW\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  const std::string command = argv[1];
  if (command == "changed") return Changed(argv[2], argv[3]);
  if (argc != 5) return Usage();
  if (command == "make-file")
    return MakeFile(argv[2], std::strtoull(argv[3], nullptr, 10),
                    std::strtoull(argv[4], nullptr, 10));
  if (command == "make-tree")
    return MakeTree(argv[2], std::atoi(argv[3]), std::strtoull(argv[4], nullptr, 10));
  if (command == "check") return Check(argv[2], argv[3], argv[4]);
  return Usage();
}

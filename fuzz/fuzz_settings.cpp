// Fuzz target: loading the settings file. Any file loads; what a load and save wrote loads and
// saves again to the very same bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/TagTable.h"
#include "settings/Settings.h"

namespace {

std::string Folder() {
  namespace fs = std::filesystem;
  // A memory file system keeps the atomic saves' flushes cheap.
  const fs::path base =
      fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  const fs::path folder = base / ("norra-fuzz-settings-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  return folder.string();
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads the file and saves it again; returns what the save wrote.
std::string LoadAndSave(const std::string& folder, const std::string& path) {
  norra::TagTable tags;
  if (!tags.Build()) __builtin_trap();
  norra::Settings settings(tags, path, folder, norra::ScreenSize{1920, 1080});
  if (!settings.Load()) __builtin_trap();  // a readable file always loads
  if (!settings.Save()) __builtin_trap();
  // The copies kept of files the editor did not write would otherwise pile up until none fits.
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().starts_with("Norra.ini.bak")) {
      std::filesystem::remove(entry.path());
    }
  }
  return ReadBytes(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = Folder();
  static const std::string path = folder + "/Norra.ini";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const std::string first = LoadAndSave(folder, path);
  if (LoadAndSave(folder, path) != first) __builtin_trap();
  return 0;
}

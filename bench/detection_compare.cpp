// How often the encoding detection is right, side by side with `nkf -g`, on real Japanese text
// (the help pages and the benchmark prose) written in UTF-8, CP932 and EUC-JP: whole files,
// single lines, single words of 2-6 characters, ASCII lines holding one Japanese character,
// and half-width katakana alone. Then what detection costs beside opening a 100 MB file.
//
// Usage: detection_compare HELP_DIR [WORK_DIR]   (nkf must be on the PATH)
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Prose.h"
#include "text/Cp932Mirror.h"
#include "text/EncodingDetection.h"
#include "text/FileCodec.h"
#include "text/FileIo.h"
#include "text/Utf8.h"

namespace fs = std::filesystem;
using namespace norra;

namespace {

std::string Iconv(const std::string& utf8, const char* to) {
  iconv_t cd = iconv_open(to, "UTF-8");
  std::string out(utf8.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) return {};
  out.resize(out.size() - outLeft);
  return out;
}

std::vector<char32_t> CodePoints(const std::string& utf8) {
  std::vector<char32_t> cps;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const int n = DecodeUtf8(reinterpret_cast<const unsigned char*>(utf8.data()) + i, utf8.size() - i, cp);
    i += n > 0 ? static_cast<std::size_t>(n) : 1;
    if (n > 0) cps.push_back(cp);
  }
  return cps;
}

std::string Utf8Of(const std::vector<char32_t>& cps) {
  std::string s;
  for (char32_t cp : cps) AppendUtf8(cp, s);
  return s;
}

bool IsJapanese(char32_t cp) {
  return (cp >= 0x3041 && cp <= 0x30FC) || (cp >= 0x4E00 && cp <= 0x9FFF);
}

// Text of an HTML page: tags and entities dropped, lines kept.
std::string PlainText(const std::string& html) {
  std::string out;
  bool inTag = false;
  for (std::size_t i = 0; i < html.size(); ++i) {
    const char c = html[i];
    if (c == '<') inTag = true;
    else if (c == '>') inTag = false;
    else if (!inTag) out += c;
  }
  return out;
}

// Full-width katakana (U+30A1-U+30F4, U+30FC) in half-width form.
std::string HalfWidthKatakana(const std::vector<char32_t>& cps, bool& ok) {
  static const char* const kHalf[] = {
      "ｧ", "ｱ", "ｨ", "ｲ", "ｩ", "ｳ", "ｪ", "ｴ", "ｫ", "ｵ", "ｶ", "ｶﾞ", "ｷ", "ｷﾞ", "ｸ", "ｸﾞ", "ｹ", "ｹﾞ",
      "ｺ", "ｺﾞ", "ｻ", "ｻﾞ", "ｼ", "ｼﾞ", "ｽ", "ｽﾞ", "ｾ", "ｾﾞ", "ｿ", "ｿﾞ", "ﾀ", "ﾀﾞ", "ﾁ", "ﾁﾞ", "ｯ", "ﾂ",
      "ﾂﾞ", "ﾃ", "ﾃﾞ", "ﾄ", "ﾄﾞ", "ﾅ", "ﾆ", "ﾇ", "ﾈ", "ﾉ", "ﾊ", "ﾊﾞ", "ﾊﾟ", "ﾋ", "ﾋﾞ", "ﾋﾟ", "ﾌ", "ﾌﾞ",
      "ﾌﾟ", "ﾍ", "ﾍﾞ", "ﾍﾟ", "ﾎ", "ﾎﾞ", "ﾎﾟ", "ﾏ", "ﾐ", "ﾑ", "ﾒ", "ﾓ", "ｬ", "ﾔ", "ｭ", "ﾕ", "ｮ", "ﾖ",
      "ﾗ", "ﾘ", "ﾙ", "ﾚ", "ﾛ", "ﾜ", "ﾜ", "ｲ", "ｴ", "ｦ", "ﾝ", "ｳﾞ"};
  std::string out;
  ok = true;
  for (char32_t cp : cps) {
    if (cp == 0x30FC) out += "ｰ";
    else if (cp >= 0x30A1 && cp <= 0x30F4) out += kHalf[cp - 0x30A1];
    else ok = false;
  }
  return out;
}

struct Sample {
  std::string kind;
  std::string utf8;
};

std::vector<Sample> Samples(const fs::path& helpDir) {
  std::vector<std::string> texts;
  for (const auto& entry : fs::directory_iterator(helpDir)) {
    if (entry.path().extension() != ".html") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    texts.push_back(PlainText(ss.str()));
  }
  std::sort(texts.begin(), texts.end());
  texts.push_back(Cp932ToUtf8(bench::PrintProse(20000)));
  std::vector<Sample> samples;
  std::mt19937 rng(18);
  std::vector<std::string> lines;
  std::vector<std::vector<char32_t>> runs;      // Japanese runs
  std::vector<std::vector<char32_t>> katakana;  // katakana runs
  for (const std::string& text : texts) {
    samples.push_back({"whole files", text});
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const auto cps = CodePoints(line);
      if (std::none_of(cps.begin(), cps.end(), IsJapanese)) continue;
      lines.push_back(line);
      std::vector<char32_t> run;
      std::vector<char32_t> kata;
      for (char32_t cp : cps) {
        if (IsJapanese(cp)) {
          run.push_back(cp);
        } else if (!run.empty()) {
          runs.push_back(run);
          run.clear();
        }
        if ((cp >= 0x30A1 && cp <= 0x30F4) || cp == 0x30FC) {
          kata.push_back(cp);
        } else if (!kata.empty()) {
          if (kata.size() >= 2) katakana.push_back(kata);
          kata.clear();
        }
      }
      if (!run.empty()) runs.push_back(run);
      if (kata.size() >= 2) katakana.push_back(kata);
    }
  }
  std::shuffle(lines.begin(), lines.end(), rng);
  for (std::size_t i = 0; i < lines.size() && i < 400; ++i) samples.push_back({"single lines", lines[i]});
  std::shuffle(runs.begin(), runs.end(), rng);
  int words = 0;
  for (const auto& run : runs) {
    if (run.size() < 2 || words >= 400) continue;
    const std::size_t length = std::min<std::size_t>(run.size(), 2 + rng() % 5);
    const std::size_t at = rng() % (run.size() - length + 1);
    samples.push_back({"words of 2-6", Utf8Of({run.begin() + static_cast<long>(at), run.begin() + static_cast<long>(at + length)})});
    ++words;
  }
  static const char* const kAscii[] = {"int count = 0; // ", "See the file for details: ", "x = 1 ",
                                       "ERROR 42 at line 7: ", "name=", "- item "};
  for (int i = 0; i < 400 && !runs.empty(); ++i) {
    const auto& run = runs[rng() % runs.size()];
    const char32_t cp = run[rng() % run.size()];
    samples.push_back({"ASCII + one character", std::string(kAscii[i % 6]) + Utf8Of({cp}) + " end"});
  }
  std::shuffle(katakana.begin(), katakana.end(), rng);
  int kana = 0;
  for (const auto& run : katakana) {
    bool ok = false;
    const std::string half = HalfWidthKatakana(run, ok);
    if (!ok || kana >= 400) continue;
    samples.push_back({"half-width katakana", half});
    ++kana;
  }
  return samples;
}

FileCharset FromNkf(const std::string& name) {
  if (name.find("UTF-8") != std::string::npos) return FileCharset::Utf8;
  if (name.find("EUC") != std::string::npos || name.find("51932") != std::string::npos) return FileCharset::EucJp;
  if (name.find("Shift_JIS") != std::string::npos || name.find("CP932") != std::string::npos ||
      name.find("Windows-31J") != std::string::npos) {
    return FileCharset::Cp932;
  }
  return FileCharset::Utf16Be;  // ASCII, BINARY and the rest: wrong for every sample here
}

// nkf -g over many files at once: "path: name" per line.
std::vector<FileCharset> Nkf(const std::vector<std::string>& paths) {
  std::vector<FileCharset> out;
  for (std::size_t from = 0; from < paths.size(); from += 200) {
    std::string command = "nkf -g";
    for (std::size_t i = from; i < paths.size() && i < from + 200; ++i) command += " '" + paths[i] + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
      std::string line(buffer);
      const std::size_t colon = line.rfind(": ");
      out.push_back(FromNkf(colon == std::string::npos ? line : line.substr(colon + 2)));
    }
    ::pclose(pipe);
  }
  return out;
}

template <typename F>
double Seconds(F f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: detection_compare HELP_DIR [WORK_DIR]\n";
    return 2;
  }
  const fs::path work = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / ("norra-detect-" + std::to_string(::getpid()));
  fs::create_directories(work);
  const std::vector<Sample> samples = Samples(argv[1]);
  struct Count {
    int total = 0;
    int ours = 0;
    int nkf = 0;
  };
  std::map<std::string, std::map<std::string, Count>> table;  // kind → encoding → counts
  const std::pair<const char*, FileCharset> encodings[] = {
      {"UTF-8", FileCharset::Utf8}, {"CP932", FileCharset::Cp932}, {"EUC-JP", FileCharset::EucJp}};
  for (const auto& [name, charset] : encodings) {
    std::vector<std::string> paths;
    std::vector<const Sample*> used;
    std::vector<FileCharset> ours;
    for (const Sample& sample : samples) {
      const std::string bytes = Iconv(sample.utf8, name);
      if (bytes.empty()) continue;
      const fs::path path = work / (std::string(name) + "-" + std::to_string(paths.size()) + ".txt");
      std::ofstream(path, std::ios::binary) << bytes;
      paths.push_back(path.string());
      used.push_back(&sample);
      ours.push_back(DetectFileEncoding(bytes).charset);
    }
    const std::vector<FileCharset> nkf = Nkf(paths);
    for (std::size_t i = 0; i < used.size(); ++i) {
      Count& c = table[used[i]->kind][name];
      ++c.total;
      c.ours += ours[i] == charset;
      if (ours[i] != charset && std::getenv("NORRA_DETECT_MISSES") != nullptr) {
        std::printf("miss %s %s: %s -> %s\n", used[i]->kind.c_str(), name, used[i]->utf8.substr(0, 60).c_str(),
                    FileCharsetName(ours[i]));
      }
      c.nkf += i < nkf.size() && nkf[i] == charset;
    }
  }
  std::printf("%-24s %-7s %6s %8s %8s\n", "text", "written", "cases", "norra", "nkf -g");
  for (const auto& [kind, byEncoding] : table) {
    for (const auto& [name, c] : byEncoding) {
      std::printf("%-24s %-7s %6d %7.1f%% %7.1f%%\n", kind.c_str(), name.c_str(), c.total, 100.0 * c.ours / c.total,
                  100.0 * c.nkf / c.total);
    }
  }

  if (std::getenv("NORRA_DETECT_SKIP_SPEED") != nullptr) return 0;
  // Detection beside opening: reading the file, decoding it and loading the document model a
  // Page's widget works on (the widget's own loading comes on top, so this is the least cost).
  std::printf("\n%-8s %10s %10s %10s %8s\n", "100 MB", "detect ms", "open ms", "total ms", "share");
  const std::string cp932 = bench::PrintProse(100u << 20, 7);
  for (const auto& [name, charset] : encodings) {
    const std::string bytes = charset == FileCharset::Cp932 ? cp932 : Iconv(Cp932ToUtf8(cp932), name);
    const fs::path path = work / (std::string("big-") + name + ".txt");
    std::ofstream(path, std::ios::binary) << bytes;
    double detect = 1e9;
    double open = 1e9;
    for (int run = 0; run < 3; ++run) {
      std::string read;
      FileCharset found = FileCharset::Cp932;
      const double readTime = Seconds([&] { ReadWholeFile(path.string(), read); });
      detect = std::min(detect, Seconds([&] { found = DetectFileEncoding(read).charset; }));
      double rest = Seconds([&] {
        DecodedFile file = DecodeFile(read, found);
        Cp932Mirror mirror;
        mirror.SetCharset(HeldCharset(found));
        const std::string shown = mirror.Load(file.text);
        if (shown.empty()) std::abort();
      });
      open = std::min(open, readTime + rest);
      if (found != charset) std::printf("  (detected %s!)\n", FileCharsetName(found));
    }
    std::printf("%-8s %10.1f %10.1f %10.1f %7.1f%%\n", name, detect * 1e3, open * 1e3, (detect + open) * 1e3,
                100.0 * detect / (detect + open));
  }
  fs::remove_all(work);
  return 0;
}

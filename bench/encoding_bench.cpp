// Speed of CP932 ↔ UTF-8 conversion and CP932 case mapping on a generated 50 MB Japanese text.
//
//   encoding_bench [benchmark flags]          Google Benchmark run
//   encoding_bench --generate FILE [MB]       write the generated CP932 text (default 50 MB)
//   encoding_bench --to-utf8 IN OUT           convert a file, for timing against iconv(1)
//   encoding_bench --to-cp932 IN OUT
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "Lcg.h"
#include "text/CaseMap.h"
#include "text/CharacterCount.h"
#include "text/Encoding.h"

namespace {

using norra::bench::Lcg;

void AddPair(std::string& s, unsigned lead, unsigned trail) {
  s += static_cast<char>(lead);
  s += static_cast<char>(trail);
}

// Mixed Japanese prose and ASCII with CR LF line breaks: kanji of JIS level 1, hiragana,
// katakana, full-width and half-width forms, punctuation, English words and numbers.
std::string MakeJapaneseText(std::size_t size) {
  static const char* const kWords[] = {"the",  "file", "search", "replace", "Norra",
                                       "text", "2024", "CP932",  "line",    "value"};
  Lcg rng(42);
  std::string s;
  s.reserve(size + 256);
  while (s.size() < size) {
    const unsigned lineLength = 20 + rng.Next(60);
    const std::size_t lineStart = s.size();
    while (s.size() - lineStart < lineLength) {
      const unsigned kind = rng.Next(100);
      if (kind < 30) {  // kanji, lead bytes 0x89-0x97: every trail byte is assigned
        unsigned t = rng.Next(188);
        AddPair(s, 0x89 + rng.Next(15), t < 63 ? 0x40 + t : 0x41 + t);
      } else if (kind < 60) {  // hiragana
        AddPair(s, 0x82, 0x9F + rng.Next(83));
      } else if (kind < 70) {  // katakana
        unsigned t = rng.Next(86);
        AddPair(s, 0x83, t < 63 ? 0x40 + t : 0x41 + t);
      } else if (kind < 75) {  // 、。「」 and the full-width space
        static const unsigned kPunct[] = {0x8141, 0x8142, 0x8175, 0x8176, 0x8140};
        unsigned p = kPunct[rng.Next(5)];
        AddPair(s, p >> 8, p & 0xFF);
      } else if (kind < 78) {  // full-width Latin letters
        AddPair(s, 0x82, 0x60 + rng.Next(26));
      } else if (kind < 80) {  // half-width katakana
        s += static_cast<char>(0xB1 + rng.Next(40));
      } else {  // ASCII words
        s += kWords[rng.Next(10)];
        s += ' ';
      }
    }
    s += "\r\n";
  }
  return s;
}

const std::string& Text50Mb() {
  static const std::string text = MakeJapaneseText(50u << 20);
  return text;
}

const std::string& Text50MbUtf8() {
  static const std::string text = norra::Cp932ToUtf8(Text50Mb());
  return text;
}

void BM_Cp932ToUtf8(benchmark::State& state) {
  const std::string& text = Text50Mb();
  for (auto _ : state) {
    std::string utf8 = norra::Cp932ToUtf8(text);
    benchmark::DoNotOptimize(utf8.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Cp932ToUtf8)->Unit(benchmark::kMillisecond);

void BM_Utf8ToCp932(benchmark::State& state) {
  const std::string& text = Text50MbUtf8();
  for (auto _ : state) {
    std::string cp932 = norra::Utf8ToCp932(text);
    benchmark::DoNotOptimize(cp932.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Utf8ToCp932)->Unit(benchmark::kMillisecond);

void BM_ToUpperCp932(benchmark::State& state) {
  std::string text = Text50Mb();
  for (auto _ : state) {
    norra::ToUpperCp932(text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ToUpperCp932)->Unit(benchmark::kMillisecond);

void BM_ToUpperCp932Ascii(benchmark::State& state) {
  std::string text;
  while (text.size() < (8u << 20)) text += "The quick brown fox jumps over the lazy dog.\r\n";
  for (auto _ : state) {
    norra::ToUpperCp932(text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ToUpperCp932Ascii)->Unit(benchmark::kMillisecond);

// The status bar's character count of a 2 MB Page, made again after each change of its text.
void BM_CountCharacters2Mb(benchmark::State& state) {
  const norra::Charset charset = state.range(0) == 0 ? norra::Charset::Cp932 : norra::Charset::Utf8;
  const std::string& whole = charset == norra::Charset::Cp932 ? Text50Mb() : Text50MbUtf8();
  const std::string_view text = std::string_view(whole).substr(0, 2u << 20);
  for (auto _ : state) benchmark::DoNotOptimize(norra::CountCharacters(charset, text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.SetLabel(charset == norra::Charset::Cp932 ? "CP932" : "UTF-8");
}
BENCHMARK(BM_CountCharacters2Mb)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

bool ReadFile(const char* path, std::string& out) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(f) : -1;
  ok = size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    out.resize(static_cast<std::size_t>(size));
    ok = std::fread(out.data(), 1, out.size(), f) == out.size();
  }
  std::fclose(f);
  return ok;
}

bool WriteFile(const char* path, std::string_view data) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

// The command-line modes; returns -1 when the arguments name none of them.
int RunTool(int argc, char** argv) {
  if (argc < 2) return -1;
  const std::string_view mode = argv[1];
  if (mode == "--generate" && (argc == 3 || argc == 4)) {
    const long mb = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 50;
    if (mb <= 0) return 2;
    return WriteFile(argv[2], MakeJapaneseText(static_cast<std::size_t>(mb) << 20)) ? 0 : 1;
  }
  if ((mode == "--to-utf8" || mode == "--to-cp932") && argc == 4) {
    std::string in;
    if (!ReadFile(argv[2], in)) {
      std::fprintf(stderr, "cannot read %s\n", argv[2]);
      return 1;
    }
    const std::string out = mode == "--to-utf8" ? norra::Cp932ToUtf8(in) : norra::Utf8ToCp932(in);
    if (!WriteFile(argv[3], out)) {
      std::fprintf(stderr, "cannot write %s\n", argv[3]);
      return 1;
    }
    return 0;
  }
  if (mode.substr(0, 2) == "--" && mode.substr(0, 12) != "--benchmark_") {
    std::fprintf(stderr,
                 "usage: %s [--generate FILE [MB] | --to-utf8 IN OUT | --to-cp932 IN OUT]\n",
                 argv[0]);
    return 2;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int toolResult = RunTool(argc, argv);
  if (toolResult >= 0) return toolResult;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The detection rule, case by case: marks, .editorconfig, UTF-8, ASCII, EUC-JP and CP932.
#include "text/EncodingDetection.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/EditorConfigCharset.h"

namespace norra {
namespace {

std::string Iconv(const std::string& utf8, const char* to) {
  iconv_t cd = iconv_open(to, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(to);
  std::string out(utf8.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) throw std::runtime_error(to);
  out.resize(out.size() - outLeft);
  return out;
}

TEST(EncodingDetectionTest, DecidesEachKindOfTextByTheRule) {
  struct Row {
    const char* text;  // UTF-8, converted to `written`
    const char* written;
    DetectionHints hints;
    FileCharset expected;
  };
  const DetectionHints none;
  const DetectionHints utf8Default{std::nullopt, FileCharset::Utf8};
  const DetectionHints configuredEuc{FileEncoding{FileCharset::EucJp, false}, FileCharset::Cp932};
  std::string manyKanaPairs = "日本語の一行目\r\n";
  for (int i = 2; i <= 40; ++i) manyKanaPairs += "line " + std::to_string(i) + " ｶﾅ\r\n";
  const std::vector<Row> rows = {
      {"", "UTF-8", none, FileCharset::Cp932},
      {"ascii", "UTF-8", none, FileCharset::Cp932},
      {"ascii", "UTF-8", utf8Default, FileCharset::Utf8},
      {"日本語の文章です。", "UTF-8", none, FileCharset::Utf8},
      {"日本語の文章です。", "CP932", none, FileCharset::Cp932},
      {"日本語の文章です。", "EUC-JP", none, FileCharset::EucJp},
      {"日本語の文章です。", "UTF-8", configuredEuc, FileCharset::EucJp},
      // Single words and one Japanese character among ASCII.
      {"会社", "EUC-JP", none, FileCharset::EucJp},
      {"です", "EUC-JP", none, FileCharset::EucJp},
      {"東京", "CP932", none, FileCharset::Cp932},
      {"int x = 1; // あ", "EUC-JP", none, FileCharset::EucJp},
      {"int x = 1; // あ", "CP932", none, FileCharset::Cp932},
      {"int x = 1; // 漢", "UTF-8", none, FileCharset::Utf8},
      // Half-width katakana alone, even when the bytes read as UTF-8 or EUC-JP too.
      {"ｶﾀｶﾅ", "CP932", none, FileCharset::Cp932},
      {"ﾃｽ", "CP932", none, FileCharset::Cp932},
      {"ｺﾝﾋﾟｭｰﾀｰ", "CP932", none, FileCharset::Cp932},
      {"ﾃﾞｰﾀﾍﾞｰｽ", "CP932", none, FileCharset::Cp932},
      // Valid CP932 and not EUC-JP: CP932, however many kana pairs read as kanji.
      {manyKanaPairs.c_str(), "CP932", none, FileCharset::Cp932},
      // Latin letters with accents stay UTF-8.
      {"café", "UTF-8", none, FileCharset::Utf8},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " in " + r.written);
    EXPECT_EQ(FileCharsetName(DetectFileEncoding(Iconv(r.text, r.written), r.hints).charset),
              std::string(FileCharsetName(r.expected)));
  }
}

TEST(EncodingDetectionTest, AByteOrderMarkOutranksEverything) {
  const DetectionHints configured{FileEncoding{FileCharset::EucJp, false}, FileCharset::Cp932};
  EXPECT_EQ(DetectFileEncoding("\xEF\xBB\xBF" "abc", configured), (FileEncoding{FileCharset::Utf8, true}));
  EXPECT_EQ(DetectFileEncoding("\xFF\xFE" "a\0", configured), (FileEncoding{FileCharset::Utf16Le, true}));
  EXPECT_EQ(DetectFileEncoding("\xFE\xFF\0a", configured), (FileEncoding{FileCharset::Utf16Be, true}));
}

TEST(EncodingDetectionTest, EditorConfigCharsetOfTheFolderApplies) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                     ("norra-editorconfig-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "sub");
  {
    std::ofstream(root / ".editorconfig") << "root = true\n[*.txt]\ncharset = utf-8\n[*.euc]\ncharset = EUC-JP\n";
    std::ofstream(root / "sub" / ".editorconfig") << "[*.md]\ncharset = latin1\n";
  }
  EXPECT_EQ(EditorConfigEncoding((root / "sub" / "new.txt").string()), (FileEncoding{FileCharset::Utf8, false}));
  EXPECT_EQ(EditorConfigEncoding((root / "a.euc").string()), (FileEncoding{FileCharset::EucJp, false}));
  EXPECT_EQ(EditorConfigEncoding((root / "sub" / "a.md").string()), std::nullopt);
  EXPECT_EQ(EditorConfigEncoding((root / "a.c").string()), std::nullopt);
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace norra

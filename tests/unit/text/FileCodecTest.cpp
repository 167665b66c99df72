// Files in every encoding: detected as expected, and read and written back byte for byte.
#include "text/FileCodec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/Encoding.h"
#include "text/EncodingDetection.h"

namespace norra {
namespace {

// Test inputs are made by iconv itself, not by the code under test.
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
  if (r == static_cast<std::size_t>(-1)) throw std::runtime_error(std::string("iconv to ") + to);
  out.resize(out.size() - outLeft);
  return out;
}

const std::string kProse =
    "吾輩は猫である。名前はまだ無い。\r\nどこで生れたかとんと見当がつかぬ。\r\n"
    "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。";

struct FileCase {
  const char* name;
  std::string bytes;
  FileEncoding detected;
};

std::vector<FileCase> Cases() {
  const FileEncoding sjis{FileCharset::Cp932, false};
  const FileEncoding u8{FileCharset::Utf8, false};
  const FileEncoding u8bom{FileCharset::Utf8, true};
  const FileEncoding euc{FileCharset::EucJp, false};
  const FileEncoding le{FileCharset::Utf16Le, true};
  const FileEncoding be{FileCharset::Utf16Be, true};
  const std::string lf = "一行目\n二行目\n";
  const std::string cr = "一行目\r二行目\r三行目";
  const std::string mixed = "一行目\r\n二行目\n三行目\r四行目";
  const std::string kanaEmoji = "ｶﾀｶﾅと絵文字😀と𠮷野家\r\n";
  return {
      {"empty", "", sjis},
      {"ascii only", "plain ASCII text\r\nsecond line", sjis},
      {"cp932 prose", Iconv(kProse, "CP932"), sjis},
      {"cp932 lf", Iconv(lf, "CP932"), sjis},
      {"cp932 lone cr", Iconv(cr, "CP932"), sjis},
      {"cp932 mixed breaks", Iconv(mixed, "CP932"), sjis},
      {"cp932 invalid bytes", Iconv("前", "CP932") + "\x85\xFD\xFF" + Iconv("後\r\n", "CP932") + "\x81", sjis},
      {"cp932 half-width kana", Iconv("ｺﾝﾋﾟｭｰﾀｰ ﾃﾞｰﾀ", "CP932"), sjis},
      {"utf-8 prose", kProse, u8},
      {"utf-8 with mark", "\xEF\xBB\xBF" + kProse, u8bom},
      {"utf-8 lf", lf, u8},
      {"utf-8 lone cr", cr, u8},
      {"utf-8 mixed breaks", mixed, u8},
      {"utf-8 kana and emoji", kanaEmoji, u8},
      {"utf-8 invalid bytes", "前の文章です。\xE3\x81後の文章です。\xFF\r\n", u8},
      {"utf-8 no last break", "最後の行に改行なし", u8},
      {"euc-jp prose", Iconv(kProse, "EUC-JP"), euc},
      {"euc-jp lf", Iconv(lf, "EUC-JP"), euc},
      {"euc-jp mixed breaks", Iconv(mixed, "EUC-JP"), euc},
      {"euc-jp half-width kana", Iconv("半角ｶﾀｶﾅを含む文です。", "EUC-JP"), euc},
      {"euc-jp invalid bytes", Iconv("前の文です", "EUC-JP") + "\xA4\x8F\xFF" + Iconv("後の文です", "EUC-JP") + "\xB0", euc},
      {"utf-16le with mark", "\xFF\xFE" + Iconv(kanaEmoji + mixed, "UTF-16LE"), le},
      {"utf-16be with mark", "\xFE\xFF" + Iconv(kanaEmoji + lf, "UTF-16BE"), be},
      {"utf-16le lone surrogate, odd end", "\xFF\xFE" + Iconv("あ", "UTF-16LE") + "\x00\xD8" + "A" + Iconv("い", "UTF-16LE") + "\x41", le},
      {"utf-16be plane 15 character", "\xFE\xFF" + Iconv("前\xF3\xB0\x82\x85後", "UTF-16BE"), be},
  };
}

TEST(FileCodecTest, EachFileIsDetectedAsExpectedAndSavedUnchangedByteForByte) {
  for (const FileCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const FileEncoding detected = DetectFileEncoding(c.bytes);
    EXPECT_EQ(FileEncodingName(detected), FileEncodingName(c.detected));
    const DecodedFile file = DecodeFile(c.bytes, detected.charset);
    EXPECT_EQ(file.encoding, c.detected);
    EXPECT_EQ(EncodeFile(file.text, file.encoding), c.bytes);
    // Read in any encoding at all, the bytes still come back.
    for (const FileCharset other : {FileCharset::Cp932, FileCharset::Utf8, FileCharset::EucJp,
                                    FileCharset::Utf16Le, FileCharset::Utf16Be}) {
      const DecodedFile as = DecodeFile(c.bytes, other);
      EXPECT_EQ(EncodeFile(as.text, as.encoding), c.bytes) << FileCharsetName(other);
    }
  }
}

TEST(FileCodecTest, HeldTextIsReadableUtf8WithEscapesForWhatDoesNotComeBack) {
  EXPECT_EQ(DecodeFile(Iconv("猫ｶﾅ\r\n", "EUC-JP"), FileCharset::EucJp).text, "猫ｶﾅ\r\n");
  EXPECT_EQ(DecodeFile("\xFF\xFE" + Iconv("😀a", "UTF-16LE"), FileCharset::Utf16Le).text, "😀a");
  std::string escaped;
  AppendUtf8(kEscapeBase + 0xFF, escaped);
  EXPECT_EQ(DecodeFile("a\xFF", FileCharset::EucJp).text, "a" + escaped);
  // A line break after a stray lead byte stays a line break.
  std::string lead;
  AppendUtf8(kEscapeBase + 0xB0, lead);
  EXPECT_EQ(DecodeFile("\xB0\r\n", FileCharset::EucJp).text, lead + "\r\n");
}

TEST(FileCodecTest, RandomBytesComeBackInEveryEncoding) {
  std::mt19937 random(18);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 40, '\0');
    for (char& b : bytes) b = static_cast<char>(random() % 4 == 0 ? 0xA1 + random() % 20 : random());
    for (const FileCharset charset : {FileCharset::Cp932, FileCharset::Utf8, FileCharset::EucJp,
                                      FileCharset::Utf16Le, FileCharset::Utf16Be}) {
      const DecodedFile file = DecodeFile(bytes, charset);
      ASSERT_EQ(EncodeFile(file.text, file.encoding), bytes) << FileCharsetName(charset) << " round " << round;
      // The held text steps as its charset does: the widget never shows a split character.
      if (charset != FileCharset::Cp932 && charset != FileCharset::Utf8) {
        ASSERT_TRUE(IsValidUtf8(file.text));
      }
    }
  }
}

TEST(FileCodecTest, UnencodableCharactersAreCountedAndTheFirstLocated) {
  struct Row {
    const char* name;
    std::string text;
    FileCharset source;
    FileCharset target;
    std::size_t count;
    std::size_t firstOffset;
    std::string characters;
  };
  std::string escape85;
  AppendUtf8(kEscapeBase + 0x85, escape85);
  const std::vector<Row> rows = {
      {"utf-8 emoji to cp932", "ab😀c😀한", FileCharset::Utf8, FileCharset::Cp932, 3, 2, "😀한"},
      {"utf-8 to utf-16 holds all", "ab😀c", FileCharset::Utf8, FileCharset::Utf16Le, 0, 0, ""},
      {"emoji typed into euc-jp", "猫😀", FileCharset::EucJp, FileCharset::EucJp, 1, 3, "😀"},
      {"cp932 into utf-8 holds all", Iconv("①髙", "CP932"), FileCharset::Cp932, FileCharset::Utf8, 0, 0, ""},
      {"cp932 invalid byte into utf-8", "a\x85", FileCharset::Cp932, FileCharset::Utf8, 1, 1, "\x85"},
      {"utf-8 malformed byte into cp932", "a\xFF", FileCharset::Utf8, FileCharset::Cp932, 1, 1, "\xFF"},
      {"euc-jp escape into utf-16", "a" + escape85, FileCharset::EucJp, FileCharset::Utf16Be, 1, 1, escape85},
      {"euc-jp escape stays in euc-jp", "a" + escape85, FileCharset::EucJp, FileCharset::EucJp, 0, 0, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Unencodable u = FindUnencodable(r.text, r.source, r.target);
    EXPECT_EQ(u.count, r.count);
    if (r.count > 0) {
      EXPECT_EQ(u.firstOffset, r.firstOffset);
    }
    EXPECT_EQ(u.characters, r.characters);
  }
}

TEST(FileCodecTest, ConvertingReplacesOnlyWithTheVisibleSubstitute) {
  EXPECT_EQ(ConvertHeldText("猫😀", FileCharset::Utf8, FileCharset::Cp932), Iconv("猫〓", "CP932"));
  EXPECT_EQ(ConvertHeldText(Iconv("猫①", "CP932"), FileCharset::Cp932, FileCharset::Utf8), "猫①");
  EXPECT_EQ(ConvertHeldText("猫😀", FileCharset::Utf8, FileCharset::EucJp), "猫〓");
  // A plane-15 character stays itself in UTF-16: held as the escapes of its own bytes.
  const std::string held = ConvertHeldText("\xF3\xB0\x82\x85", FileCharset::Utf8, FileCharset::Utf16Be);
  EXPECT_EQ(EncodeFile(held, {FileCharset::Utf16Be, false}), Iconv("\xF3\xB0\x82\x85", "UTF-16BE"));
}

TEST(FileCodecTest, LineBreakKindsAreNamedForTheStatusBar) {
  EXPECT_EQ(LineBreaksOf("a\r\nb\r\n"), LineBreakKind::CrLf);
  EXPECT_EQ(LineBreaksOf("a\nb"), LineBreakKind::Lf);
  EXPECT_EQ(LineBreaksOf("a\rb\r"), LineBreakKind::Cr);
  EXPECT_EQ(LineBreaksOf("a\r\nb\n"), LineBreakKind::Mixed);
  EXPECT_EQ(LineBreaksOf("ab"), LineBreakKind::None);
  EXPECT_EQ(WithLineBreaks("a\r\nb\nc\rd", LineBreakKind::Lf), "a\nb\nc\nd");
  EXPECT_EQ(WithLineBreaks("a\nb\r", LineBreakKind::CrLf), "a\r\nb\r\n");
}

}  // namespace
}  // namespace norra

// Tests of file-name masks, mask lists and their UTF-8 name forms.
#include "text/FileMask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norra {
namespace {

using Masks = std::vector<std::string>;

TEST(FileMaskTest, StarAndQuestionMark) {
  EXPECT_TRUE(MatchesMask("a.txt", "*.txt"));
  EXPECT_TRUE(MatchesMask(".txt", "*.txt"));  // "*" also matches nothing
  EXPECT_FALSE(MatchesMask("a.txt.bak", "*.txt"));  // the whole name must match
  EXPECT_FALSE(MatchesMask("xa.txt", "a.txt"));
  EXPECT_TRUE(MatchesMask("anything", "*"));
  EXPECT_TRUE(MatchesMask("", "*"));
  EXPECT_TRUE(MatchesMask("", ""));
  EXPECT_FALSE(MatchesMask("a", ""));
  EXPECT_TRUE(MatchesMask("ab", "??"));
  EXPECT_FALSE(MatchesMask("a", "??"));
  EXPECT_FALSE(MatchesMask("abc", "??"));
  EXPECT_TRUE(MatchesMask("abcabd", "*ab?"));
  EXPECT_TRUE(MatchesMask("aXbXc", "a*b*c"));
  EXPECT_FALSE(MatchesMask("aXbXd", "a*b*c"));
  EXPECT_TRUE(MatchesMask("mississippi", "m*iss*ppi"));
  EXPECT_TRUE(MatchesMask("C:\\doc\\a.txt", "*.TXT"));
  EXPECT_TRUE(MatchesMask("a**b", "a**b"));
  EXPECT_TRUE(MatchesMask("ab", "a***b"));
}

TEST(FileMaskTest, CaseIsIgnoredOnBothSides) {
  EXPECT_TRUE(MatchesMask("README.TXT", "readme.txt"));
  EXPECT_TRUE(MatchesMask("readme.txt", "README.TXT"));
  EXPECT_TRUE(MatchesMask("Readme.Txt", "*.tXT"));
  // Full-width letters fold too: ａ (0x8281) and Ａ (0x8260).
  EXPECT_TRUE(MatchesMask("\x82\x81.txt", "\x82\x60.TXT"));
  EXPECT_TRUE(MatchesMask("\x82\x81", "[\x82\x60-\x82\x62]"));
  EXPECT_TRUE(MatchesMask("b", "[A-C]"));
  EXPECT_TRUE(MatchesMask("B", "[a-c]"));
}

TEST(FileMaskTest, DoubleByteCharactersAreOneCharacter) {
  const std::string so = "\x83\x5C";  // ソ: its trail byte is "\"
  const std::string ya = "\x83\x84";
  const std::string lowerTrail = "\x83\x61";  // a trail byte that looks like "a"
  EXPECT_TRUE(MatchesMask(so, "?"));
  EXPECT_FALSE(MatchesMask(so, "??"));
  EXPECT_TRUE(MatchesMask(so + ".txt", "?.txt"));
  EXPECT_TRUE(MatchesMask("x" + so + ya + "y", "x??y"));
  EXPECT_TRUE(MatchesMask(so + ya, so + "*"));
  EXPECT_FALSE(MatchesMask(so + ya, "\x83*"));  // half a character is not a prefix
  // Upper-casing never touches a trail byte: "\x83\x61" is not "\x83\x41".
  EXPECT_FALSE(MatchesMask(lowerTrail, "\x83\x41"));
  EXPECT_TRUE(MatchesMask(lowerTrail, lowerTrail));
  // A trail byte that looks like "*", "?" or "[" in a mask is part of its character.
  EXPECT_FALSE(MatchesMask("abc", "\x83\x5B"));    // "[" as a trail byte: no set
  EXPECT_TRUE(MatchesMask("\x83\x5B", "\x83\x5B"));
  EXPECT_TRUE(MatchesMask(so, "[" + so + "]"));
  EXPECT_TRUE(MatchesMask(ya, "[\x83\x40-\x83\x96]"));
  EXPECT_FALSE(MatchesMask("\x83\x97", "[\x83\x40-\x83\x96]"));
  // A lone lead byte at the end of a name is one character.
  EXPECT_TRUE(MatchesMask("a\x83", "a?"));
  // Half-width katakana are single bytes.
  EXPECT_TRUE(MatchesMask("\xB1\xB2", "??"));
}

TEST(FileMaskTest, BracketedSets) {
  EXPECT_TRUE(MatchesMask("b.txt", "[abc].txt"));
  EXPECT_FALSE(MatchesMask("d.txt", "[abc].txt"));
  EXPECT_TRUE(MatchesMask("x5", "x[0-9]"));
  EXPECT_FALSE(MatchesMask("xa", "x[0-9]"));
  EXPECT_TRUE(MatchesMask("xa", "x[!0-9]"));
  EXPECT_FALSE(MatchesMask("x5", "x[!0-9]"));
  EXPECT_FALSE(MatchesMask("x", "x[!0-9]"));  // a set takes one character, never none
  EXPECT_TRUE(MatchesMask("k", "[a-cj-lx]"));
  EXPECT_TRUE(MatchesMask("x", "[a-cj-lx]"));
  EXPECT_FALSE(MatchesMask("d", "[a-cj-lx]"));
  EXPECT_TRUE(MatchesMask("-", "[-a]"));
  EXPECT_TRUE(MatchesMask("-", "[a-]"));
  EXPECT_FALSE(MatchesMask("b", "[a-]"));
  EXPECT_FALSE(MatchesMask("b", "[c-a]"));  // a reversed range holds nothing
  EXPECT_FALSE(MatchesMask("a", "[]"));
  EXPECT_TRUE(MatchesMask("a", "[!]"));
  EXPECT_TRUE(MatchesMask("!", "[a!]"));
  EXPECT_TRUE(MatchesMask("*", "[*]"));
  EXPECT_FALSE(MatchesMask("x", "[*]"));
  EXPECT_TRUE(MatchesMask("a]", "a]"));
  EXPECT_TRUE(MatchesMask("ab.c", "*[!.]?.c"));
}

TEST(FileMaskTest, UnreadableMaskMatchesNothing) {
  const FileMask unclosed("[abc");
  EXPECT_FALSE(unclosed.IsValid());
  EXPECT_FALSE(unclosed.Matches("a"));
  EXPECT_FALSE(unclosed.Matches("[abc"));
  EXPECT_FALSE(unclosed.Matches(""));
  EXPECT_FALSE(MatchesMask("ab", "*[a-"));
  EXPECT_FALSE(MatchesMask("a!", "a[!"));
  EXPECT_TRUE(FileMask("a*").IsValid());
  // One unreadable mask in a list does not stop the others.
  EXPECT_TRUE(MatchesAnyMask("a.txt", Masks{"[", "*.TXT"}));
}

TEST(FileMaskTest, WildcardSyntaxHasNoSets) {
  const FileMask mask("[a].*", FileMask::Syntax::Wildcard);
  EXPECT_TRUE(mask.IsValid());
  EXPECT_TRUE(mask.Matches("[A].txt"));
  EXPECT_FALSE(mask.Matches("a.txt"));
  EXPECT_TRUE(FileMask("[", FileMask::Syntax::Wildcard).Matches("["));
  EXPECT_TRUE(FileMask("*.TXT", FileMask::Syntax::Wildcard).Matches("b.txt"));
}

TEST(FileMaskTest, NoExponentialBlowUp) {
  // A classic backtracking matcher needs ages for this; ours is O(name × mask).
  const std::string name(5000, 'a');
  std::string mask;
  for (int i = 0; i < 30; ++i) mask += "*a";
  EXPECT_FALSE(MatchesMask(name + "b", mask + "*c"));
  EXPECT_TRUE(MatchesMask(name + "b", mask + "*b"));
}

TEST(FileMaskTest, BuildsMaskLists) {
  EXPECT_EQ(BuildFileMaskList("*.txt;*.c"), (Masks{"*.TXT", "*.C"}));
  EXPECT_EQ(BuildFileMaskList("*.txt;;*.c;"), (Masks{"*.TXT", "*.C"}));
  EXPECT_EQ(BuildFileMaskList(";b;a"), (Masks{"B", "A"}));
  EXPECT_EQ(BuildFileMaskList("a.txt"), (Masks{"A.TXT"}));
  EXPECT_EQ(BuildFileMaskList(""), (Masks{"*"}));
  EXPECT_EQ(BuildFileMaskList(";;;"), (Masks{"*"}));
  // Spaces are part of a mask; only ";" separates.
  EXPECT_EQ(BuildFileMaskList(" a ; b"), (Masks{" A ", " B"}));
  // Upper-casing respects double-byte characters: ｱ stays, ａ becomes Ａ, trail "a" stays.
  EXPECT_EQ(BuildFileMaskList("\x82\x81;\x83\x61x"), (Masks{"\x82\x60", "\x83\x61X"}));
}

TEST(FileMaskTest, MatchesAnyMaskOfAList) {
  const Masks masks = BuildFileMaskList("*.txt;readme");
  EXPECT_TRUE(MatchesAnyMask("a.TXT", masks));
  EXPECT_TRUE(MatchesAnyMask("ReadMe", masks));
  EXPECT_FALSE(MatchesAnyMask("readme.md", masks));
  EXPECT_FALSE(MatchesAnyMask("", masks));
  EXPECT_FALSE(MatchesAnyMask("", Masks{"*"}));
  EXPECT_TRUE(MatchesAnyMask("anything", Masks{}));
  EXPECT_FALSE(MatchesAnyMask("", Masks{}));
  // A mask without "*" must equal the whole path, folder included.
  EXPECT_FALSE(MatchesAnyMask("C:\\doc\\readme", masks));
  EXPECT_TRUE(MatchesAnyMask("c:\\doc\\a.txt", masks));
}

TEST(FileMaskTest, Utf8FileSystemNames) {
  const Masks masks = BuildFileMaskList("*.txt");
  // メモ.txt in UTF-8; the mask "??.TXT" counts characters, not bytes.
  const std::string memo = "\xE3\x83\xA1\xE3\x83\xA2.txt";
  EXPECT_TRUE(MatchesAnyMaskUtf8Name(memo, masks));
  EXPECT_TRUE(FileMask("??.TXT").MatchesUtf8Name(memo));
  EXPECT_FALSE(FileMask("?.TXT").MatchesUtf8Name(memo));
  // The CP932 mask メ* matches the UTF-8 name.
  EXPECT_TRUE(FileMask("\x83\x81*").MatchesUtf8Name(memo));
  // Full-width ａ in the name folds to Ａ like in CP932 text.
  EXPECT_TRUE(FileMask("\x82\x60").MatchesUtf8Name("\xEF\xBD\x81"));
  // A character CP932 cannot hold (é) is one character, matched only by wildcards and negation;
  // it is not confused with "?" or any other byte.
  const std::string cafe = "caf\xC3\xA9.txt";
  EXPECT_TRUE(MatchesAnyMaskUtf8Name(cafe, masks));
  EXPECT_TRUE(FileMask("CAF?.TXT").MatchesUtf8Name(cafe));
  EXPECT_TRUE(FileMask("CAF[!E].TXT").MatchesUtf8Name(cafe));
  EXPECT_FALSE(FileMask("CAF[?].TXT").MatchesUtf8Name(cafe));
  EXPECT_FALSE(FileMask("CAFE.TXT").MatchesUtf8Name(cafe));
  // A byte that is not UTF-8 (Linux names are bytes) is one character as well.
  EXPECT_TRUE(FileMask("A?B").MatchesUtf8Name("a\xFF" "b"));
  EXPECT_TRUE(FileMask("A??B").MatchesUtf8Name("a\xE3\x83" "b"));  // truncated sequence
  EXPECT_FALSE(MatchesAnyMaskUtf8Name("", Masks{}));
  EXPECT_TRUE(MatchesAnyMaskUtf8Name("x", Masks{}));
}

}  // namespace
}  // namespace norra

// Tests of the CP932 mirror: bytes kept through widget and program edits, lines, mapping.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/CaseMap.h"
#include "text/Cp932Mirror.h"
#include "text/Encoding.h"

namespace norra {
namespace {

std::string U8(char32_t cp) {
  std::string s;
  AppendUtf8(cp, s);
  return s;
}

std::string Esc(unsigned byte) {
  return U8(kEscapeBase + byte);
}

// The widget side: a UTF-8 string that reports its edits to the mirror as a widget would.
struct Widget {
  explicit Widget(Cp932Mirror& mirror) : m(mirror) {}

  void Load(const std::string& cp932) { text = m.Load(cp932); }
  void Insert(std::size_t pos, const std::string& s) {
    text.insert(pos, s);
    m.OnWidgetInsert(pos, s);
  }
  void Delete(std::size_t pos, std::size_t length) {
    text.erase(pos, length);
    m.OnWidgetDelete(pos, length);
  }
  void Apply(const WidgetEdit& e) {
    if (e.utf8Length > 0) Delete(e.utf8Start, e.utf8Length);
    if (!e.utf8Text.empty()) Insert(e.utf8Start, e.utf8Text);
  }
  void RepairAll() {
    for (int guard = 0; m.NeedsDisplayRepair() && guard < 10000; ++guard) {
      auto edit = m.RepairDisplay();
      Apply(edit.Widget());
      ASSERT_TRUE(edit.Applied());
    }
    ASSERT_FALSE(m.NeedsDisplayRepair());
  }

  Cp932Mirror& m;
  std::string text;
};

// Line starts by the rule the text control follows: after LF, after a CR not followed by LF.
std::vector<std::size_t> ReferenceLineStarts(const std::string& b) {
  std::vector<std::size_t> starts{0};
  for (std::size_t x = 1; x <= b.size(); ++x) {
    const char before = b[x - 1];
    if (before == '\n' || (before == '\r' && (x == b.size() || b[x] != '\n'))) starts.push_back(x);
  }
  return starts;
}

void ExpectLines(const Cp932Mirror& m, const std::string& bytes) {
  const std::vector<std::size_t> starts = ReferenceLineStarts(bytes);
  ASSERT_EQ(m.LineCount(), starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) ASSERT_EQ(m.LineStart(i), starts[i]) << i;
  EXPECT_EQ(m.LineStart(starts.size()), bytes.size());
  std::size_t line = 0;
  for (std::size_t x = 0; x <= bytes.size(); ++x) {
    while (line + 1 < starts.size() && starts[line + 1] <= x) ++line;
    ASSERT_EQ(m.LineOfOffset(x), line) << "offset " << x;
  }
  EXPECT_EQ(m.LineOfOffset(bytes.size() + 10), starts.size() - 1);
}

// One widget character and its bytes.
struct Unit {
  std::string bytes;
  std::string text;
};

std::vector<Unit> NaturalUnits(const std::string& bytes) {
  std::vector<Unit> units;
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp;
    const int n = DecodeCp932Char(bytes, i, cp);
    const std::string b = bytes.substr(i, static_cast<std::size_t>(n));
    units.push_back({b, Cp932ToUtf8(b)});
    i += static_cast<std::size_t>(n);
  }
  return units;
}

// Every boundary (every stride-th) maps both ways, asked in increasing and then in decreasing
// order; positions inside a character map to its start.
void ExpectMapping(const Cp932Mirror& m, const std::vector<Unit>& units, std::size_t stride = 1) {
  struct Place {
    std::size_t c, u, bytes, utf8;
  };
  std::vector<Place> places;
  std::size_t c = 0;
  std::size_t u = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (i % stride == 0) places.push_back({c, u, units[i].bytes.size(), units[i].text.size()});
    c += units[i].bytes.size();
    u += units[i].text.size();
  }
  places.push_back({c, u, 0, 0});
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t k = 0; k < places.size(); ++k) {
      const Place& p = places[pass == 0 ? k : places.size() - 1 - k];
      ASSERT_EQ(m.ToCp932(p.u), p.c) << "utf8 " << p.u;
      ASSERT_EQ(m.ToUtf8(p.c), p.u) << "cp932 " << p.c;
      for (std::size_t i = 1; i < p.bytes; ++i) ASSERT_EQ(m.ToUtf8(p.c + i), p.u);
      for (std::size_t i = 1; i < p.utf8; ++i) ASSERT_EQ(m.ToCp932(p.u + i), p.c);
    }
  }
  EXPECT_EQ(m.ToCp932(u + 7), c);
  EXPECT_EQ(m.ToUtf8(c + 7), u);
}

// The mirror agrees with an untouched widget showing `bytes`.
void ExpectSettled(const Cp932Mirror& m, const Widget& w, const std::string& bytes,
                   std::size_t stride = 1) {
  EXPECT_EQ(m.Bytes(), bytes);
  EXPECT_EQ(w.text, Cp932ToUtf8(bytes));
  EXPECT_TRUE(m.MatchesWidget(w.text));
  EXPECT_FALSE(m.NeedsDisplayRepair());
  EXPECT_EQ(m.WidgetText(), w.text);
  EXPECT_EQ(m.Size(), bytes.size());
  EXPECT_EQ(m.Utf8Size(), w.text.size());
  ExpectLines(m, bytes);
  ExpectMapping(m, NaturalUnits(bytes), stride);
}

TEST(Cp932MirrorTest, LoadKeepsBytesAndIndexesLines) {
  Cp932Mirror m;
  Widget w(m);
  const std::string doc = "ab\r\n\x82\xA0\ncd\rX\r";
  w.Load(doc);
  ExpectSettled(m, w, doc);
  EXPECT_EQ(m.LineCount(), 5u);
  EXPECT_EQ(m.LineOfOffset(3), 0u);  // between CR and LF
  EXPECT_EQ(m.TextRange(4, 2), "\x82\xA0");
  EXPECT_EQ(m.TextRange(11, 99), "\r");

  w.Load("");
  ExpectSettled(m, w, "");
  EXPECT_EQ(m.LineCount(), 1u);
  EXPECT_EQ(m.ToCp932(5), 0u);
}

TEST(Cp932MirrorTest, DuplicateEncodingsAndEscapesSurviveEditsOnTheSameLine) {
  Cp932Mirror m;
  Widget w(m);
  // ≒ from NEC row 13, 纊 from the NEC-selected IBM rows, an undecodable byte, a lead byte
  // with an unassigned trail byte, then the next line.
  std::string doc =
      "A\x87\x90"
      "B\xED\x40\xFF\x85\x40"
      "C\r\nnext";
  w.Load(doc);
  ASSERT_EQ(w.text,
            "A" + U8(0x2252) + "B" + U8(0x7E8A) + Cp932ToUtf8("\xFF") + Esc(0x85) + "@C\r\nnext");

  w.Insert(1, "x");
  doc.insert(1, "x");
  ExpectSettled(m, w, doc);

  const std::size_t b = w.text.find('B');
  w.Delete(b, 1);
  doc.erase(doc.find('B'), 1);
  ExpectSettled(m, w, doc);

  // A freshly typed ≒ takes the preferred pair; the old one keeps its bytes.
  const std::size_t c = w.text.find('C');
  w.Insert(c + 1, U8(0x2252));
  doc.insert(doc.find('C') + 1, "\x81\xE0");
  ExpectSettled(m, w, doc);
  EXPECT_EQ(m.Bytes().substr(0, 4), "Ax\x87\x90");

  // Deleting the line break in front of the next line keeps everything before it.
  w.Delete(w.text.find('\r'), 2);
  doc.erase(doc.find('\r'), 2);
  ExpectSettled(m, w, doc);
}

TEST(Cp932MirrorTest, TypedCharactersAreEncodedOneByOne) {
  Cp932Mirror m;
  Widget w(m);
  w.Load("[]");
  w.Insert(1, "ｱ" + U8(0x2252) + "z");
  ExpectSettled(m, w, "[\xB1\x81\xE0z]");
  EXPECT_EQ(m.ToUtf8(2), 4u);
  EXPECT_EQ(m.ToCp932(4), 2u);

  // A character CP932 lacks is stored as "?"; the widget still shows it until repaired.
  w.Insert(1, "😀");
  EXPECT_EQ(m.Bytes(), "[?\xB1\x81\xE0z]");
  EXPECT_EQ(m.WidgetText(), w.text);
  EXPECT_TRUE(m.NeedsDisplayRepair());
  EXPECT_EQ(m.ToCp932(5), 2u);  // after the 4-byte emoji
  EXPECT_EQ(m.ToUtf8(2), 5u);
  {
    auto edit = m.RepairDisplay();
    EXPECT_EQ(edit.Widget().utf8Start, 1u);
    EXPECT_EQ(edit.Widget().utf8Length, 4u);
    EXPECT_EQ(edit.Widget().utf8Text, "?");
    EXPECT_FALSE(edit.Changed());
    w.Apply(edit.Widget());
    EXPECT_TRUE(edit.Applied());
  }
  ExpectSettled(m, w, "[?\xB1\x81\xE0z]");

  // A wave dash from another mapping becomes CP932's own, and the screen follows.
  w.Insert(0, U8(0x301C));
  EXPECT_EQ(m.Bytes().substr(0, 2), "\x81\x60");
  w.RepairAll();
  EXPECT_EQ(w.text.substr(0, 3), U8(0xFF5E));
  ExpectSettled(m, w, "\x81\x60[?\xB1\x81\xE0z]");

  // Malformed UTF-8: one "?" per byte.
  w.Insert(0, "\xC3");
  EXPECT_EQ(m.Bytes().substr(0, 1), "?");
  w.RepairAll();
  ExpectSettled(m, w, "?\x81\x60[?\xB1\x81\xE0z]");
}

TEST(Cp932MirrorTest, LoneLeadByteMeetingASecondByteIsShownAsTheCharacterSaved) {
  Cp932Mirror m;
  Widget w(m);
  // Joining the lines puts P (0x50) after the lone 0x82: the file now holds "１" there.
  w.Load("\x82\r\nP");
  ASSERT_EQ(w.text, Esc(0x82) + "\r\nP");
  w.Delete(4, 2);
  EXPECT_EQ(m.Bytes(), "\x82P");
  EXPECT_EQ(m.WidgetText(), w.text);
  EXPECT_TRUE(m.NeedsDisplayRepair());
  EXPECT_FALSE(m.MatchesWidget(w.text));
  EXPECT_EQ(m.ToCp932(4), 1u);  // the widget still shows two characters
  EXPECT_EQ(m.ToUtf8(1), 4u);
  {
    auto edit = m.RepairDisplay();
    EXPECT_EQ(edit.Widget().utf8Start, 0u);
    EXPECT_EQ(edit.Widget().utf8Length, 5u);
    EXPECT_EQ(edit.Widget().utf8Text, U8(0xFF11));
    w.Apply(edit.Widget());
  }
  ExpectSettled(m, w, "\x82P");

  // Typing after a lone lead byte at the end of the text.
  w.Load("x\x82");
  w.Insert(w.text.size(), "P");
  EXPECT_EQ(m.Bytes(), "x\x82P");
  w.RepairAll();
  ExpectSettled(m, w, "x\x82P");

  // Pasting an escape of a lead byte in front of a byte it pairs with.
  w.Load("Pq");
  w.Insert(0, Esc(0x82));
  EXPECT_EQ(m.Bytes(), "\x82Pq");
  EXPECT_EQ(m.WidgetText(), w.text);
  w.RepairAll();
  ExpectSettled(m, w, "\x82Pq");

  // Two lone lead bytes in a row and a trail byte: the pairing runs on through the chain.
  w.Load("\x82\r\x82\r\nP");
  w.Delete(w.text.find('\r'), 1);
  w.Delete(w.text.find('\r'), 2);
  EXPECT_EQ(m.Bytes(), "\x82\x82P");
  EXPECT_EQ(m.WidgetText(), w.text);
  w.RepairAll();
  ExpectSettled(m, w, "\x82\x82P");
}

TEST(Cp932MirrorTest, InvalidByteNextToALeadByte) {
  Cp932Mirror m;
  Widget w(m);
  const std::string doc = "\x82\xFF\x82\xA0";
  w.Load(doc);
  ExpectSettled(m, w, doc);
  const std::string ff = Cp932ToUtf8("\xFF");
  ASSERT_EQ(w.text, Esc(0x82) + ff + U8(0x3042));

  // Typing between the lead byte and 0xFF, then removing what was typed and 0xFF.
  w.Insert(4, "=");  // below 0x40: never a second byte
  ExpectSettled(m, w, "\x82=\xFF\x82\xA0");
  w.Delete(4, 1 + ff.size());
  EXPECT_EQ(m.Bytes(), "\x82\x82\xA0");
  EXPECT_EQ(m.WidgetText(), w.text);
  w.RepairAll();
  ExpectSettled(m, w, "\x82\x82\xA0");
}

TEST(Cp932MirrorTest, LinesFollowEditsAtLineEdgesAndAcrossLines) {
  Cp932Mirror m;
  Widget w(m);
  std::string doc = "ab\r\ncd\r\n";
  w.Load(doc);

  w.Insert(3, "X");  // between CR and LF: two line breaks now
  doc.insert(3, "X");
  ExpectSettled(m, w, doc);
  EXPECT_EQ(m.LineCount(), 4u);
  w.Delete(3, 1);
  doc.erase(3, 1);
  ExpectSettled(m, w, doc);
  EXPECT_EQ(m.LineCount(), 3u);

  w.Insert(0, "S");  // start of the text
  doc.insert(0, "S");
  ExpectSettled(m, w, doc);
  w.Insert(w.text.size(), "E");  // end of the text, after the last line break
  doc += "E";
  ExpectSettled(m, w, doc);
  w.Insert(5, "L");  // start of the second line
  doc.insert(5, "L");
  ExpectSettled(m, w, doc);
  w.Insert(8, "R");  // end of the second line
  doc.insert(8, "R");
  ExpectSettled(m, w, doc);

  w.Insert(2, "1\r\n" + U8(0x3042) + "\n2\r3");  // several lines, every kind of break
  doc.insert(2, "1\r\n\x82\xA0\n2\r3");
  ExpectSettled(m, w, doc);

  w.Delete(1, 12);  // across several lines
  doc = Cp932ToUtf8(doc).erase(1, 12);
  doc = Utf8ToCp932(doc);
  ExpectSettled(m, w, doc);

  w.Delete(0, w.text.size());
  ExpectSettled(m, w, "");
  w.Insert(0, "\r");
  ExpectSettled(m, w, "\r");
  w.Insert(1, "\n");  // completes the CR LF
  ExpectSettled(m, w, "\r\n");
  EXPECT_EQ(m.LineCount(), 2u);
  w.Delete(0, 1);
  ExpectSettled(m, w, "\n");
}

TEST(Cp932MirrorTest, LogicEditsEnterAsBytes) {
  Cp932Mirror m;
  Widget w(m);
  w.Load(
      "a\x81\xE0"
      "b");

  // Same character, other pair: nothing for the widget to do, the bytes change at once.
  {
    auto edit = m.ReplaceBytes(1, 2, "\x87\x90");
    EXPECT_TRUE(edit.Empty());
    EXPECT_TRUE(edit.Changed());
    EXPECT_TRUE(edit.Applied());
  }
  {
    auto edit = m.ReplaceBytes(0, 1, "a");  // the same bytes again
    EXPECT_TRUE(edit.Empty());
    EXPECT_FALSE(edit.Changed());
  }
  ExpectSettled(m, w,
                "a\x87\x90"
                "b");

  // 纊 by its NEC-selected pair: the widget shows it, the mirror keeps that pair.
  {
    auto edit = m.ReplaceBytes(3, 1, "\xED\x40\r\n");
    EXPECT_FALSE(edit.Empty());
    EXPECT_TRUE(edit.Changed());
    EXPECT_EQ(edit.Widget().utf8Start, 4u);
    EXPECT_EQ(edit.Widget().utf8Length, 1u);
    EXPECT_EQ(edit.Widget().utf8Text, U8(0x7E8A) + "\r\n");
    EXPECT_FALSE(edit.Applied());
    EXPECT_EQ(m.Bytes(),
              "a\x87\x90"
              "b");  // the bytes move with the widget's notifications
    w.Apply(edit.Widget());
    EXPECT_TRUE(edit.Applied());
  }
  ExpectSettled(m, w, "a\x87\x90\xED\x40\r\n");

  // Pure insertion at the end and pure deletion.
  {
    auto edit = m.ReplaceBytes(m.Size(), 0, "\xFF\x87\x90");
    EXPECT_EQ(edit.Widget().utf8Length, 0u);
    w.Apply(edit.Widget());
    EXPECT_TRUE(edit.Applied());
  }
  ExpectSettled(m, w, "a\x87\x90\xED\x40\r\n\xFF\x87\x90");
  {
    auto edit = m.ReplaceBytes(0, 3, "");
    EXPECT_EQ(edit.Widget().utf8Text, "");
    w.Apply(edit.Widget());
    EXPECT_TRUE(edit.Applied());
  }
  ExpectSettled(m, w, "\xED\x40\r\n\xFF\x87\x90");
}

TEST(Cp932MirrorTest, LogicEditCoversNeighboursWhoseDisplayChanges) {
  Cp932Mirror m;
  Widget w(m);

  // New bytes after a lone lead byte: the escape turns into the pair's character.
  w.Load("\x82\r\n");
  {
    auto edit = m.ReplaceBytes(1, 2, "P");
    EXPECT_EQ(edit.Widget().utf8Start, 0u);
    EXPECT_EQ(edit.Widget().utf8Length, 6u);
    EXPECT_EQ(edit.Widget().utf8Text, U8(0xFF11));
    w.Apply(edit.Widget());
  }
  ExpectSettled(m, w, "\x82P");

  // New bytes ending in a lone lead byte take the next character's byte.
  w.Load("Pq");
  {
    auto edit = m.ReplaceBytes(0, 0, "\x82");
    EXPECT_EQ(edit.Widget().utf8Length, 1u);
    EXPECT_EQ(edit.Widget().utf8Text, U8(0xFF11));
    w.Apply(edit.Widget());
  }
  ExpectSettled(m, w, "\x82Pq");

  // A range cutting into two-byte characters keeps the bytes outside it.
  w.Load("\x82\xA0\x82\xA2\x82\xA4");
  {
    auto edit = m.ReplaceBytes(1, 2, "");
    w.Apply(edit.Widget());
    EXPECT_TRUE(edit.Applied());
  }
  ExpectSettled(m, w, "\x82\xA2\x82\xA4");

  // A pending repair elsewhere stays pending and is not disturbed.
  w.Load("\x82\r\nP--");
  w.Delete(4, 2);
  ASSERT_TRUE(m.NeedsDisplayRepair());
  {
    auto edit = m.ReplaceBytes(3, 1, "\x87\x90");
    w.Apply(edit.Widget());
    EXPECT_TRUE(edit.Applied());
  }
  EXPECT_EQ(m.Bytes(), "\x82P-\x87\x90");
  EXPECT_EQ(m.WidgetText(), w.text);
  w.RepairAll();
  ExpectSettled(m, w, "\x82P-\x87\x90");
}

TEST(Cp932MirrorTest, LogicEditOnlyTakesItsOwnNotifications) {
  Cp932Mirror m;
  Widget w(m);
  w.Load("abc");

  // The widget does something else first: that is an ordinary widget edit.
  {
    auto edit = m.ReplaceBytes(1, 1, "\xED\x40");
    EXPECT_THROW((void)m.ReplaceBytes(0, 0, "x"), std::logic_error);
    w.Insert(0, U8(0x7E8A));
    EXPECT_FALSE(edit.Applied());
    EXPECT_EQ(m.WidgetText(), w.text);
    EXPECT_EQ(m.Bytes(),
              "\xFA\x5C"
              "abc");                       // a fresh encoding of what was typed
    auto next = m.ReplaceBytes(0, 0, "x");  // the abandoned edit no longer blocks
    w.Apply(next.Widget());
    EXPECT_TRUE(next.Applied());
  }
  ExpectSettled(m, w,
                "x\xFA\x5C"
                "abc");

  // After the edit object is gone the same insertion is the widget's own text.
  w.Load("abc");
  WidgetEdit stale;
  {
    auto edit = m.ReplaceBytes(1, 1, "\xED\x40");
    stale = edit.Widget();
  }
  w.Apply(stale);
  ExpectSettled(m, w,
                "a\xFA\x5C"
                "c");

  // A moved edit object still matches.
  w.Load("abc");
  {
    auto first = m.ReplaceBytes(1, 1, "\xED\x40");
    Cp932Mirror::LogicEdit moved(std::move(first));
    w.Apply(moved.Widget());
    EXPECT_TRUE(moved.Applied());
  }
  ExpectSettled(m, w,
                "a\xED\x40"
                "c");

  // Loading drops a waiting edit.
  {
    auto edit = m.ReplaceBytes(0, 1, "\xED\x40");
    w.Load("xyz");
    EXPECT_FALSE(edit.Applied());
    auto next = m.ReplaceBytes(0, 1, "q");
    w.Apply(next.Widget());
    EXPECT_TRUE(next.Applied());
  }
  ExpectSettled(m, w, "qyz");
}

TEST(Cp932MirrorTest, InsertionNormalisedAndCutToLength) {
  EXPECT_EQ(Cp932Mirror::NormalizeInsertion("a😀" + U8(0x301C) + Esc(0x82) + "\xC3" + "ｱ\r\n"),
            "a?" + U8(0xFF5E) + Esc(0x82) + "?ｱ\r\n");
  EXPECT_EQ(Cp932Mirror::NormalizeInsertion(""), "");

  const std::string samples[] = {"a" + U8(0x3042) + "😀", "\xC3\xE3\x81", "ｱ" + Esc(0xFF),
                                 U8(0x2252) + "\r\n"};
  for (const std::string& s : samples) {
    EXPECT_EQ(Cp932Mirror::Cp932Length(s), Utf8ToCp932(s).size()) << s;
    EXPECT_TRUE(CanEncodeCp932(Cp932Mirror::NormalizeInsertion(s))) << s;
  }

  const std::string aai = "a" + U8(0x3042) + U8(0x3044);
  EXPECT_EQ(Cp932Mirror::CutToCp932Length(aai, 100), aai);
  EXPECT_EQ(Cp932Mirror::CutToCp932Length(aai, 5), aai);
  EXPECT_EQ(Cp932Mirror::CutToCp932Length(aai, 4), "a" + U8(0x3042));
  EXPECT_EQ(Cp932Mirror::CutToCp932Length(aai, 3), "a" + U8(0x3042));
  EXPECT_EQ(Cp932Mirror::CutToCp932Length(aai, 2), "a");
  EXPECT_EQ(Cp932Mirror::CutToCp932Length(aai, 0), "");
  EXPECT_EQ(Cp932Mirror::CutToCp932Length("ab\r\ncd", 3), "ab");
  EXPECT_EQ(Cp932Mirror::CutToCp932Length("ab\r\ncd", 4), "ab\r\n");
  EXPECT_EQ(Cp932Mirror::CutToCp932Length("ab\rcd", 3), "ab\r");
}

TEST(Cp932MirrorTest, VeryLongLine) {
  std::mt19937 rng(7);
  std::string doc;
  while (doc.size() < 100000) {
    switch (rng() % 4) {
      case 0:
        doc += "x";
        break;
      case 1:
        doc += "\x82\xA0";
        break;
      case 2:
        doc += "\xB1";
        break;
      default:
        doc += "\x87\x90";
        break;
    }
  }
  Cp932Mirror m;
  Widget w(m);
  w.Load(doc);
  ExpectSettled(m, w, doc, 97);

  const std::size_t mid = m.ToUtf8(50000);
  const std::size_t midC = m.ToCp932(mid);
  w.Insert(mid, "Z" + U8(0x3042));
  doc.insert(midC, "Z\x82\xA0");
  ExpectSettled(m, w, doc, 89);

  const std::size_t from = m.ToUtf8(m.ToCp932(10));
  const std::size_t fromC = m.ToCp932(from);
  w.Delete(from, mid - from);
  doc.erase(fromC, midC - fromC);
  ExpectSettled(m, w, doc, 13);
  EXPECT_EQ(m.TextRange(fromC, 3), "Z\x82\xA0");
}

// Random widget and program edits checked against a model of the widget's characters.
class RandomEdits : public ::testing::TestWithParam<unsigned> {
 protected:
  std::mt19937 rng{GetParam()};

  std::size_t Pick(std::size_t n) { return n == 0 ? 0 : rng() % n; }

  std::string RandomDocument() {
    static const char* const kPieces[] = {
        "A",        "z",        " ",        "\r\n",     "\n",       "\r",   "\x82\xA0",
        "\x88\x9F", "\x87\x90", "\x81\xE0", "\xED\x40", "\xFA\x5C", "\xB1", "\xFF",
        "\x80",     "\xA0",     "\x82",     "\x85\x40", "P",        "\\"};
    std::string doc;
    const std::size_t n = Pick(4) == 0 ? Pick(20) : Pick(700);
    for (std::size_t i = 0; i < n; ++i) doc += kPieces[Pick(std::size(kPieces))];
    return doc;
  }

  std::string RandomWidgetText() {
    static const std::string kChars[] = {"a",
                                         "P",
                                         "\r\n",
                                         "\n",
                                         "\r",
                                         U8(0x3042),
                                         U8(0x2252),
                                         U8(0x301C),
                                         "😀",
                                         Esc(0x82),
                                         Esc(0xFF),
                                         "ｱ",
                                         U8(0x6F22) + U8(0x5B57),
                                         "x\r\ny",
                                         U8(0x7E8A)};
    std::string s;
    const std::size_t n = Pick(12) == 0 ? 50 + Pick(250) : 1 + Pick(4);
    for (std::size_t i = 0; i < n; ++i) s += kChars[Pick(std::size(kChars))];
    return s;
  }

  std::string RandomBytes() {
    static const char* const kBytes[] = {"\x87\x90", "\xED\x40", "\x82", "P",   "\r\n", "\xFF",
                                         "\xB1",     "\x82\xA0", "",     "abc", "\r",   "\n"};
    std::string s;
    const std::size_t n = Pick(3);
    for (std::size_t i = 0; i <= n; ++i) s += kBytes[Pick(std::size(kBytes))];
    return s;
  }

  // Splits widget text into characters (the test texts are well-formed UTF-8).
  static std::vector<Unit> WidgetUnits(const std::string& s) {
    std::vector<Unit> units;
    for (std::size_t i = 0; i < s.size();) {
      const unsigned char c = static_cast<unsigned char>(s[i]);
      const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      const std::string ch = s.substr(i, n);
      units.push_back({Utf8ToCp932(ch), ch});
      i += n;
    }
    return units;
  }

  static std::string Join(const std::vector<Unit>& units, bool text) {
    std::string s;
    for (const Unit& u : units) s += text ? u.text : u.bytes;
    return s;
  }

  static std::size_t Utf8Offset(const std::vector<Unit>& units, std::size_t index) {
    std::size_t u = 0;
    for (std::size_t i = 0; i < index; ++i) u += units[i].text.size();
    return u;
  }

  void Check(const Cp932Mirror& m, const Widget& w, const std::vector<Unit>& model, bool full) {
    const std::string bytes = Join(model, false);
    ASSERT_EQ(Join(model, true), w.text);
    ASSERT_EQ(m.Bytes(), bytes);
    ASSERT_EQ(m.WidgetText(), w.text);
    ASSERT_EQ(m.Utf8Size(), w.text.size());
    ASSERT_EQ(m.NeedsDisplayRepair(), Cp932ToUtf8(bytes) != w.text);
    if (full) {
      ExpectLines(m, bytes);
      ExpectMapping(m, model, model.size() / 400 + 1);
      return;
    }
    // A few boundaries in random order, so that lookups start before and after the last one.
    std::vector<std::size_t> cs{0};
    std::vector<std::size_t> us{0};
    for (const Unit& unit : model) {
      cs.push_back(cs.back() + unit.bytes.size());
      us.push_back(us.back() + unit.text.size());
    }
    for (int k = 0; k < 30; ++k) {
      const std::size_t i = Pick(cs.size());
      ASSERT_EQ(m.ToCp932(us[i]), cs[i]);
      ASSERT_EQ(m.ToUtf8(cs[i]), us[i]);
      if (i + 1 < cs.size() && cs[i + 1] - cs[i] == 2) {
        ASSERT_EQ(m.ToUtf8(cs[i] + 1), us[i]);
      }
    }
    const std::vector<std::size_t> starts = ReferenceLineStarts(bytes);
    ASSERT_EQ(m.LineCount(), starts.size());
    const std::size_t line = Pick(starts.size());
    ASSERT_EQ(m.LineStart(line), starts[line]);
    ASSERT_EQ(m.LineOfOffset(starts[line]), line);
  }
};

TEST_P(RandomEdits, MirrorFollowsTheWidget) {
  Cp932Mirror m;
  Widget w(m);
  w.Load(RandomDocument());
  std::vector<Unit> model = NaturalUnits(m.Bytes());
  Check(m, w, model, true);

  for (int step = 0; step < 500; ++step) {
    const std::size_t op = Pick(100);
    if (op < 40) {
      const std::size_t at = Pick(model.size() + 1);
      const std::string text = RandomWidgetText();
      w.Insert(Utf8Offset(model, at), text);
      const std::vector<Unit> added = WidgetUnits(text);
      model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    } else if (op < 70) {
      const std::size_t at = Pick(model.size());
      const std::size_t n = std::min(model.size() - at, Pick(10) == 0 ? Pick(300) : 1 + Pick(5));
      const std::size_t u0 = Utf8Offset(model, at);
      const std::size_t u1 = Utf8Offset(model, at + n);
      w.Delete(u0, u1 - u0);
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(at),
                  model.begin() + static_cast<std::ptrdiff_t>(at + n));
    } else if (op < 88) {
      w.RepairAll();
      std::string bytes = m.Bytes();
      const std::size_t offset = Pick(bytes.size() + 1);
      const std::size_t length = std::min(bytes.size() - offset, Pick(6));
      const std::string run = RandomBytes();
      {
        auto edit = m.ReplaceBytes(offset, length, run);
        w.Apply(edit.Widget());
        ASSERT_TRUE(edit.Applied());
      }
      bytes.replace(offset, length, run);
      model = NaturalUnits(bytes);
      ASSERT_FALSE(m.NeedsDisplayRepair());
      ASSERT_EQ(w.text, Cp932ToUtf8(bytes));
    } else {
      w.RepairAll();
      ASSERT_EQ(w.text, Cp932ToUtf8(m.Bytes()));
      model = NaturalUnits(m.Bytes());
    }
    Check(m, w, model, step % 100 == 99);
    // The searchable views, looked at now and then so that edits pile up in between.
    if (step % 3 == 0) {
      ASSERT_EQ(m.View(), m.Bytes());
      ASSERT_EQ(m.FoldedView(), ToUpperCp932Copy(m.Bytes()));
    }
    if (HasFatalFailure()) {
      ADD_FAILURE() << "seed " << GetParam() << " step " << step;
      return;
    }
  }
  w.RepairAll();
  ExpectSettled(m, w, m.Bytes());
}

TEST(Cp932MirrorTest, FoldedViewFollowsTypingProgramEditsAndReloads) {
  Cp932Mirror m;
  Widget w(m);
  w.Load(Utf8ToCp932("abc ａｂｃ\r\n"));
  EXPECT_EQ(m.FoldedView(), Utf8ToCp932("ABC ＡＢＣ\r\n"));
  const std::uint64_t loaded = m.Version();
  w.Insert(3, "ｚ");  // typed between two letters
  EXPECT_EQ(m.FoldedView(), Utf8ToCp932("ABCＺ ＡＢＣ\r\n"));
  const std::uint64_t typed = m.Version();
  EXPECT_NE(typed, loaded);  // a holder of a copy of the text sees it changed
  {
    auto edit = m.ReplaceBytes(0, 1, Utf8ToCp932("α"));
    w.Apply(edit.Widget());
  }
  EXPECT_NE(m.Version(), typed);
  w.Delete(w.text.size() - 2, 2);
  EXPECT_EQ(m.FoldedView(), Utf8ToCp932("ΑBCＺ ＡＢＣ"));
  EXPECT_EQ(m.View(), Utf8ToCp932("αbcｚ ａｂｃ"));
  const std::uint64_t edited = m.Version();
  w.Load(Utf8ToCp932("xyz"));
  EXPECT_EQ(m.FoldedView(), "XYZ");
  EXPECT_NE(m.Version(), edited);
  EXPECT_NE(Cp932Mirror().Version(), m.Version());  // no two mirrors share a number
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEdits, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
}  // namespace norra

namespace norra {
namespace {

TEST(Cp932MirrorUtf8Test, AUtf8DocumentIsItsOwnWidgetTextMalformedBytesIncluded) {
  Cp932Mirror m;
  m.SetCharset(Charset::Utf8);
  const std::string text = "a😀\xFF\r\nｶ\xE3\x81";
  EXPECT_EQ(m.Load(text), text);
  EXPECT_EQ(m.Utf8Size(), text.size());
  EXPECT_EQ(m.LineCount(), 2u);
  EXPECT_EQ(m.ToCp932(3), 1u);  // inside the emoji: its start
  EXPECT_EQ(m.ToUtf8(5), 5u);   // the malformed byte is a character of its own
  EXPECT_EQ(m.ToCp932(10), 8u);
  EXPECT_EQ(m.ToCp932(12), 12u);
  // The widget's edits go in as bytes.
  m.OnWidgetInsert(1, "犬");
  m.OnWidgetDelete(4, 4);
  EXPECT_EQ(m.Bytes(), "a犬\xFF\r\nｶ\xE3\x81");
  // A program edit reaches the widget as the same bytes; one that ends inside a character
  // takes the rest of it along.
  {
    Cp932Mirror::LogicEdit edit = m.ReplaceBytes(1, 2, "猫");
    EXPECT_EQ(edit.Widget().utf8Start, 1u);
    EXPECT_EQ(edit.Widget().utf8Length, 3u);
    EXPECT_EQ(edit.Widget().utf8Text, "猫\xAC");
    m.OnWidgetDelete(1, 3);
    m.OnWidgetInsert(1, "猫\xAC");
    EXPECT_TRUE(edit.Applied());
  }
  EXPECT_EQ(m.Bytes(), "a猫\xAC\xFF\r\nｶ\xE3\x81");
  EXPECT_FALSE(m.NeedsDisplayRepair());
  EXPECT_TRUE(m.MatchesWidget(m.Bytes()));
}

}  // namespace
}  // namespace norra

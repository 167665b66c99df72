// The 17 tags of the pattern language: names, classes, built-in symbols, descriptions, examples.
#include "engine/TagTable.h"

#include <initializer_list>

#include "text/Encoding.h"

namespace norra {
namespace {

// A token as written below: a literal (UTF-8) or a reference to a tag.
struct Tok {
  int ref;
  const char* text;
};
constexpr Tok L(const char* s) { return {-1, s}; }
constexpr Tok R(int k) { return {k, nullptr}; }

struct Row {
  TagIndex index;
  TagClass cls;
  const char* name;
  const char* symbol;
  const char* description;
  std::initializer_list<Tok> example;
};

const Row& RowFor(int index) {
  static const Row rows[kTagCount] = {
      {TAG_LITERAL, TagClass::Structural, "LITERAL", "", "(ﾀｸﾞ無し=)そのままの文字列", {L("山田太郎")}},
      {TAG_STRS, TagClass::Find, "STRS", "*csv", "改行を除く任意長の文字列をﾋｯﾄ",
       {L("氏名:"), R(15), R(1), R(16), L("住所:"), R(15), R(1), R(16), L("TEL:")}},
      {TAG_STR, TagClass::Find, "STR", "*", "任意長(0～∞)の文字列をﾋｯﾄ",
       {L("1997年の出来事 : "), R(15), R(2), R(16), L("(時事)")}},
      {TAG_CHAR, TagClass::Find, "CHAR", "?", "任意の1文字(全角/半角)をﾋｯﾄ",
       {L("山田太郎、山田"), R(15), R(3), R(16), L("郎、山"), R(15), R(3), R(16), L("三郎、山田四郎")}},
      {TAG_NUM, TagClass::Find, "NUM", "#", "任意の数字1文字をﾋｯﾄ(全角/半角)",
       {L("その1、その"), R(15), R(4), R(16), L("、その"), R(15), R(4), R(16), L("、その4")}},
      {TAG_INTO, TagClass::Find, "INTO", "into", "検出した文の一部を保存",
       {L("初めまして、"), R(15), R(5), L(" a"), R(16), R(15), R(2), R(16), R(15), R(6), R(16),
        L("です。( a に保存)")}},
      {TAG_ENDTO, TagClass::Find, "ENDTO", "/to", "保存ﾀｸﾞの効果を終了させる",
       {L("( "), R(5), L(" の用例で使用)")}},
      {TAG_REPEAT, TagClass::Find, "REPEAT", "repeat", "指定回数以上の繰り返しをﾋｯﾄ",
       {L("代金は、"), R(15), R(7), L(" 3"), R(16), R(15), R(4), R(16), R(15), R(8), R(16),
        L("円です(3桁以上の数字)")}},
      {TAG_ENDREPEAT, TagClass::Find, "ENDREPEAT", "/repeat", "ﾘﾋﾟｰﾄﾀｸﾞの効果を終了させる",
       {L("( "), R(7), L(" の例文で使われています)")}},
      {TAG_WHICH, TagClass::Find, "WHICH", "which", "括弧内文字列の何れかをﾋｯﾄ",
       {R(15), R(9), R(15), L("青森"), R(16), R(15), L("秋田"), R(16), R(15), L("岩手"), R(16),
        R(16), L("県")}},
      {TAG_NOT, TagClass::Find, "NOT", "not", "括弧内文字列以外をﾋｯﾄ",
       {R(15), R(10), R(15), L("総務"), R(16), R(15), L("人事"), R(16), R(15), L("経理"), R(16),
        R(16), L("部長")}},
      {TAG_OUTFROM, TagClass::Replace, "OUTFROM", "from", "保存文字列を埋め込む",
       {L("これは、"), R(15), R(11), L(" a"), R(16), L("さんへの返信です(検索ﾀｸﾞ "), R(5),
        L(" 参照)")}},
      {TAG_FCOUNT, TagClass::Replace, "FCOUNT", "fcount", "検出数を埋め込む",
       {L("Text"), R(15), R(12), R(16), L(".Text = \""), R(15), R(12), R(16), L("番目のデータ\"")}},
      {TAG_RCOUNT, TagClass::Replace, "RCOUNT", "rcount", "置換数を埋め込む",
       {L("貴方の会員番号は "), R(15), R(13), R(16), L("番 です。")}},
      {TAG_NOWF, TagClass::Replace, "NOWF", "now", "現在日時を括弧内書式にて埋め込む",
       {L("送信日時 : "), R(15), R(14), R(15), L("yyyy/mm/dd hh:nn"), R(16), R(16)}},
      {TAG_BRACKET1, TagClass::Structural, "BRACKET1", "[", "ﾀｸﾞ/括弧内文字列を囲む左括弧",
       {L("(他のﾀｸﾞの用例で使用)")}},
      {TAG_BRACKET2, TagClass::Structural, "BRACKET2", "]", "ﾀｸﾞ/括弧内文字列を囲む右括弧",
       {L("(他のﾀｸﾞの用例で使用)")}},
  };
  return rows[index];
}

}  // namespace

bool TagTable::Build() {
  try {
    for (int i = 0; i < kTagCount; ++i) {
      const Row& row = RowFor(i);
      TagRecord& rec = records_[i];
      rec.index = row.index;
      rec.tagClass = row.cls;
      rec.name = row.name;
      rec.symbol = row.symbol;
      rec.description = row.description;
      rec.example.clear();
      for (const Tok& t : row.example) {
        ExampleToken token;
        token.ref = t.ref;
        if (t.text) token.text = Utf8ToCp932(t.text);
        rec.example.push_back(std::move(token));
      }
    }
  } catch (...) {
    built_ = false;
    return false;
  }
  built_ = true;
  return true;
}

const TagRecord* TagTable::Record(int index) const {
  if (!built_ || index < 0 || index >= kTagCount) return nullptr;
  return &records_[index];
}

TagSymbols TagTable::BuiltInSymbols() const {
  TagSymbols symbols;
  for (int i = 0; i < kTagCount; ++i) symbols[i] = RowFor(i).symbol;
  return symbols;
}

bool TagTable::RenderExample(int index, std::string& out) const {
  const TagRecord* rec = Record(index);
  if (!rec) return false;
  std::string text;
  for (const ExampleToken& token : rec->example) {
    if (token.ref < 0)
      text += token.text;
    else if (symbols_)
      text += (*symbols_)[token.ref];
    else
      text += records_[token.ref].symbol;
  }
  out = std::move(text);
  return true;
}

std::vector<int> TagTable::TagsForBox(TagClass boxClass) const {
  std::vector<int> tags;
  for (int i = 1; i < kTagCount; ++i) {
    TagClass c = RowFor(i).cls;
    if (c == boxClass || i == TAG_BRACKET1 || i == TAG_BRACKET2) tags.push_back(i);
  }
  return tags;
}

}  // namespace norra

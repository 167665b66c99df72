// Cp932Mirror: bytes in a gap buffer, a line index and a piece index of both coordinates, and
// the few places where the widget shows something other than what the bytes decode to.
#include "text/Cp932Mirror.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>
#include <vector>

#include "text/Cp932.h"
#include "text/Encoding.h"
#include "text/FoldedText.h"
#include "text/GapVector.h"
#include "text/Partitioning.h"
#include "text/TextVersion.h"
#include "text/Utf8.h"

namespace norra {
namespace {

// Pieces of the position index: split when longer than kPieceMax, joined with a neighbour when
// together no longer than kPieceTarget. A lookup walks at most one piece.
constexpr std::size_t kPieceTarget = 256;
constexpr std::size_t kPieceMax = 512;
// A walk leaves a boundary about this far behind its end, for lookups just before it.
constexpr std::size_t kAnchorLag = 64;

constexpr char32_t kMalformed = 0xFFFFFFFF;  // a byte that starts no well-formed UTF-8

std::size_t Utf8Length(char32_t cp) {
  if (cp < 0x80) return 1;
  if (cp < 0x800) return 2;
  if (cp < 0x10000) return 3;
  return 4;
}

// The character at i of a UTF-8 text, read as strictly as the converter reads it; returns its
// length (1 with kMalformed for a byte that starts no well-formed sequence).
std::size_t NextUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const int length = DecodeUtf8(reinterpret_cast<const unsigned char*>(s.data()) + i, s.size() - i, cp);
  if (length > 0) return static_cast<std::size_t>(length);
  cp = kMalformed;
  return 1;
}

// The bytes the document stores for one character typed into the widget.
void EncodeWidgetChar(char32_t cp, std::string& out) {
  if (cp == kMalformed || !EncodeCp932Char(cp, out)) out.push_back('?');
}

std::size_t EncodedLength(char32_t cp) {
  std::string bytes;
  EncodeWidgetChar(cp, bytes);
  return bytes.size();
}

// Decodes the character that starts with byte b0 followed by b1 (-1: none), as the whole-text
// conversion does; returns its length.
std::size_t DecodePair(unsigned b0, int b1, char32_t& cp) {
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  const char two[2] = {static_cast<char>(b0), static_cast<char>(b1)};
  return static_cast<std::size_t>(DecodeCp932Char(std::string_view(two, b1 < 0 ? 1 : 2), 0, cp));
}

// UTF-8 lengths of what byte pairs and single bytes decode to, so that walking the text needs
// no code points: pair[lead << 8 | trail] is 0 when the two bytes do not form a character.
struct LengthTables {
  std::array<std::uint8_t, 65536> pair{};
  std::array<std::uint8_t, 256> single{};
};

const LengthTables& Lengths() {
  static const LengthTables tables = [] {
    LengthTables t;
    for (unsigned b0 = 0; b0 < 256; ++b0) {
      char32_t cp;
      DecodePair(b0, -1, cp);
      t.single[b0] = static_cast<std::uint8_t>(Utf8Length(cp));
      if (!IsLeadByte(static_cast<unsigned char>(b0))) continue;
      for (unsigned b1 = 0; b1 < 256; ++b1) {
        if (DecodePair(b0, static_cast<int>(b1), cp) == 2) {
          t.pair[b0 << 8 | b1] = static_cast<std::uint8_t>(Utf8Length(cp));
        }
      }
    }
    return t;
  }();
  return tables;
}

}  // namespace

struct Cp932Mirror::Impl {
  // A character the widget shows differently from what its bytes decode to at that place.
  struct Override {
    std::size_t offset;
    std::size_t bytes;
    std::string text;  // what the widget shows (UTF-8)
  };

  // One widget character: where it starts in both coordinates and how long it is in each.
  struct Unit {
    std::size_t c = 0;
    std::size_t u = 0;
    std::size_t bytes = 0;
    std::size_t utf8 = 0;
    bool isOverride = false;
    std::size_t overrideIndex = 0;
  };

  // A character boundary and the character that ends there.
  struct Boundary {
    std::size_t c = 0;
    std::size_t u = 0;
    bool hasPrev = false;
    Unit prev;
  };

  enum class Stage {
    kNone,         // no logic edit
    kAwaitDelete,  // waiting for the widget's deletion
    kAwaitInsert,  // waiting for the widget's insertion
    kDone,         // the bytes are in place
    kAbandoned,    // the widget did something else
  };

  struct Pending {
    std::uint64_t ticket = 0;
    Stage stage = Stage::kNone;
    std::size_t u0 = 0;
    std::size_t uDel = 0;
    std::string text;
    std::string bytes;
    bool Awaiting() const { return stage == Stage::kAwaitDelete || stage == Stage::kAwaitInsert; }
  };

  // Steps through widget characters from a boundary.
  class Walker {
   public:
    Walker(const Impl& m, std::size_t c, std::size_t u)
        : m_(m), c_(c), u_(u), ov_(m.FirstOverrideFrom(c)) {}
    std::size_t C() const { return c_; }
    std::size_t U() const { return u_; }
    bool AtEnd() const { return c_ >= m_.Size(); }
    Unit Next() {
      Unit unit;
      unit.c = c_;
      unit.u = u_;
      const auto& ovs = m_.overrides;
      while (ov_ < ovs.size() && ovs[ov_].offset < c_) ++ov_;
      if (ov_ < ovs.size() && ovs[ov_].offset == c_) {
        unit.bytes = ovs[ov_].bytes;
        unit.utf8 = ovs[ov_].text.size();
        unit.isOverride = true;
        unit.overrideIndex = ov_++;
      } else {
        m_.LengthsAt(c_, unit.bytes, unit.utf8);
      }
      c_ += unit.bytes;
      u_ += unit.utf8;
      return unit;
    }

   private:
    const Impl& m_;
    std::size_t c_;
    std::size_t u_;
    std::size_t ov_;
  };

  const LengthTables& lengths = Lengths();
  bool utf8 = false;  // the document is UTF-8: the widget holds the same bytes
  GapVector<char> bytes;
  FoldedText folded;                // the bytes upper-cased, once a search asked for them
  std::uint64_t version = NewTextVersion();
  Partitioning lines;               // line starts
  Partitioning pieceC;              // piece starts, CP932 offsets
  Partitioning pieceU;              // the same starts, widget positions
  std::vector<Override> overrides;  // ascending offsets
  std::size_t utf8Size = 0;
  Pending pending;
  std::uint64_t nextTicket = 1;
  // The boundary found or made last: lookups and edits cluster at the caret, so a walk that
  // would start a little before the target starts there instead of at its piece.
  mutable Boundary last;
  mutable bool lastValid = false;
  mutable Boundary anchor;  // a boundary a little behind the last walk's end
  mutable bool anchorValid = false;

  std::size_t Size() const { return bytes.Size(); }
  unsigned ByteAt(std::size_t p) const { return static_cast<unsigned char>(bytes[p]); }

  std::string Range(std::size_t offset, std::size_t length) const {
    offset = std::min(offset, Size());
    length = std::min(length, Size() - offset);
    std::string out(length, '\0');
    bytes.Split().CopyTo(offset, length, out.data());
    return out;
  }

  // The natural decoding at p: what the bytes mean there when read from the start.
  std::size_t DecodeAt(std::size_t p, char32_t& cp) const {
    const unsigned b0 = ByteAt(p);
    if (b0 < 0x80) {
      cp = b0;
      return 1;
    }
    return DecodePair(b0, p + 1 < Size() ? static_cast<int>(ByteAt(p + 1)) : -1, cp);
  }

  // The lengths of the natural decoding at p, without decoding.
  void LengthsAt(std::size_t p, std::size_t& byteLength, std::size_t& utf8Length) const {
    if (utf8) {
      byteLength = utf8Length = Utf8LengthAt(p);
      return;
    }
    const unsigned b0 = ByteAt(p);
    if (b0 < 0x80) {
      byteLength = utf8Length = 1;
      return;
    }
    const LengthTables& t = lengths;
    if (IsLeadByte(static_cast<unsigned char>(b0)) && p + 1 < Size()) {
      const std::uint8_t pair = t.pair[b0 << 8 | ByteAt(p + 1)];
      if (pair != 0) {
        byteLength = 2;
        utf8Length = pair;
        return;
      }
    }
    byteLength = 1;
    utf8Length = t.single[b0];
  }

  std::size_t FirstOverrideFrom(std::size_t c) const {
    return static_cast<std::size_t>(
        std::lower_bound(overrides.begin(), overrides.end(), c,
                         [](const Override& o, std::size_t v) { return o.offset < v; }) -
        overrides.begin());
  }

  std::string UnitText(const Unit& unit) const {
    if (utf8) return Range(unit.c, unit.bytes);
    if (unit.isOverride) return overrides[unit.overrideIndex].text;
    char32_t cp;
    DecodeAt(unit.c, cp);
    std::string text;
    AppendUtf8(cp, text);
    return text;
  }

  bool IsLineStartAt(std::size_t x) const {
    const unsigned before = ByteAt(x - 1);
    return before == '\n' || (before == '\r' && (x == Size() || ByteAt(x) != '\n'));
  }

  std::size_t PieceEnd(std::size_t piece) const {
    return piece + 1 < pieceC.Count() ? pieceC.Start(piece + 1) : Size();
  }
  std::size_t PieceLength(std::size_t piece) const { return PieceEnd(piece) - pieceC.Start(piece); }

  void RemovePiece(std::size_t piece) {
    pieceC.Remove(piece);
    pieceU.Remove(piece);
  }
  void InsertPiece(std::size_t piece, std::size_t c, std::size_t u) {
    pieceC.Insert(piece, c);
    pieceU.Insert(piece, u);
  }

  // UTF-8: the length of the character at p (1 for a byte that starts none).
  std::size_t Utf8LengthAt(std::size_t p) const {
    char four[4];
    const std::size_t n = std::min<std::size_t>(4, Size() - p);
    for (std::size_t k = 0; k < n; ++k) four[k] = bytes[p + k];
    return static_cast<std::size_t>(CharLengthAt(Charset::Utf8, std::string_view(four, n), 0));
  }
  // UTF-8: the start of the character holding p (p itself at the end). A well-formed sequence
  // starts with a byte no other sequence can hold, so looking three bytes back is enough.
  std::size_t Utf8StartAt(std::size_t p) const {
    if (p >= Size()) return Size();
    for (std::size_t back = 1; back <= 3 && back <= p; ++back) {
      if (Utf8LengthAt(p - back) > back) return p - back;
    }
    return p;
  }
  Boundary Utf8Floor(std::size_t x) const {
    x = std::min(x, Size());
    const std::size_t c = Utf8StartAt(x);
    Boundary b{c, c, false, {}};
    if (c > 0) {
      const std::size_t q = Utf8StartAt(c - 1);
      b.hasPrev = true;
      b.prev = Unit{q, q, c - q, c - q, false, 0};
    }
    return b;
  }

  // The boundary at or before CP932 offset c (the start of the character holding it).
  Boundary FloorC(std::size_t c) const {
    if (utf8) return Utf8Floor(c);
    c = std::min(c, Size());
    const auto past = [c](const Unit& unit) { return unit.c + unit.bytes > c; };
    if (lastValid && last.c <= c && c - last.c <= kPieceTarget) {
      return Remember(Settle(WalkFrom(last, past)));
    }
    if (anchorValid && anchor.c <= c && c - anchor.c <= kPieceTarget) {
      return Remember(Settle(WalkFrom(anchor, past)));
    }
    const std::size_t piece = pieceC.Find(c > 0 ? c - 1 : 0);
    return Remember(Settle(Walk(piece, past)));
  }
  // The boundary at or before widget position u.
  Boundary FloorU(std::size_t u) const {
    if (utf8) return Utf8Floor(u);
    u = std::min(u, utf8Size);
    const auto past = [u](const Unit& unit) { return unit.u + unit.utf8 > u; };
    if (lastValid && last.u <= u && u - last.u <= kPieceTarget) {
      return Remember(Settle(WalkFrom(last, past)));
    }
    if (anchorValid && anchor.u <= u && u - anchor.u <= kPieceTarget) {
      return Remember(Settle(WalkFrom(anchor, past)));
    }
    const std::size_t piece = pieceU.Find(u > 0 ? u - 1 : 0);
    return Remember(Settle(Walk(piece, past)));
  }
  const Boundary& Remember(const Boundary& b) const {
    last = b;
    lastValid = true;
    return last;
  }
  // The boundary at or after CP932 offset c.
  Boundary CeilC(std::size_t c) const {
    const Boundary floor = FloorC(c);
    if (floor.c >= std::min(c, Size())) return floor;
    Walker w(*this, floor.c, floor.u);
    Boundary b;
    b.prev = w.Next();
    b.hasPrev = true;
    b.c = w.C();
    b.u = w.U();
    return b;
  }

  // Walks a piece from its start up to the first character for which `past` holds.
  template <class Past>
  Boundary Walk(std::size_t piece, Past past) const {
    return WalkFrom(Boundary{pieceC.Start(piece), pieceU.Start(piece), false, {}}, past);
  }
  template <class Past>
  Boundary WalkFrom(Boundary b, Past past) const {
    Walker w(*this, b.c, b.u);
    Boundary mark = b;
    while (!w.AtEnd()) {
      const Unit unit = w.Next();
      if (past(unit)) break;
      b = Boundary{w.C(), w.U(), true, unit};
      if (b.c - mark.c >= kAnchorLag) {
        anchor = mark;
        anchorValid = true;
        mark = b;
      }
    }
    return b;
  }
  // An edit at c0 leaves boundaries before it as they were.
  void KeepCachesBefore(std::size_t c0) {
    lastValid = lastValid && last.c < c0;
    anchorValid = anchorValid && anchor.c < c0;
  }
  // A boundary found at a piece start lacks the character before it; fetch it.
  Boundary Settle(const Boundary& b) const {
    if (b.hasPrev || b.c == 0) return b;
    const std::size_t piece = pieceC.Find(b.c - 1);
    return Walk(piece, [c = b.c](const Unit& unit) { return unit.c >= c; });
  }

  void Load(std::string_view cp932) {
    lastValid = anchorValid = false;
    pending = Pending{};
    overrides.clear();
    bytes.Assign(cp932.data(), cp932.size());
    folded.Clear();
    version = NewTextVersion();
    lines.Reset();
    for (std::size_t x = 1; x <= Size(); ++x) {
      if (IsLineStartAt(x)) lines.Insert(lines.Count(), x);
    }
    pieceC.Reset();
    pieceU.Reset();
    if (utf8) {  // positions need no index: both coordinates are the byte offset
      utf8Size = Size();
      return;
    }
    Walker w(*this, 0, 0);
    std::size_t last = 0;
    while (!w.AtEnd()) {
      w.Next();
      if (w.C() - last >= kPieceTarget && Size() - w.C() >= kPieceTarget / 2) {
        InsertPiece(pieceC.Count(), w.C(), w.U());
        last = w.C();
      }
    }
    utf8Size = w.U();
  }

  // After the bytes following the character before `at` changed: that character, when it is a
  // lone lead byte, may now pair with its new neighbour. The widget still shows it on its own.
  void CheckPrefix(const Boundary& at) {
    if (!at.hasPrev || at.prev.bytes != 1) return;
    const std::size_t q = at.prev.c;
    if (!IsLeadByte(static_cast<unsigned char>(ByteAt(q)))) return;
    const std::size_t index = FirstOverrideFrom(q);
    const bool has = index < overrides.size() && overrides[index].offset == q;
    std::string shown;  // a lone lead byte was shown as its escape
    if (has) {
      shown = overrides[index].text;
    } else {
      char32_t escape;
      DecodePair(ByteAt(q), -1, escape);
      AppendUtf8(escape, shown);
    }
    char32_t got;
    const std::size_t length = DecodeAt(q, got);
    std::string natural;
    AppendUtf8(got, natural);
    const auto pos = overrides.begin() + static_cast<std::ptrdiff_t>(index);
    if (length == 1 && natural == shown) {
      if (has) overrides.erase(pos);
    } else if (!has) {
      overrides.insert(pos, Override{q, 1, std::move(shown)});
    }
  }

  // Puts `run` at `at`; the widget shows `utf8` for it. fromWidget: the widget's characters,
  // each encoded on its own; otherwise the run's own decoding, which the caller lined up with
  // the text that follows.
  void InsertRun(const Boundary& at, std::string_view run, std::string_view utf8, bool fromWidget) {
    if (run.empty()) return;
    if (this->utf8) {
      InsertBytes(at.c, run);
      return;
    }
    const std::size_t c0 = at.c;
    KeepCachesBefore(c0);
    const std::size_t n = run.size();
    bytes.Insert(c0, run.data(), n);
    folded.Replace(c0, 0, n, bytes.Split());
    version = NewTextVersion();
    const std::size_t first = FirstOverrideFrom(c0);
    for (std::size_t i = first; i < overrides.size(); ++i) overrides[i].offset += n;

    std::vector<Override> added;
    std::size_t p = c0;
    std::size_t i = 0;
    Unit lastUnit;
    while (p < c0 + n && i < utf8.size()) {
      char32_t want;
      std::size_t ulen;
      std::size_t blen;
      if (fromWidget) {
        ulen = NextUtf8(utf8, i, want);
        blen = EncodedLength(want);
      } else {
        blen = static_cast<std::size_t>(DecodeCp932Char(run, p - c0, want));
        ulen = std::min(Utf8Length(want), utf8.size() - i);
      }
      char32_t got;
      const bool differs = DecodeAt(p, got) != blen || got != want;
      if (differs) added.push_back(Override{p, blen, std::string(utf8.substr(i, ulen))});
      lastUnit = Unit{p, at.u + i, blen, ulen, differs, 0};
      p += blen;
      i += ulen;
    }
    overrides.insert(overrides.begin() + static_cast<std::ptrdiff_t>(first), added.begin(),
                     added.end());
    utf8Size += utf8.size();
    CheckPrefix(at);
    UpdateLines(c0, 0, n);
    UpdatePieces(c0, 0, n, 0, utf8.size());
    // The caret usually stays right after what went in, and a Backspace looks up its start.
    anchor = Refreshed(at);
    anchorValid = true;
    if (p == c0 + n && i == utf8.size()) Remember(Boundary{p, at.u + i, true, lastUnit});
  }

  // UTF-8: the widget holds the same bytes; only the lines and the folded copy follow.
  void InsertBytes(std::size_t c0, std::string_view run) {
    lastValid = anchorValid = false;
    bytes.Insert(c0, run.data(), run.size());
    folded.Replace(c0, 0, run.size(), bytes.Split());
    version = NewTextVersion();
    utf8Size += run.size();
    UpdateLines(c0, 0, run.size());
  }
  void EraseBytes(std::size_t c0, std::size_t n) {
    lastValid = anchorValid = false;
    bytes.Erase(c0, n);
    folded.Replace(c0, n, 0, bytes.Split());
    version = NewTextVersion();
    utf8Size -= n;
    UpdateLines(c0, n, 0);
  }

  void DeleteRun(const Boundary& from, const Boundary& to) {
    if (to.c <= from.c) return;
    if (utf8) {
      EraseBytes(from.c, to.c - from.c);
      return;
    }
    const std::size_t c0 = from.c;
    KeepCachesBefore(c0);
    const std::size_t n = to.c - from.c;
    const std::size_t un = to.u - from.u;
    bytes.Erase(c0, n);
    folded.Replace(c0, n, 0, bytes.Split());
    version = NewTextVersion();
    const auto first = overrides.begin() + static_cast<std::ptrdiff_t>(FirstOverrideFrom(c0));
    const auto last = overrides.begin() + static_cast<std::ptrdiff_t>(FirstOverrideFrom(to.c));
    const auto rest = overrides.erase(first, last);
    for (auto it = rest; it != overrides.end(); ++it) it->offset -= n;
    utf8Size -= un;
    CheckPrefix(from);
    UpdateLines(c0, n, 0);
    UpdatePieces(c0, n, 0, un, 0);
    Remember(Refreshed(from));  // the caret stays where the text went
  }

  // A boundary from before an edit at it: the character before may have changed its override.
  Boundary Refreshed(Boundary b) const {
    if (b.hasPrev) {
      const std::size_t index = FirstOverrideFrom(b.prev.c);
      b.prev.isOverride = index < overrides.size() && overrides[index].offset == b.prev.c;
      b.prev.overrideIndex = index;
    }
    return b;
  }

  // The bytes [c0, c0 + oldLen) became [c0, c0 + newLen); the line starts still hold old
  // offsets. Only the starts next to the change depend on changed bytes (CR LF pairs).
  void UpdateLines(std::size_t c0, std::size_t oldLen, std::size_t newLen) {
    const std::size_t lo = std::max<std::size_t>(c0, 1);
    const std::size_t from = lines.LowerBound(lo);
    const std::size_t to = lines.LowerBound(c0 + oldLen + 1);
    for (std::size_t k = from; k < to; ++k) lines.Remove(from);
    if (from > 0) lines.Shift(from - 1, newLen - oldLen);
    std::size_t part = from;
    const std::size_t hi = std::min(c0 + newLen, Size());
    for (std::size_t x = lo; x <= hi; ++x) {
      if (IsLineStartAt(x)) lines.Insert(part++, x);
    }
  }

  // The same for the pieces, in both coordinates; boundaries outside the change stay
  // boundaries, so only the piece holding the change is rebuilt.
  void UpdatePieces(std::size_t c0, std::size_t oldLen, std::size_t newLen, std::size_t oldU,
                    std::size_t newU) {
    const std::size_t piece = pieceC.Find(c0);
    const std::size_t inside = pieceC.LowerBound(c0 + oldLen);
    for (std::size_t k = piece + 1; k < inside; ++k) RemovePiece(piece + 1);
    pieceC.Shift(piece, newLen - oldLen);
    pieceU.Shift(piece, newU - oldU);
    if (piece + 1 < pieceC.Count() && pieceC.Start(piece + 1) <= pieceC.Start(piece)) {
      RemovePiece(piece + 1);
    }
    while (pieceC.Count() > 1 && pieceC.Start(pieceC.Count() - 1) >= Size()) {
      RemovePiece(pieceC.Count() - 1);
    }
    Rebalance(std::min(piece, pieceC.Count() - 1));
  }

  void Rebalance(std::size_t piece) {
    std::size_t length = PieceLength(piece);
    if (length > kPieceMax) {
      Split(piece);
      return;
    }
    if (piece + 1 < pieceC.Count() && length + PieceLength(piece + 1) <= kPieceTarget) {
      length += PieceLength(piece + 1);
      RemovePiece(piece + 1);
    }
    if (piece > 0 && PieceLength(piece - 1) + length <= kPieceTarget) RemovePiece(piece);
  }

  void Split(std::size_t piece) {
    const std::size_t end = PieceEnd(piece);
    Walker w(*this, pieceC.Start(piece), pieceU.Start(piece));
    std::size_t last = w.C();
    std::size_t next = piece + 1;
    while (w.C() < end) {
      w.Next();
      if (w.C() - last >= kPieceTarget && end - w.C() >= kPieceTarget / 2) {
        InsertPiece(next++, w.C(), w.U());
        last = w.C();
      }
    }
  }

  void AbandonPending() {
    if (pending.Awaiting()) pending.stage = Stage::kAbandoned;
  }
};

Cp932Mirror::Cp932Mirror() : impl_(std::make_unique<Impl>()) {}
Cp932Mirror::~Cp932Mirror() = default;

void Cp932Mirror::SetCharset(Charset charset) { impl_->utf8 = charset == Charset::Utf8; }

Charset Cp932Mirror::DocumentCharset() const { return impl_->utf8 ? Charset::Utf8 : Charset::Cp932; }

std::string Cp932Mirror::Load(std::string_view cp932) {
  impl_->Load(cp932);
  if (impl_->utf8) return std::string(cp932);
  return Cp932ToUtf8(cp932);
}

std::string Cp932Mirror::Bytes() const {
  return impl_->Range(0, impl_->Size());
}

std::string_view Cp932Mirror::View() const {
  return std::string_view(impl_->bytes.Contiguous(), impl_->Size());
}

std::string_view Cp932Mirror::FoldedView() const {
  return impl_->folded.View(impl_->bytes.Split());
}

std::uint64_t Cp932Mirror::Version() const {
  return impl_->version;
}

std::string Cp932Mirror::TextRange(std::size_t offset, std::size_t length) const {
  return impl_->Range(offset, length);
}

std::size_t Cp932Mirror::Size() const {
  return impl_->Size();
}
std::size_t Cp932Mirror::Utf8Size() const {
  return impl_->utf8Size;
}

std::size_t Cp932Mirror::LineCount() const {
  return impl_->lines.Count();
}

std::size_t Cp932Mirror::LineOfOffset(std::size_t offset) const {
  return impl_->lines.Find(std::min(offset, impl_->Size()));
}

std::size_t Cp932Mirror::LineStart(std::size_t line) const {
  return line < impl_->lines.Count() ? impl_->lines.Start(line) : impl_->Size();
}

std::size_t Cp932Mirror::ToCp932(std::size_t utf8Pos) const {
  return impl_->FloorU(utf8Pos).c;
}
std::size_t Cp932Mirror::ToUtf8(std::size_t cp932Offset) const {
  return impl_->FloorC(cp932Offset).u;
}

void Cp932Mirror::OnWidgetInsert(std::size_t utf8Pos, std::string_view utf8Text) {
  Impl& m = *impl_;
  if (utf8Text.empty()) return;
  if (m.utf8) {
    if (m.pending.stage == Impl::Stage::kAwaitInsert && utf8Pos == m.pending.u0 && utf8Text == m.pending.text) {
      m.pending.stage = Impl::Stage::kDone;
    } else {
      m.AbandonPending();
    }
    m.InsertBytes(std::min(utf8Pos, m.Size()), utf8Text);
    return;
  }
  const Impl::Boundary at = m.FloorU(utf8Pos);
  if (m.pending.stage == Impl::Stage::kAwaitInsert && utf8Pos == m.pending.u0 &&
      utf8Text == m.pending.text) {
    m.InsertRun(at, m.pending.bytes, utf8Text, false);
    m.pending.stage = Impl::Stage::kDone;
    return;
  }
  m.AbandonPending();
  std::string run;
  run.reserve(utf8Text.size());
  for (std::size_t i = 0; i < utf8Text.size();) {
    char32_t cp;
    i += NextUtf8(utf8Text, i, cp);
    EncodeWidgetChar(cp, run);
  }
  m.InsertRun(at, run, utf8Text, true);
}

void Cp932Mirror::OnWidgetDelete(std::size_t utf8Pos, std::size_t utf8Length) {
  Impl& m = *impl_;
  utf8Pos = std::min(utf8Pos, m.utf8Size);
  utf8Length = std::min(utf8Length, m.utf8Size - utf8Pos);
  if (utf8Length == 0) return;
  if (m.utf8) {  // the widget's bytes are the document's, wherever it cuts
    if (m.pending.stage == Impl::Stage::kAwaitDelete && utf8Pos == m.pending.u0 && utf8Length == m.pending.uDel) {
      m.pending.stage = m.pending.text.empty() ? Impl::Stage::kDone : Impl::Stage::kAwaitInsert;
    } else {
      m.AbandonPending();
    }
    m.EraseBytes(utf8Pos, utf8Length);
    return;
  }
  if (m.pending.stage == Impl::Stage::kAwaitDelete && utf8Pos == m.pending.u0 &&
      utf8Length == m.pending.uDel) {
    m.pending.stage = m.pending.text.empty() ? Impl::Stage::kDone : Impl::Stage::kAwaitInsert;
  } else {
    m.AbandonPending();
  }
  const Impl::Boundary from = m.FloorU(utf8Pos);
  const Impl::Boundary to = m.FloorU(utf8Pos + utf8Length);
  m.DeleteRun(from, to);
}

Cp932Mirror::LogicEdit Cp932Mirror::ReplaceBytes(std::size_t offset, std::size_t length,
                                                 std::string_view cp932) {
  Impl& m = *impl_;
  if (m.pending.Awaiting()) {
    throw std::logic_error("Cp932Mirror: the previous logic edit has not reached the widget");
  }
  m.pending = Impl::Pending{};
  const std::size_t size = m.Size();
  offset = std::min(offset, size);
  length = std::min(length, size - offset);
  if (m.utf8) {
    // Widened to whole characters; the widget takes exactly these bytes.
    const std::size_t from = m.Utf8StartAt(offset);
    std::size_t to = m.Utf8StartAt(offset + length);
    if (to < offset + length) to += m.Utf8LengthAt(to);
    std::string run = m.Range(from, offset - from);
    run.append(cp932);
    run += m.Range(offset + length, to - offset - length);
    if (run == m.Range(from, to - from)) return LogicEdit(this, 0, WidgetEdit{}, false);
    Impl::Pending& p = m.pending;
    p.ticket = m.nextTicket++;
    p.u0 = from;
    p.uDel = to - from;
    p.text = run;
    p.bytes = run;
    p.stage = p.uDel > 0 ? Impl::Stage::kAwaitDelete : Impl::Stage::kAwaitInsert;
    return LogicEdit(this, p.ticket, WidgetEdit{from, p.uDel, std::move(run)}, true);
  }
  Impl::Boundary from = m.FloorC(offset);
  const Impl::Boundary to = m.CeilC(offset + length);
  std::string run = m.Range(from.c, offset - from.c);
  run.append(cp932);
  run += m.Range(offset + length, to.c - offset - length);

  // A lone lead byte just before may pair with the new first byte; one the widget shows
  // differently is put right on the way.
  if (from.hasPrev && from.prev.bytes == 1) {
    const unsigned lead = m.ByteAt(from.prev.c);
    if (IsLeadByte(static_cast<unsigned char>(lead))) {
      const int next = !run.empty() ? static_cast<unsigned char>(run[0])
                                    : (to.c < size ? static_cast<int>(m.ByteAt(to.c)) : -1);
      char32_t cp;
      const bool pairs = next >= 0 && DecodePair(lead, next, cp) == 2;
      if (pairs || from.prev.isOverride) {
        run.insert(run.begin(), static_cast<char>(lead));
        from = m.FloorC(from.prev.c);
      }
    }
  }

  // What the widget shows for the range now, and what the new bytes decode to; both are
  // extended into the following text until they meet on a common boundary (a lone lead byte
  // at the end of the new bytes may take the next byte as its second).
  std::string oldText;
  Impl::Walker old(m, from.c, from.u);
  while (old.C() < to.c) oldText += m.UnitText(old.Next());
  std::string newText;
  const auto runByte = [&](std::size_t r) -> int {
    if (r < run.size()) return static_cast<unsigned char>(run[r]);
    const std::size_t p = to.c + (r - run.size());
    return p < size ? static_cast<int>(m.ByteAt(p)) : -1;
  };
  std::size_t r = 0;
  while (r < run.size()) {
    char32_t cp;
    r += DecodePair(static_cast<unsigned>(runByte(r)), runByte(r + 1), cp);
    AppendUtf8(cp, newText);
  }
  std::size_t newEnd = to.c + (r - run.size());
  while (old.C() != newEnd) {
    if (old.C() < newEnd) {
      oldText += m.UnitText(old.Next());
    } else {
      char32_t cp;
      newEnd += m.DecodeAt(newEnd, cp);
      AppendUtf8(cp, newText);
    }
  }
  const std::size_t end = old.C();
  const std::size_t endU = old.U();
  run += m.Range(to.c, end - to.c);

  const bool changed = run != m.Range(from.c, end - from.c);
  if (newText == oldText) {  // the widget shows the same: the bytes go in at once
    if (changed) {
      m.DeleteRun(from, m.FloorC(end));
      m.InsertRun(m.FloorC(from.c), run, newText, false);
    }
    return LogicEdit(this, 0, WidgetEdit{}, changed);
  }
  Impl::Pending& p = m.pending;
  p.ticket = m.nextTicket++;
  p.u0 = from.u;
  p.uDel = endU - from.u;
  p.text = newText;
  p.bytes = std::move(run);
  p.stage = p.uDel > 0 ? Impl::Stage::kAwaitDelete : Impl::Stage::kAwaitInsert;
  return LogicEdit(this, p.ticket, WidgetEdit{from.u, p.uDel, std::move(newText)}, changed);
}

bool Cp932Mirror::NeedsDisplayRepair() const {
  return !impl_->overrides.empty();
}

Cp932Mirror::LogicEdit Cp932Mirror::RepairDisplay() {
  if (impl_->overrides.empty()) return LogicEdit(this, 0, WidgetEdit{}, false);
  const std::size_t offset = impl_->overrides.front().offset;
  const std::size_t length = impl_->overrides.front().bytes;
  return ReplaceBytes(offset, length, impl_->Range(offset, length));
}

std::string Cp932Mirror::WidgetText() const {
  std::string text;
  Impl::Walker w(*impl_, 0, 0);
  while (!w.AtEnd()) text += impl_->UnitText(w.Next());
  return text;
}

bool Cp932Mirror::MatchesWidget(std::string_view widgetUtf8) const {
  if (impl_->utf8) return Bytes() == widgetUtf8;
  return Cp932ToUtf8(Bytes()) == widgetUtf8;
}

std::string Cp932Mirror::NormalizeInsertion(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    const std::size_t length = NextUtf8(utf8, i, cp);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else {
      bytes.clear();
      EncodeWidgetChar(cp, bytes);
      char32_t back;
      DecodeCp932Char(bytes, 0, back);
      AppendUtf8(back, out);
    }
    i += length;
  }
  return out;
}

std::size_t Cp932Mirror::Cp932Length(std::string_view utf8) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    i += NextUtf8(utf8, i, cp);
    total += cp < 0x80 ? 1 : EncodedLength(cp);
  }
  return total;
}

std::string_view Cp932Mirror::CutToCp932Length(std::string_view utf8, std::size_t maxCp932) {
  std::size_t total = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp;
    const std::size_t length = NextUtf8(utf8, i, cp);
    const std::size_t bytes = cp < 0x80 ? 1 : EncodedLength(cp);
    if (total + bytes > maxCp932) break;
    total += bytes;
    i += length;
  }
  // A CR whose LF did not fit would change the kind of line break.
  if (i > 0 && i < utf8.size() && utf8[i - 1] == '\r' && utf8[i] == '\n') --i;
  return utf8.substr(0, i);
}

Cp932Mirror::LogicEdit::LogicEdit(Cp932Mirror* mirror, std::uint64_t ticket, WidgetEdit edit,
                                  bool changed)
    : mirror_(mirror), ticket_(ticket), edit_(std::move(edit)), changed_(changed) {}

Cp932Mirror::LogicEdit::LogicEdit(LogicEdit&& other) noexcept
    : mirror_(std::exchange(other.mirror_, nullptr)),
      ticket_(std::exchange(other.ticket_, 0)),
      edit_(std::move(other.edit_)),
      changed_(other.changed_) {}

Cp932Mirror::LogicEdit::~LogicEdit() {
  if (mirror_ != nullptr && ticket_ != 0 && mirror_->impl_->pending.ticket == ticket_) {
    mirror_->impl_->pending = Impl::Pending{};
  }
}

bool Cp932Mirror::LogicEdit::Applied() const {
  if (ticket_ == 0) return true;
  const Impl::Pending& p = mirror_->impl_->pending;
  return p.ticket == ticket_ && p.stage == Impl::Stage::kDone;
}

}  // namespace norra

// The matcher: a trail of node attempts walked forwards, and backwards to the nearest node
// that can change, with memory of states that can only fail.
#include "engine/Matcher.h"

#include <algorithm>
#include <cstring>

#include "engine/TagTable.h"

namespace norra {
namespace {

constexpr std::size_t npos = MatchSession::npos;
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::size_t kPruneMinimum = 4096;
constexpr int kFoldStride = 8;

bool EndsWithHandOver(const CompiledPattern& body) {
  if (body.empty()) return false;
  const PatternNode& last = body.back();
  if (last.kind == TAG_STR || last.kind == TAG_STRS) return true;
  if (last.kind == TAG_INTO || last.kind == TAG_REPEAT) return EndsWithHandOver(last.body);
  return false;
}

}  // namespace

std::size_t Matcher::MemoKeyHash::operator()(const MemoKey& k) const {
  std::uint64_t h = static_cast<std::uint64_t>(k.pc) * 0x9E3779B97F4A7C15ULL;
  h ^= (static_cast<std::uint64_t>(k.where) + 0x632BE59BD9B4E019ULL + (h << 6) + (h >> 2));
  h ^= (k.sig + 0x85EBCA77C2B2AE63ULL + (h << 6) + (h >> 2));
  h ^= (static_cast<std::uint64_t>(k.limit) + 0xC2B2AE3D27D4EB4FULL + (h << 6) + (h >> 2));
  h ^= static_cast<std::uint64_t>(k.mode) | (static_cast<std::uint64_t>(k.exit) << 2);
  return static_cast<std::size_t>(h);
}

std::size_t Matcher::SigKeyHash::operator()(const SigKey& k) const {
  std::uint64_t h = static_cast<std::uint64_t>(k.parent) * 0x9E3779B97F4A7C15ULL;
  h ^= static_cast<std::uint64_t>(static_cast<std::uint32_t>(k.group)) * 0xC2B2AE3D27D4EB4FULL;
  h ^= static_cast<std::uint64_t>(static_cast<std::uint32_t>(k.count)) + (h << 6) + (h >> 2);
  return static_cast<std::size_t>(h);
}

std::size_t Matcher::PendingKeyHash::operator()(const PendingKey& k) const {
  std::uint64_t h = static_cast<std::uint64_t>(k.next) * 0x9E3779B97F4A7C15ULL;
  h ^= static_cast<std::uint64_t>(k.pc) + 0x632BE59BD9B4E019ULL + (h << 6) + (h >> 2);
  h ^= static_cast<std::uint64_t>(k.where) + 0x85EBCA77C2B2AE63ULL + (h << 6) + (h >> 2);
  h ^= static_cast<std::uint64_t>(k.limit) + 0xC2B2AE3D27D4EB4FULL + (h << 6) + (h >> 2);
  h ^= static_cast<std::uint64_t>(k.mode) | (static_cast<std::uint64_t>(k.marked) << 2);
  return static_cast<std::size_t>(h);
}

Matcher::Matcher(const CompiledPattern& pattern, std::function<void()> onEmptyWhich)
    : onEmptyWhich_(std::move(onEmptyWhich)) {
  std::size_t head = 0;
  while (head < pattern.size() && pattern[head].kind == TAG_CHAR) ++head;
  leadingChars_ = static_cast<int>(head);
  int groupCounter = 0;
  Emit(pattern, head, groupCounter);
  prog_.push_back({Op::End});
  firstPc_ = 0;
  singleLiteral_ = head == 0 && pattern.size() == 1 && pattern[0].kind == TAG_LITERAL;
  if (head == 0 && pattern.size() == 1 && pattern[0].kind == TAG_REPEAT &&
      pattern[0].body.size() == 1 && pattern[0].body[0].kind == TAG_NUM) {
    digitRunMin_ = groupMin_[0];
  }
  CollectChain(pattern, head);
  // A lone literal is found by the first search anyway; one after a group or a CHAR is not,
  // and without the check each start would walk the group up to where the literal is missing.
  if (chain_.size() == 1 && prog_[firstPc_].op == Op::Atom && prog_[firstPc_].kind == TAG_LITERAL) {
    chain_.clear();
  }
  caches_.resize(prog_.size());
}

Matcher::~Matcher() = default;

void Matcher::Emit(const CompiledPattern& seq, std::size_t from, int& groupCounter) {
  for (std::size_t i = from; i < seq.size(); ++i) {
    const PatternNode& node = seq[i];
    switch (node.kind) {
      case TAG_INTO: {
        const int begin = static_cast<int>(prog_.size());
        prog_.push_back({Op::IntoBegin, node.kind, &node});
        prog_.back().area = node.argument;
        Emit(node.body, 0, groupCounter);
        const int end = static_cast<int>(prog_.size());
        prog_.push_back({Op::IntoEnd, node.kind, &node});
        prog_[end].area = node.argument;
        prog_[end].handOver = EndsWithHandOver(node.body);
        prog_[end].partner = begin;
        prog_[begin].partner = end;
        break;
      }
      case TAG_REPEAT: {
        const int group = groupCounter++;
        groupMin_.push_back(std::max(1, node.argument));
        const int begin = static_cast<int>(prog_.size());
        prog_.push_back({Op::RepBegin, node.kind, &node});
        Emit(node.body, 0, groupCounter);
        const int end = static_cast<int>(prog_.size());
        prog_.push_back({Op::RepEnd, node.kind, &node});
        for (int pc : {begin, end}) {
          prog_[pc].group = group;
          prog_[pc].minCount = groupMin_[group];
        }
        prog_[end].partner = begin;
        prog_[begin].partner = end;
        break;
      }
      default:
        prog_.push_back({Op::Atom, node.kind, &node});
        break;
    }
  }
}

void Matcher::CollectChain(const CompiledPattern& seq, std::size_t from) {
  for (std::size_t i = from; i < seq.size(); ++i) {
    const PatternNode& node = seq[i];
    if (node.kind == TAG_LITERAL) {
      chain_.push_back(node.text);
    } else if (node.kind == TAG_INTO || node.kind == TAG_REPEAT) {
      CollectChain(node.body, 0);
    }
  }
}

void Matcher::Begin(MatchSession& session) {
  session_ = &session;
  const ByteCounts* counts = nullptr;
  for (std::size_t pc = 0; pc < prog_.size(); ++pc) {
    const Instr& ins = prog_[pc];
    std::vector<OccCache>& slots = caches_[pc];
    slots.clear();
    if (ins.op != Op::Atom) continue;
    auto add = [&](std::string_view needle) {
      // Only needles of three bytes or more have rarer bytes to choose.
      if (counts == nullptr && needle.size() > 2) counts = &session.Counts();
      slots.push_back({npos, npos, LiteralFinder(needle, counts)});
    };
    switch (ins.kind) {
      case TAG_WHICH:
      case TAG_NOT:
        for (const std::string& alt : ins.node->alternatives) add(alt);
        break;
      case TAG_LITERAL:
        add(ins.node->text);
        break;
      case TAG_STRS:
        add(kLineBreak);
        break;
      case TAG_NUM:
        slots.push_back({});
        break;
      default:
        break;
    }
  }
  chainCaches_.clear();
  for (const std::string& lit : chain_) {
    if (counts == nullptr && lit.size() > 2) counts = &session.Counts();
    chainCaches_.push_back({npos, npos, LiteralFinder(lit, counts)});
  }
  memo_.Clear();
  sigs_.Clear();
  pendingSigs_.Clear();
  pruneAt_ = kPruneMinimum;
  chainFailFrom_ = npos;
  captures_.clear();
}

// No state before this position can be reached again, in this attempt or a later one: every
// node after the first one the trail holds begins where that one's match ends, and a
// floating search only moves on.
std::size_t Matcher::LiveFrom(std::size_t startPos) const {
  for (const Entry& e : trail_) {
    const Instr& ins = prog_[e.pc];
    if (ins.op != Op::Atom) continue;
    return IsMonotone(e.pc, e.inMode) ? e.matchStart : e.start;
  }
  return startPos;
}

// An attempt from `from` only reaches states at or after it, so what was learnt about earlier
// positions can go; without this the table grows with every match of a long replace-all.
void Matcher::PruneMemo(std::size_t from) {
  if (memo_.Size() < pruneAt_) return;
  memo_.EraseIf([this, from](const MemoKey& k, const MemoValue&) {
    return (k.mode == 1 && k.limit < from) || (!IsMonotone(k.pc, k.mode) && k.where < from);
  });
  // The next pruning, which walks the whole array, waits until a quarter of it was filled.
  pruneAt_ = std::max({kPruneMinimum, 2 * memo_.Size(), memo_.Capacity() / 4});
}

bool Matcher::Find(std::size_t from, std::size_t& matchStart, std::size_t& matchEnd) {
  const std::size_t size = session_->Size();
  while (from < size && !session_->IsBoundary(from)) ++from;  // never begin inside a character
  if (from >= size) return false;

  if (singleLiteral_) {
    const std::string& text = prog_[0].node->text;
    const std::size_t q = NextOccurrence(caches_[0][0], from);
    if (q == npos) return false;
    matchStart = q;
    matchEnd = q + text.size();
    captures_.clear();
    return true;
  }

  if (digitRunMin_ > 0 && shortcuts_) return FindDigitRun(from, matchStart, matchEnd);

  std::size_t pos = from;
  for (int i = 0; i < leadingChars_; ++i) {
    if (pos >= size) return false;
    pos += session_->StepAt(pos);
  }
  if (prog_[firstPc_].op == Op::End) {
    matchStart = from;
    matchEnd = pos;
    captures_.clear();
    return true;
  }
  if (!ChainPossible(pos)) return false;
  PruneMemo(pos);
  if (!Run(pos)) return false;

  std::size_t start = pos;
  for (const Entry& e : trail_) {
    if (prog_[e.pc].op == Op::Atom) {
      start = e.matchStart;
      break;
    }
  }
  for (int i = 0; i < leadingChars_; ++i) start = session_->PreviousBoundary(start);
  matchStart = start;
  matchEnd = endPos_;
  CollectCaptures();
  return true;
}

// A run of at least n digits, taken whole: the first digit of a shorter run can only move on
// to digits of the same run, whose runs are shorter still, so the search resumes after it.
bool Matcher::FindDigitRun(std::size_t from, std::size_t& matchStart, std::size_t& matchEnd) {
  const std::size_t size = session_->Size();
  for (std::size_t q = session_->FindDigit(from); q != npos; q = session_->FindDigit(q)) {
    std::size_t end = q;
    int count = 0;
    for (std::size_t len; end < size && (len = session_->DigitLengthAt(end)) != 0; end += len) {
      ++count;
    }
    if (count >= digitRunMin_) {
      matchStart = q;
      matchEnd = end;
      captures_.clear();
      return true;
    }
    q = end;
  }
  return false;
}

bool Matcher::ChainPossible(std::size_t from) {
  if (chain_.empty() || !shortcuts_) return true;
  if (chainFailFrom_ != npos && from >= chainFailFrom_) return false;
  std::size_t pos = from;
  for (std::size_t k = 0; k < chain_.size(); ++k) {
    const std::size_t at = NextOccurrence(chainCaches_[k], pos);
    if (at == npos) {
      chainFailFrom_ = std::min(chainFailFrom_, from);
      return false;
    }
    pos = at + chain_[k].size();
  }
  return true;
}

bool Matcher::Run(std::size_t startPos) {
  trail_.clear();
  frames_.clear();
  pending_.clear();
  folds_.clear();
  int pc = firstPc_;
  State in;
  in.pos = startPos;
  in.mode = 2;
  for (;;) {
    if (memo_.Size() >= pruneAt_) PruneMemo(LiveFrom(startPos));
    if (prog_[pc].op == Op::End) {
      bool pass = true;
      for (int p = in.pending; p >= 0 && pass; p = pending_[p].next) {
        pass = !AnyAlternativeIn(pending_[p], session_->Size());
      }
      if (pass) {
        endPos_ = in.pos;
        return true;
      }
      if (!Recover(in.frame, Start::Fail, pc, in)) return false;
      continue;
    }
    int memoGroup = -1;
    const Forward r = Step(pc, in, memoGroup);
    if (r == Forward::Pushed) {
      const Entry& e = trail_.back();
      in = OutState(e);
      pc = NextPc(e);
      continue;
    }
    const int frame = r == Forward::Failed ? in.frame : FrameOfGroup(in.frame, memoGroup);
    const Start start = r == Forward::Failed      ? Start::Fail
                        : r == Forward::Exhausted ? Start::Walk
                                                  : Start::End;
    if (!Recover(frame, start, pc, in)) return false;
  }
}

Matcher::Forward Matcher::Step(int pc, const State& in, int& memoGroup) {
  ++steps_;
  const Instr& ins = prog_[pc];
  Entry e;
  e.pc = pc;
  e.inMode = e.outMode = in.mode;
  e.start = e.matchStart = e.matchEnd = in.pos;
  e.inLimit = e.outLimit = in.limit;
  e.inPending = e.outPending = in.pending;
  e.inFrame = e.outFrame = in.frame;
  e.pendingBefore = static_cast<std::uint32_t>(pending_.size());
  e.framesBefore = static_cast<std::uint32_t>(frames_.size());
  e.sigOk = StateSig(in.frame, in.pending, e.sig);
  Forward known = Forward::Pushed;
  auto decided = [&](std::size_t candidateStart) {
    const Verdict v = Consult(e, candidateStart, memoGroup);
    known = v == Verdict::Exhausted ? Forward::Exhausted : Forward::EndGroup;
    return v != Verdict::None;
  };
  if (ins.op == Op::RepEnd && decided(in.pos)) return known;

  switch (ins.op) {
    case Op::IntoBegin:
    case Op::IntoEnd:
      Push(e);
      return Forward::Pushed;
    case Op::RepBegin:
      PushFrame({ins.group, 0, static_cast<int>(trail_.size()), -1, in.frame});
      e.outFrame = static_cast<int>(frames_.size()) - 1;
      Push(e);
      return Forward::Pushed;
    case Op::RepEnd: {
      const Frame fr = frames_[in.frame];
      int repEndIdx = static_cast<int>(trail_.size());
      std::uint32_t foldsBegin = 0;
      bool folded = false;
      // A repetition with nothing left to try folds into the previous one, so long runs of
      // simple repetitions keep the trail short. The previous end is kept as a fold: its
      // outcome is this entry's, and remembering it keeps a later attempt that reaches it
      // from walking the same repetitions again.
      if (fr.lastRepEndIdx >= 0 && in.pending < 0 &&
          RepIsFixed(static_cast<std::size_t>(fr.lastRepEndIdx) + 1)) {
        repEndIdx = fr.lastRepEndIdx;
        const Entry previous = trail_[static_cast<std::size_t>(repEndIdx)];
        TruncateTrail(static_cast<std::size_t>(repEndIdx) + 1);
        trail_.pop_back();
        pending_.resize(previous.pendingBefore);
        frames_.resize(previous.framesBefore);
        folds_.resize(previous.foldsEnd);
        // Every kFoldStride-th end is enough: an attempt that joins the chain of repetitions
        // runs into a remembered end soon after, and long chains cost a fraction of the memory.
        if (Remembered(previous) && previous.inMode == 0 &&
            (fr.count <= groupMin_[fr.group] || fr.count % kFoldStride == 0)) {
          folds_.push_back({previous.start, previous.sig});
        }
        foldsBegin = previous.foldsBegin;
        folded = true;
        e.inFrame = fr.parent;  // the frame it came in with is gone
        e.pendingBefore = static_cast<std::uint32_t>(pending_.size());
        e.framesBefore = static_cast<std::uint32_t>(frames_.size());
      }
      PushFrame({fr.group, fr.count + 1, fr.startIdx, repEndIdx, fr.parent});
      e.outFrame = static_cast<int>(frames_.size()) - 1;
      Push(e);
      if (folded) trail_.back().foldsBegin = foldsBegin;
      return Forward::Pushed;
    }
    case Op::End:
      return Forward::Failed;
    case Op::Atom:
      break;
  }

  if (ins.kind == TAG_NOT && in.mode != 0 && decided(in.pos)) return known;
  switch (ins.kind) {
    case TAG_STR:
      e.outMode = 2;
      e.outLimit = npos;
      e.outPending = MarkPending(in.pending);
      Push(e);
      return Forward::Pushed;
    case TAG_STRS: {
      const std::size_t lineEnd = NextLineBreak(caches_[pc][0], in.pos);
      e.outLimit = lineEnd;
      e.outMode = lineEnd == npos ? 2 : 1;
      e.outPending = MarkPending(in.pending);
      Push(e);
      return Forward::Pushed;
    }
    case TAG_NOT:
      if (in.mode == 0) {
        for (const std::string& alt : ins.node->alternatives) {
          if (session_->WholeAt(in.pos, alt)) return Forward::Failed;
        }
        if (decided(in.pos)) return known;
      } else {
        e.outPending = AddPending(
            {static_cast<int>(trail_.size()), pc, in.pos, in.limit, in.mode, false, in.pending});
      }
      Push(e);
      return Forward::Pushed;
    default:
      break;
  }

  Candidate c;
  if (!FirstCandidate(pc, in, c)) return Forward::Failed;
  if (decided(c.start)) return known;
  Settle(in.pending, c.start);
  e.matchStart = c.start;
  e.matchEnd = c.end;
  e.alt = c.alt;
  e.outMode = 0;
  e.outLimit = npos;
  e.outPending = -1;
  if (ins.kind == TAG_WHICH && in.mode == 0) e.moreAlts = MoreAltsAt(ins, c.start, c.alt);
  Push(e);
  return Forward::Pushed;
}

bool Matcher::Recover(int frame, Start start, int& pc, State& in) {
  for (;;) {
    if (frame < 0 && start == Start::End) start = Start::Walk;
    if (frame >= 0 && start != Start::Walk) {
      const Frame fr = frames_[frame];
      if (fr.count >= groupMin_[fr.group]) {
        // The group ends with its last complete repetition.
        RecordGroupEnd(static_cast<std::size_t>(fr.lastRepEndIdx) + 1, fr.group);
        TruncateTrail(static_cast<std::size_t>(fr.lastRepEndIdx) + 1);
        const Entry last = trail_.back();
        Entry e = last;
        e.exit = true;
        e.sigOk = StateSig(last.outFrame, last.outPending, e.sig);
        e.moreAlts = false;
        e.alt = -1;
        e.inMode = last.outMode;
        e.start = e.matchStart = e.matchEnd = last.matchEnd;
        e.inLimit = last.outLimit;
        e.inPending = last.outPending;
        e.inFrame = last.outFrame;
        e.outFrame = fr.parent;
        e.pendingBefore = static_cast<std::uint32_t>(pending_.size());
        e.framesBefore = static_cast<std::uint32_t>(frames_.size());
        int group = -1;
        const Verdict v = Consult(e, e.start, group);
        if (v != Verdict::None) {
          // What follows the group was tried from here before.
          frame = FrameOfGroup(last.outFrame, group);
          start = v == Verdict::Exhausted ? Start::Walk : Start::End;
          continue;
        }
        Push(e);
        in = OutState(trail_.back());
        pc = NextPc(trail_.back());
        return true;
      }
    }
    int limitStart = frame < 0 ? -1 : frames_[frame].startIdx;
    int endFrame = -1;
    const WalkResult r = Walk(limitStart, pc, in, endFrame);
    if (r == WalkResult::Resumed) return true;
    if (r == WalkResult::EndGroup) {
      frame = endFrame;
      start = Start::End;
      continue;
    }
    if (limitStart < 0) return false;
    // Nothing inside the group can change: the group itself fails.
    const int parent = trail_[static_cast<std::size_t>(limitStart)].inFrame;
    TruncateTrail(static_cast<std::size_t>(limitStart));
    frame = parent;
    start = Start::Fail;
  }
}

Matcher::WalkResult Matcher::Walk(int& limitStart, int& pc, State& in, int& endFrame) {
  int group = limitStart < 0 ? -1 : prog_[trail_[limitStart].pc].group;
  std::size_t limitIdx = limitStart < 0 ? 0 : static_cast<std::size_t>(limitStart) + 1;
  while (trail_.size() > limitIdx) {
    Entry& e = trail_.back();
    int memoGroup = -1;
    const Change r = TryChange(e, memoGroup);
    if (r == Change::Changed) {
      in = OutState(e);
      pc = NextPc(e);
      return WalkResult::Resumed;
    }
    if (r == Change::EndGroup) {
      endFrame = FrameOfGroup(e.inFrame, memoGroup);
      return WalkResult::EndGroup;
    }
    if (r == Change::Exhausted) {
      // Every remaining choice of this node was tried before from here; the backtracking
      // that followed was bounded by memoGroup.
      const int f = FrameOfGroup(e.inFrame, memoGroup);
      limitStart = f < 0 ? -1 : frames_[f].startIdx;
      group = f < 0 ? -1 : memoGroup;
      limitIdx = limitStart < 0 ? 0 : static_cast<std::size_t>(limitStart) + 1;
    }
    RecordExhausted(e, group);
    TruncateTrail(trail_.size() - 1);
  }
  return WalkResult::Exhausted;
}

Matcher::Change Matcher::TryChange(Entry& e, int& memoGroup) {
  ++steps_;
  const Instr& ins = prog_[e.pc];
  if (ins.op != Op::Atom) return Change::Fixed;
  if (ins.kind == TAG_STR || ins.kind == TAG_STRS || ins.kind == TAG_NOT) return Change::Fixed;
  State in;
  in.pos = e.start;
  in.limit = e.inLimit;
  in.mode = e.inMode;
  in.pending = e.inPending;
  in.frame = e.inFrame;

  Candidate c;
  bool found = false;
  if (ins.kind == TAG_WHICH) found = WhichAt(ins, e.matchStart, e.alt, c);
  if (!found && in.mode != 0) {
    const std::size_t next = e.matchStart + session_->StepAt(e.matchStart);
    if (ins.kind == TAG_CHAR) {
      for (std::size_t pos = next; pos < session_->Size(); pos += session_->StepAt(pos)) {
        const NotResult r = CheckPending(in.pending, pos);
        if (r == NotResult::Fail) break;
        if (r == NotResult::Pass) {
          c = {pos, pos + session_->StepAt(pos), -1};
          found = true;
          break;
        }
      }
    } else {
      found = SearchFrom(e.pc, in, next, c);
    }
    if (found) {
      const Verdict v = Consult(e, c.start, memoGroup);
      if (v == Verdict::Exhausted) return Change::Exhausted;
      if (v == Verdict::EndGroup) {
        e.matchStart = c.start;
        return Change::EndGroup;
      }
    }
  }
  if (!found) return Change::Fixed;
  Settle(in.pending, c.start);
  e.matchStart = c.start;
  e.matchEnd = c.end;
  e.alt = c.alt;
  e.moreAlts = ins.kind == TAG_WHICH && in.mode == 0 && MoreAltsAt(ins, c.start, c.alt);
  return Change::Changed;
}

bool Matcher::FirstCandidate(int pc, const State& in, Candidate& c) {
  const Instr& ins = prog_[pc];
  const std::size_t size = session_->Size();
  if (ins.kind == TAG_WHICH && ins.node->alternatives.empty()) {
    onEmptyWhich_();
    return false;
  }
  if (ins.kind == TAG_CHAR) {
    // CHAR takes the character where it stands; floating, it moves only when backtracked.
    for (std::size_t pos = in.pos; pos < size; pos += session_->StepAt(pos)) {
      const NotResult r = CheckPending(in.pending, pos);
      if (r == NotResult::Pass) {
        c = {pos, pos + session_->StepAt(pos), -1};
        return true;
      }
      if (r == NotResult::Fail || in.mode == 0) return false;
    }
    return false;
  }
  if (in.mode != 0) return SearchFrom(pc, in, in.pos, c);

  switch (ins.kind) {
    case TAG_LITERAL:
      if (!session_->WholeAt(in.pos, ins.node->text)) return false;
      c = {in.pos, in.pos + ins.node->text.size(), -1};
      break;
    case TAG_NUM: {
      const std::size_t len = in.pos < size ? session_->DigitLengthAt(in.pos) : 0;
      if (len == 0) return false;
      c = {in.pos, in.pos + len, -1};
      break;
    }
    case TAG_WHICH:
      if (!WhichAt(ins, in.pos, -1, c)) return false;
      break;
    default:
      return false;
  }
  return CheckPending(in.pending, c.start) == NotResult::Pass;
}

bool Matcher::SearchFrom(int pc, const State& in, std::size_t from, Candidate& c) {
  for (;;) {
    if (!FindRaw(pc, in, from, c)) return false;
    const NotResult r = CheckPending(in.pending, c.start);
    if (r == NotResult::Pass) return true;
    if (r == NotResult::Fail) return false;
    from = c.start + session_->StepAt(c.start);
  }
}

bool Matcher::FindRaw(int pc, const State& in, std::size_t from, Candidate& c) {
  const Instr& ins = prog_[pc];
  switch (ins.kind) {
    case TAG_LITERAL: {
      const std::size_t q = NextOccurrence(caches_[pc][0], from);
      if (q == npos || (in.mode == 1 && q > in.limit)) return false;
      c = {q, q + ins.node->text.size(), -1};
      return true;
    }
    case TAG_NUM: {
      const std::size_t q = NextDigit(caches_[pc][0], from);
      if (q == npos || (in.mode == 1 && q >= in.limit)) return false;
      c = {q, q + session_->DigitLengthAt(q), -1};
      return true;
    }
    case TAG_WHICH: {
      const auto& alts = ins.node->alternatives;
      std::size_t best = npos;
      int bestAlt = -1;
      for (std::size_t i = 0; i < alts.size(); ++i) {
        const std::size_t q = NextOccurrence(caches_[pc][i], from);
        if (q < best) {
          best = q;
          bestAlt = static_cast<int>(i);
        }
      }
      if (best == npos || (in.mode == 1 && best > in.limit)) return false;
      c = {best, best + alts[static_cast<std::size_t>(bestAlt)].size(), bestAlt};
      return true;
    }
    default:
      return false;
  }
}

bool Matcher::WhichAt(const Instr& ins, std::size_t pos, int after, Candidate& c) const {
  const auto& alts = ins.node->alternatives;
  for (std::size_t i = static_cast<std::size_t>(after + 1); i < alts.size(); ++i) {
    if (session_->WholeAt(pos, alts[i])) {
      c = {pos, pos + alts[i].size(), static_cast<int>(i)};
      return true;
    }
  }
  return false;
}

bool Matcher::MoreAltsAt(const Instr& ins, std::size_t pos, int after) const {
  Candidate unused;
  return WhichAt(ins, pos, after, unused);
}

Matcher::NotResult Matcher::CheckPending(int head, std::size_t matchStart) {
  bool retry = false;
  for (int p = head; p >= 0; p = pending_[p].next) {
    const Pending& item = pending_[p];
    if (matchStart == item.pos) continue;  // an empty gap settles it
    if (item.marked) {
      if (AnyAlternativeIn(item, matchStart)) return NotResult::Fail;
    } else if (GapEndsWithAlternative(item, matchStart)) {
      retry = true;
    }
  }
  return retry ? NotResult::Retry : NotResult::Pass;
}

void Matcher::Settle(int head, std::size_t matchStart) {
  // Without a variable gap, a match that begins with the NOT begins at the node tested.
  for (int p = head; p >= 0; p = pending_[p].next) {
    if (!pending_[p].marked) trail_[static_cast<std::size_t>(pending_[p].entryIdx)].matchStart =
        matchStart;
  }
}

bool Matcher::AnyAlternativeIn(const Pending& item, std::size_t to) {
  const auto& alts = prog_[item.pc].node->alternatives;
  for (std::size_t i = 0; i < alts.size(); ++i) {
    const std::size_t q = NextOccurrence(caches_[item.pc][i], item.pos);
    if (q == npos || q + alts[i].size() > to) continue;
    if (item.mode == 1 && q > item.limit) continue;
    return true;
  }
  return false;
}

bool Matcher::GapEndsWithAlternative(const Pending& item, std::size_t matchStart) {
  const std::string_view text = session_->Compare();
  for (const std::string& alt : prog_[item.pc].node->alternatives) {
    if (matchStart - item.pos < alt.size()) continue;
    const std::size_t at = matchStart - alt.size();
    if (text.compare(at, alt.size(), alt) == 0 && session_->IsBoundary(at)) return true;
  }
  return false;
}

int Matcher::MarkPending(int head) {
  bool allMarked = true;
  for (int p = head; p >= 0; p = pending_[p].next) allMarked = allMarked && pending_[p].marked;
  if (allMarked) return head;
  // Copied from the last record to the first, so each copy links to its copied successor.
  std::vector<int> order;
  for (int p = head; p >= 0; p = pending_[p].next) order.push_back(p);
  int next = -1;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    Pending copy = pending_[static_cast<std::size_t>(*it)];
    copy.marked = true;
    copy.next = next;
    next = AddPending(copy);
  }
  return next;
}

std::size_t Matcher::UnmarkedReach(int head) const {
  std::size_t reach = 0;
  for (int p = head; p >= 0; p = pending_[static_cast<std::size_t>(p)].next) {
    const Pending& item = pending_[static_cast<std::size_t>(p)];
    if (item.marked) continue;
    for (const std::string& alt : prog_[item.pc].node->alternatives) {
      reach = std::max(reach, alt.size());
    }
  }
  return reach;
}

int Matcher::AddPending(Pending item) {
  if (item.marked) {
    const auto& alts = prog_[item.pc].node->alternatives;
    item.reach = npos;
    for (std::size_t i = 0; i < alts.size(); ++i) {
      const std::size_t q = NextOccurrence(caches_[item.pc][i], item.pos);
      if (q == npos || (item.mode == 1 && q > item.limit)) continue;
      item.reach = std::min(item.reach, q + alts[i].size());
    }
  }
  if (shortcuts_) item.sig = PendingSig(item);
  pending_.push_back(item);
  return static_cast<int>(pending_.size()) - 1;
}

// Numbers each list of pending NOTs by what decides its future: for a marked record only its
// reach; an unmarked one always stands where the state holding it starts (nothing between the
// NOT and the next match consumes text), so its kind and line are enough.
std::uint32_t Matcher::PendingSig(const Pending& item) {
  PendingKey key;
  key.next = item.next < 0 ? 0 : pending_[static_cast<std::size_t>(item.next)].sig;
  key.pc = item.pc;
  key.marked = item.marked;
  if (item.marked) {
    key.where = item.reach;
  } else {
    key.mode = item.mode;
    key.limit = item.mode == 1 ? item.limit : 0;
  }
  std::uint32_t& id = pendingSigs_[key];
  if (id == 0) id = static_cast<std::uint32_t>(pendingSigs_.Size());
  return id;
}

std::size_t Matcher::NextOccurrence(OccCache& cache, std::size_t from) {
  if (cache.from != npos && cache.from <= from && (cache.at == npos || from <= cache.at)) {
    return cache.at;
  }
  const std::size_t at = session_->FindAligned(cache.finder, from);
  cache.from = from;
  cache.at = at;
  return at;
}

std::size_t Matcher::NextDigit(OccCache& cache, std::size_t from) {
  if (cache.from != npos && cache.from <= from && (cache.at == npos || from <= cache.at)) {
    return cache.at;
  }
  const std::size_t at = session_->FindDigit(from);
  cache.from = from;
  cache.at = at;
  return at;
}

std::size_t Matcher::NextLineBreak(OccCache& cache, std::size_t from) {
  return NextOccurrence(cache, from);
}

bool Matcher::IsMonotone(int pc, std::uint8_t mode) const {
  const Instr& ins = prog_[pc];
  return mode != 0 && ins.op == Op::Atom &&
         (ins.kind == TAG_LITERAL || ins.kind == TAG_NUM || ins.kind == TAG_CHAR ||
          ins.kind == TAG_WHICH);
}

bool Matcher::StateSig(int frame, int pending, std::uint64_t& sig) const {
  const std::uint64_t counts = frame < 0 ? 0 : frames_[frame].sig;
  const std::uint64_t nots = pending < 0 ? 0 : pending_[static_cast<std::size_t>(pending)].sig;
  sig = counts | (nots << 32);
  return true;
}

// Numbers each sequence of capped counts, outermost group first, as it first occurs: any
// depth of nesting gets an exact key of one word. Repetition counts matter only up to each
// group's minimum.
std::uint32_t Matcher::SigOf(int parentFrame, int group, int count) {
  const SigKey key{parentFrame < 0 ? 0 : frames_[parentFrame].sig, group,
                   std::min(count, groupMin_[group])};
  std::uint32_t& id = sigs_[key];
  if (id == 0) id = static_cast<std::uint32_t>(sigs_.Size());
  return id;
}

void Matcher::PushFrame(Frame frame) {
  frame.sig = SigOf(frame.parent, frame.group, frame.count);
  frames_.push_back(frame);
}

Matcher::MemoKey Matcher::KeyOf(int pc, bool exit, std::uint8_t mode, std::size_t start,
                                std::size_t limit, std::uint64_t sig) const {
  MemoKey key;
  key.pc = pc;
  key.exit = exit;
  key.mode = mode;
  key.where = IsMonotone(pc, mode) ? 0 : start;
  key.limit = mode == 1 ? limit : 0;
  key.sig = sig;
  return key;
}

// A state's outcome depends only on its key: every continuation failed, or one ended an
// enclosing repeat group. A floating search's choices from a later start are a suffix of its
// choices from an earlier one, so what was learnt covers those starts too.
bool Matcher::Remembered(const Entry& e) const {
  // STR, STRS and the storage and repeat openings hand their state on unchanged in kind;
  // the node after them remembers for them.
  if (!shortcuts_ || !e.sigOk) return false;
  const Instr& ins = prog_[e.pc];
  return ins.op == Op::RepEnd ||
         (ins.op == Op::Atom && ins.kind != TAG_STR && ins.kind != TAG_STRS);
}

Matcher::Verdict Matcher::Consult(const Entry& e, std::size_t candidateStart, int& group) const {
  if (memo_.Empty() || !Remembered(e)) return Verdict::None;
  const MemoValue* found = memo_.Find(KeyOf(e.pc, e.exit, e.inMode, e.start, e.inLimit, e.sig));
  if (found == nullptr) return Verdict::None;
  const MemoValue& v = *found;
  // A floating search shares what it learnt across starts; with an unmarked NOT pending, the
  // NOT's check of a candidate depends on the start until the gap is as long as its longest
  // alternative, so nearer candidates are tried afresh.
  if (IsMonotone(e.pc, e.inMode) && candidateStart - e.start < UnmarkedReach(e.inPending)) {
    return Verdict::None;
  }
  if (v.failFrom != npos && candidateStart >= v.failFrom) {
    group = v.failGroup;
    return Verdict::Exhausted;
  }
  if (v.truncFrom != npos && candidateStart >= v.truncFrom && candidateStart <= v.truncTo) {
    group = v.truncGroup;
    return Verdict::EndGroup;
  }
  return Verdict::None;
}

void Matcher::RecordExhausted(const Entry& e, int group) {
  if (!Remembered(e)) return;
  RecordFailure(KeyOf(e.pc, e.exit, e.inMode, e.start, e.inLimit, e.sig),
                IsMonotone(e.pc, e.inMode) ? e.start : 0, group);
  for (std::uint32_t i = e.foldsBegin; i < e.foldsEnd; ++i) {
    RecordFailure(KeyOf(e.pc, false, 0, folds_[i].start, 0, folds_[i].sig), 0, group);
  }
}

void Matcher::RecordFailure(const MemoKey& key, std::size_t from, int group) {
  MemoValue& v = memo_[key];
  if (v.failFrom == npos || from < v.failFrom) {
    v.failFrom = from;
    v.failGroup = group;
  }
}

void Matcher::RecordGroupEnd(std::size_t fromIdx, int group) {
  // Every attempt cut off by a group's end led, after its failed choices, to that end.
  for (std::size_t i = fromIdx; i < trail_.size(); ++i) {
    const Entry& e = trail_[i];
    if (!Remembered(e)) continue;
    const bool monotone = IsMonotone(e.pc, e.inMode);
    RecordEnd(KeyOf(e.pc, e.exit, e.inMode, e.start, e.inLimit, e.sig), monotone ? e.start : 0,
              monotone ? e.matchStart : npos, group);
    for (std::uint32_t f = e.foldsBegin; f < e.foldsEnd; ++f) {
      RecordEnd(KeyOf(e.pc, false, 0, folds_[f].start, 0, folds_[f].sig), 0, npos, group);
    }
  }
}

void Matcher::RecordEnd(const MemoKey& key, std::size_t from, std::size_t to, int group) {
  MemoValue& v = memo_[key];
  if (v.truncFrom != npos && from <= v.truncTo && v.truncFrom <= to && v.truncGroup == group) {
    from = std::min(from, v.truncFrom);
    to = std::max(to, v.truncTo);
  }
  v.truncFrom = from;
  v.truncTo = to;
  v.truncGroup = group;
}

int Matcher::FrameOfGroup(int frame, int group) const {
  if (group < 0) return -1;
  for (int f = frame; f >= 0; f = frames_[f].parent) {
    if (frames_[f].group == group) return f;
  }
  return -1;
}

void Matcher::Push(Entry e) {
  e.foldsBegin = e.foldsEnd = static_cast<std::uint32_t>(folds_.size());
  trail_.push_back(e);
}

void Matcher::TruncateTrail(std::size_t size) {
  if (size >= trail_.size()) return;
  pending_.resize(trail_[size].pendingBefore);
  frames_.resize(trail_[size].framesBefore);
  folds_.resize(trail_[size].foldsBegin);
  trail_.resize(size);
}

Matcher::State Matcher::OutState(const Entry& e) const {
  State s;
  s.pos = e.matchEnd;
  s.limit = e.outLimit;
  s.mode = e.outMode;
  s.pending = e.outPending;
  s.frame = e.outFrame;
  return s;
}

int Matcher::NextPc(const Entry& e) const {
  const Instr& ins = prog_[e.pc];
  if (ins.op == Op::RepEnd && !e.exit) return ins.partner + 1;
  return e.pc + 1;
}

bool Matcher::RepIsFixed(std::size_t from) const {
  for (std::size_t i = from; i < trail_.size(); ++i) {
    const Entry& e = trail_[i];
    const Instr& ins = prog_[e.pc];
    if (ins.op != Op::Atom) continue;
    switch (ins.kind) {
      case TAG_LITERAL:
      case TAG_NUM:
      case TAG_CHAR:
        if (e.inMode != 0) return false;
        break;
      case TAG_WHICH:
        if (e.inMode != 0 || e.moreAlts) return false;
        break;
      default:
        break;
    }
  }
  return true;
}

void Matcher::CollectCaptures() {
  captures_.clear();
  const std::size_t n = trail_.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Instr& ins = prog_[trail_[i].pc];
    if (ins.op != Op::IntoBegin) continue;
    std::size_t j = i + 1;
    while (j < n && prog_[trail_[j].pc].op != Op::Atom) ++j;
    std::size_t k = i + 1;
    while (k < n && trail_[k].pc != ins.partner) ++k;
    const std::size_t start = j < k ? trail_[j].matchStart : trail_[i].start;
    std::size_t end = k < n ? trail_[k].start : endPos_;
    if (k < n && prog_[ins.partner].handOver) {
      // A body ending in STR or STRS reaches up to where the following node matched.
      std::size_t m = k + 1;
      while (m < n && prog_[trail_[m].pc].op != Op::Atom) ++m;
      if (m < n) end = trail_[m].matchStart;
    }
    captures_.push_back({ins.area, start, std::max(start, end)});
  }
  std::sort(captures_.begin(), captures_.end(),
            [](const Capture& a, const Capture& b) { return a.area < b.area; });
}

}  // namespace norra

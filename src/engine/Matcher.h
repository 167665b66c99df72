// The matcher: finds the first match of a compiled pattern at or after a position by walking
// its nodes left to right, each anchored or floating, and backtracking to the nearest node
// that can move or take another alternative. Repeat groups are greedy; NOT tags look ahead
// when anchored and check the skipped gap when floating.
//
// Backtracking is bounded: a state (node, position, repetition counts up to each minimum,
// pending NOT checks) whose every continuation failed is remembered (floating states for all
// later starts too), failed searches are cached, and a literal the pattern needs but the text
// lacks ends the attempt before it starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/FlatHashMap.h"
#include "engine/LiteralFinder.h"
#include "engine/MatchSession.h"
#include "engine/PatternNode.h"

namespace norra {

class Matcher {
 public:
  struct Capture {
    int area = 0;  // 1-26
    std::size_t start = 0;
    std::size_t end = 0;
  };

  // `onEmptyWhich` is called when a match reaches a WHICH tag without alternatives; it must
  // throw (the engine shows its message and abandons the operation).
  Matcher(const CompiledPattern& pattern, std::function<void()> onEmptyWhich);
  ~Matcher();

  // Starts work on a text; the session must outlive the following Find calls.
  void Begin(MatchSession& session);

  // First match starting at or after 0-based `from`; [matchStart, matchEnd) on success.
  bool Find(std::size_t from, std::size_t& matchStart, std::size_t& matchEnd);

  // Without the remembered outcomes and the required-literal check the matcher explores every
  // choice; the answers must not change (tests compare the two).
  void SetShortcuts(bool on) { shortcuts_ = on; }

  // Node attempts (forward steps and backtracking changes) since construction: the measure of
  // the matcher's work, which stays near linear in the text for every pattern.
  std::uint64_t Steps() const { return steps_; }

  // Storage areas filled by the last successful Find, in area order.
  const std::vector<Capture>& Captures() const { return captures_; }

 private:
  enum class Op : std::uint8_t { Atom, IntoBegin, IntoEnd, RepBegin, RepEnd, End };
  enum class Change { Changed, Fixed, Exhausted, EndGroup };
  enum class NotResult { Pass, Retry, Fail };

  struct Instr {
    Op op = Op::End;
    int kind = 0;
    const PatternNode* node = nullptr;
    int partner = -1;       // RepBegin <-> RepEnd, IntoBegin <-> IntoEnd
    int group = -1;         // repeat group number
    int minCount = 0;       // RepBegin/RepEnd
    int area = 0;           // IntoBegin/IntoEnd
    bool handOver = false;  // IntoEnd: the body ends with STR or STRS
  };
  struct State {
    std::size_t pos = 0;
    std::size_t limit = MatchSession::npos;  // line limit in mode 1
    std::uint8_t mode = 2;                   // 0 anchored, 1 floating within the line, 2 floating
    int pending = -1;                        // pending NOT list
    int frame = -1;                          // innermost active repeat frame
  };
  struct Entry {
    int pc = 0;
    bool exit = false;      // RepEnd entry that ends its group
    bool moreAlts = false;  // anchored WHICH: a later alternative also fits here
    std::uint8_t inMode = 0;
    std::uint8_t outMode = 0;
    int alt = -1;
    std::size_t start = 0;
    std::size_t inLimit = MatchSession::npos;
    std::size_t matchStart = 0;
    std::size_t matchEnd = 0;  // also the position handed on
    std::size_t outLimit = MatchSession::npos;
    int inPending = -1;
    int outPending = -1;
    int inFrame = -1;
    int outFrame = -1;
    std::uint32_t pendingBefore = 0;
    std::uint32_t framesBefore = 0;
    bool sigOk = false;     // the memo key could be formed
    std::uint64_t sig = 0;  // capped repetition counts of the enclosing groups, pending NOTs
    // RepEnd: the earlier repetition ends folded into this one, folds_[foldsBegin, foldsEnd).
    std::uint32_t foldsBegin = 0;
    std::uint32_t foldsEnd = 0;
  };
  struct Frame {
    int group = 0;
    int count = 0;  // completed repetitions
    int startIdx = 0;
    int lastRepEndIdx = -1;
    int parent = -1;
    std::uint32_t sig = 0;  // this frame's and its parents' counts, as SigOf numbers them
  };
  // The end of a repetition that had nothing left to try, folded into the next one: it leads
  // to the same outcome as the entry that holds it.
  struct Fold {
    std::size_t start = 0;
    std::uint64_t sig = 0;
  };
  // One enclosing group's capped count on top of the signature of the groups around it.
  struct SigKey {
    std::uint32_t parent = 0;
    int group = 0;
    int count = 0;
    bool operator==(const SigKey&) const = default;
  };
  struct SigKeyHash {
    std::size_t operator()(const SigKey& k) const;
  };
  struct Pending {
    int entryIdx = 0;
    int pc = 0;
    std::size_t pos = 0;
    std::size_t limit = MatchSession::npos;
    std::uint8_t mode = 2;
    bool marked = false;  // an STR or STRS followed: the gap is variable
    int next = -1;
    // Marked: the end of the first alternative the gap could hold (a match node starting at
    // or after it is taken back), npos when none; all that decides the record from then on.
    std::size_t reach = MatchSession::npos;
    std::uint32_t sig = 0;  // this record and the ones after it, as PendingSig numbers them
  };
  struct PendingKey {
    std::uint32_t next = 0;
    int pc = 0;
    bool marked = false;
    std::uint8_t mode = 0;
    std::size_t where = 0;  // unmarked: the NOT's position; marked: its reach
    std::size_t limit = 0;
    bool operator==(const PendingKey&) const = default;
  };
  struct PendingKeyHash {
    std::size_t operator()(const PendingKey& k) const;
  };
  // The last search of one needle: from `from` the next occurrence is `at`.
  struct OccCache {
    std::size_t from = MatchSession::npos;
    std::size_t at = MatchSession::npos;
    LiteralFinder finder;
  };
  struct Candidate {
    std::size_t start = 0;
    std::size_t end = 0;
    int alt = -1;
  };
  struct MemoKey {
    int pc = 0;
    bool exit = false;
    std::uint8_t mode = 0;
    std::size_t where = 0;  // the start, except for floating searches (any later start)
    std::size_t limit = 0;  // line limit in mode 1
    std::uint64_t sig = 0;  // capped repetition counts of the enclosing groups
    bool operator==(const MemoKey&) const = default;
  };
  struct MemoKeyHash {
    std::size_t operator()(const MemoKey& k) const;
  };
  // What became of every continuation of a state: all failed (for a floating search, from
  // failFrom on), or a candidate in [truncFrom, truncTo] ended the repeat group truncGroup
  // at its last complete repetition.
  struct MemoValue {
    std::size_t failFrom = MatchSession::npos;
    int failGroup = -1;  // the group bounding the backtracking that passed it, -1 for none
    std::size_t truncFrom = MatchSession::npos;
    std::size_t truncTo = 0;
    int truncGroup = -1;
  };

  void Emit(const CompiledPattern& seq, std::size_t from, int& groupCounter);
  void CollectChain(const CompiledPattern& seq, std::size_t from);

  bool Run(std::size_t startPos);
  enum class Forward { Pushed, Failed, Exhausted, EndGroup };
  enum class Verdict { None, Exhausted, EndGroup };
  enum class Start { Fail, Walk, End };
  enum class WalkResult { Resumed, Exhausted, EndGroup };
  Forward Step(int pc, const State& in, int& memoGroup);
  bool Recover(int frame, Start start, int& pc, State& in);
  WalkResult Walk(int& limitStart, int& pc, State& in, int& endFrame);
  Change TryChange(Entry& e, int& memoGroup);

  bool FirstCandidate(int pc, const State& in, Candidate& c);
  bool SearchFrom(int pc, const State& in, std::size_t from, Candidate& c);
  bool FindRaw(int pc, const State& in, std::size_t from, Candidate& c);
  bool WhichAt(const Instr& ins, std::size_t pos, int after, Candidate& c) const;
  bool MoreAltsAt(const Instr& ins, std::size_t pos, int after) const;
  NotResult CheckPending(int head, std::size_t matchStart);
  void Settle(int head, std::size_t matchStart);
  bool AnyAlternativeIn(const Pending& item, std::size_t to);
  bool GapEndsWithAlternative(const Pending& item, std::size_t matchStart);
  int MarkPending(int head);
  int AddPending(Pending item);
  std::size_t UnmarkedReach(int head) const;
  std::uint32_t PendingSig(const Pending& item);

  std::size_t NextOccurrence(OccCache& cache, std::size_t from);
  std::size_t NextDigit(OccCache& cache, std::size_t from);
  std::size_t NextLineBreak(OccCache& cache, std::size_t from);

  bool IsMonotone(int pc, std::uint8_t mode) const;
  bool StateSig(int frame, int pending, std::uint64_t& sig) const;
  std::uint32_t SigOf(int parentFrame, int group, int count);
  void PushFrame(Frame frame);
  MemoKey KeyOf(int pc, bool exit, std::uint8_t mode, std::size_t start, std::size_t limit,
                std::uint64_t sig) const;
  bool Remembered(const Entry& e) const;
  Verdict Consult(const Entry& e, std::size_t candidateStart, int& group) const;
  void RecordExhausted(const Entry& e, int group);
  void RecordFailure(const MemoKey& key, std::size_t from, int group);
  void RecordGroupEnd(std::size_t fromIdx, int group);
  void RecordEnd(const MemoKey& key, std::size_t from, std::size_t to, int group);
  int FrameOfGroup(int frame, int group) const;
  int GroupOfFrame(int frame) const { return frame < 0 ? -1 : frames_[frame].group; }

  void Push(Entry e);
  void TruncateTrail(std::size_t size);
  State OutState(const Entry& e) const;
  int NextPc(const Entry& e) const;
  bool RepIsFixed(std::size_t from) const;
  bool ChainPossible(std::size_t from);
  void PruneMemo(std::size_t from);
  std::size_t LiveFrom(std::size_t startPos) const;
  bool FindDigitRun(std::size_t from, std::size_t& matchStart, std::size_t& matchEnd);
  void CollectCaptures();

  std::vector<Instr> prog_;
  int firstPc_ = 0;
  int leadingChars_ = 0;
  bool singleLiteral_ = false;
  int digitRunMin_ = 0;  // the pattern is one repeat of a lone digit tag, at least this often
  std::vector<int> groupMin_;
  std::vector<std::string> chain_;  // literals every match contains, in order
  std::function<void()> onEmptyWhich_;

  MatchSession* session_ = nullptr;
  std::vector<std::vector<OccCache>> caches_;  // per instruction (per alternative)
  std::vector<OccCache> chainCaches_;           // per literal of chain_
  FlatHashMap<MemoKey, MemoValue, MemoKeyHash> memo_;
  FlatHashMap<SigKey, std::uint32_t, SigKeyHash> sigs_;  // numbers the count signatures
  FlatHashMap<PendingKey, std::uint32_t, PendingKeyHash> pendingSigs_;
  std::vector<Fold> folds_;
  std::size_t pruneAt_ = 0;  // memo size that makes the next attempt drop dead entries
  std::size_t chainFailFrom_ = MatchSession::npos;
  bool shortcuts_ = true;
  std::uint64_t steps_ = 0;

  std::vector<Entry> trail_;
  std::vector<Frame> frames_;
  std::vector<Pending> pending_;
  std::size_t endPos_ = 0;
  std::vector<Capture> captures_;
};

}  // namespace norra

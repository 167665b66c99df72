// The worker pool of a hit list: files taken one at a time from a shared counter, results put
// back in their place in the list and handed out in order.
#include "findreplace/HitListRun.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <string_view>

#include "engine/SearchEngine.h"
#include "text/SearchFileText.h"
#include "findreplace/ConfinedFolder.h"
#include "findreplace/LineBreaks.h"
#include "findreplace/LineExcerpt.h"
#include "findreplace/LineLocator.h"
#include "text/Encoding.h"

namespace norra {

namespace {

constexpr int kWorkerNiceness = 5;

std::uint32_t Narrow(std::size_t value) {
  return static_cast<std::uint32_t>(std::min<std::size_t>(value, UINT32_MAX));
}

// The hits of spans (offsets in the text the engine saw) as lines, columns and excerpts of
// `original`, the text as it is held.
void AddHits(std::string_view original, Charset charset, const std::vector<MatchSpan>& spans,
             std::uint32_t file, std::vector<ListedHit>& hits) {
  const auto shown = [charset](std::string_view piece) {
    return charset == Charset::Cp932 ? Cp932ToUtf8(piece) : std::string(piece);
  };
  LineLocator locator(original);
  LineExcerpt excerpt;
  hits.reserve(hits.size() + spans.size());
  for (const MatchSpan& span : spans) {
    const LineLocator::Place start = locator.Locate(span.offset);
    const std::size_t end = locator.Locate(span.offset + span.length).originalOffset;
    ListedHit hit;
    hit.file = file;
    hit.line = Narrow(start.line);
    hit.column = Narrow(start.column);
    hit.length = Narrow(end - start.originalOffset);
    // The excerpt in three pieces, so the mark falls on the hit's characters in UTF-8 too.
    const std::size_t at = start.column - 1;
    const std::string piece = excerpt.For(start.lineText, at);
    const std::size_t from = excerpt.PieceStart();
    const std::size_t lead = from > 0 ? LineExcerpt::kCut.size() : 0;
    const std::string_view pieceView(piece);
    const std::size_t hitIn = lead + (at - from);
    const std::size_t contentEnd = lead + (excerpt.PieceEnd() - from);
    const std::size_t hitEnd = std::min(hitIn + (end - start.originalOffset), contentEnd);
    std::string before = shown(pieceView.substr(0, hitIn));
    const std::string marked = shown(pieceView.substr(hitIn, std::max(hitIn, hitEnd) - hitIn));
    hit.markStart = Narrow(before.size());
    hit.markLength = Narrow(marked.size());
    before += marked;
    before += shown(pieceView.substr(std::max(hitIn, hitEnd)));
    hit.excerpt = std::move(before);
    hits.push_back(std::move(hit));
  }
}

}  // namespace

HitListRun::HitListRun(std::vector<HitSource> sources, Pattern pattern, unsigned workers,
                       std::string folderRun)
    : sources_(std::move(sources)), pattern_(std::move(pattern)), folderRun_(std::move(folderRun)) {
  if (workers == 0) workers = std::max(1u, std::thread::hardware_concurrency());
  workers = static_cast<unsigned>(std::clamp<std::size_t>(sources_.size(), 1, workers));
  engines_.resize(workers);
  results_.resize(sources_.size());
}

HitListRun::~HitListRun() {
  Stop();
  Wait();
}

CompileResult HitListRun::Compile(const Clock& clock) {
  for (std::unique_ptr<SearchEngine>& engine : engines_) {
    engine = std::make_unique<SearchEngine>(pattern_.symbols, clock);
    engine->MatchCase = pattern_.matchCase;
    engine->Folds = pattern_.folds;
    CompileResult compiled = engine->Compile(pattern_.findText);
    if (!compiled) return compiled;
    engine->RunReset();
  }
  return CompileResult{};
}

void HitListRun::Start() {
  // Files of Pages with edits are told by their identity too: a list may name them by a link.
  pageIdentities_.resize(pageTexts_.size());
  for (std::size_t i = 0; i < pageTexts_.size(); ++i) {
    if (!IdentifyFile(pageTexts_[i].path, pageIdentities_[i])) pageIdentities_[i] = FileIdentity{};
  }
  running_ = static_cast<unsigned>(engines_.size());
  threads_.reserve(engines_.size());
  for (std::size_t worker = 0; worker < engines_.size(); ++worker)
    threads_.emplace_back([this, worker] { Work(worker); });
}

void HitListRun::Stop() { stop_ = true; }

void HitListRun::Wait() {
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void HitListRun::Work(std::size_t worker) {
  // Below the thread that started them: the window showing the list answers the user first.
  // (On Linux a thread has a priority of its own; elsewhere this lowers nothing or all.)
  const id_t thread = static_cast<id_t>(gettid());
  errno = 0;
  const int priority = getpriority(PRIO_PROCESS, thread);
  if (errno == 0) setpriority(PRIO_PROCESS, thread, std::min(priority + kWorkerNiceness, 19));
  SearchEngine& engine = *engines_[worker];
  // Each worker walks down from the folder itself: the folder's reader remembers where it was.
  std::unique_ptr<ConfinedFolder> folder;
  if (!folderRun_.empty()) folder = std::make_unique<ConfinedFolder>(folderRun_);
  while (!stop_) {
    const std::size_t index = next_.fetch_add(1);
    if (index >= sources_.size()) break;
    auto result = std::make_unique<Result>();
    try {
      *result = Search(index, engine, folder && folder->IsOpen() ? folder.get() : nullptr);
    } catch (const EngineAbort&) {
      // A pattern the engine gives up on gives up on every file alike.
      result->file.path = sources_[index].path;
      result->file.state = ListedFileState::Unreadable;
      stop_ = true;
    } catch (const std::exception&) {
      // Out of memory for one huge file, say: the others are still listed.
      result->hits.clear();
      result->file.path = sources_[index].path;
      result->file.state = ListedFileState::Unreadable;
    }
    hits_ += result->hits.size();
    {
      std::lock_guard lock(mutex_);
      results_[index] = std::move(result);
    }
    ++filesDone_;
  }
  --running_;
}

const OpenPageText* HitListRun::PageTextFor(const std::string& path) const {
  for (const OpenPageText& page : pageTexts_) {
    if (page.path == path) return &page;
  }
  FileIdentity identity;
  if (!IdentifyFile(path, identity)) return nullptr;
  for (std::size_t i = 0; i < pageTexts_.size(); ++i) {
    if (pageIdentities_[i].inode != 0 && pageIdentities_[i] == identity) return &pageTexts_[i];
  }
  return nullptr;
}

HitListRun::Result HitListRun::Search(std::size_t index, SearchEngine& engine,
                                      ConfinedFolder* folder) {
  HitSource& source = sources_[index];
  Result result;
  ListedFile& file = result.file;
  file.path = source.path;
  file.page = source.page;
  file.modified = source.modified;

  std::string bytes;
  Charset charset = Charset::Cp932;
  bool fromDisk = false;
  if (source.hasText) {
    // Each source is one worker's alone: its text can be taken rather than copied.
    bytes = std::move(source.text);
    charset = source.charset;
    file.state = ListedFileState::PageText;
  } else if (const OpenPageText* page = pageTexts_.empty() ? nullptr : PageTextFor(source.path)) {
    bytes = page->text;
    charset = page->charset;
    file.page = page->page;
    file.modified = true;
    file.state = ListedFileState::PageText;
  } else {
    std::shared_ptr<const Descriptor> holder;
    std::string name;
    FileError error = FileError::None;
    if (folder != nullptr) {
      error = folder->Locate(source.path, holder, name)
                  ? ReadWholeFileAt(holder->Get(), name, bytes, nullptr)
                  : FileError::Changed;
    } else {
      error = ReadWholeFile(source.path, bytes);
    }
    if (error != FileError::None) {
      file.state = ListedFileState::Unreadable;
      return result;
    }
    fromDisk = true;
  }

  const TextForm form = ExamineText(bytes);
  if (form.hasNul && file.state == ListedFileState::Searched) {
    file.state = ListedFileState::NotText;
    return result;
  }
  // A file on disk is searched in its own encoding (held in UTF-8 when it is neither CP932 nor
  // UTF-8); lines and columns count the text as held.
  SearchFileText held;
  std::string_view text = bytes;
  if (fromDisk) {
    held.Hold(bytes, EncodingChoice::Auto);
    text = held.Text();
    charset = held.TextCharset();
  }
  if (!engine.SetCharset(charset)) return result;  // the text cannot hold the find text
  // The engine sees what a replace would work on: every line ended by CR LF.
  std::vector<MatchSpan> spans;
  if (held.Converted() ? ExamineText(text).joinedWithCrLf : form.joinedWithCrLf) {
    spans = engine.ListMatchesInText(text);
  } else {
    std::string joined = JoinLinesWith(text, kCrLf);
    spans = engine.ListMatchesInFoldableText(joined);
  }
  AddHits(text, charset, spans, static_cast<std::uint32_t>(index), result.hits);
  file.hits = result.hits.size();
  return result;
}

bool HitListRun::TakeBatch(HitBatch& batch, std::size_t maxHits) {
  std::vector<std::unique_ptr<Result>> ready;
  {
    std::lock_guard lock(mutex_);
    std::size_t hits = 0;
    while (hits < maxHits && taken_ < results_.size() && results_[taken_]) {
      hits += results_[taken_]->hits.size();
      ready.push_back(std::move(results_[taken_++]));
    }
  }
  for (std::unique_ptr<Result>& result : ready) {
    batch.files.push_back(std::move(result->file));
    if (batch.hits.empty()) {
      batch.hits = std::move(result->hits);
    } else {
      batch.hits.insert(batch.hits.end(), std::make_move_iterator(result->hits.begin()),
                        std::make_move_iterator(result->hits.end()));
    }
  }
  return !ready.empty();
}

HitListProgress HitListRun::Progress() const {
  HitListProgress progress;
  progress.filesTotal = sources_.size();
  progress.filesDone = filesDone_;
  progress.hits = hits_;
  progress.finished = !threads_.empty() && running_ == 0;
  progress.stopped = stop_ && progress.filesDone < progress.filesTotal;
  return progress;
}

}  // namespace norra

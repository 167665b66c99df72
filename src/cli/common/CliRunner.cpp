// Runs norra-find and norra-replace: options, tag symbols, compiling, then the work.
#include "cli/common/CliRunner.h"

#include <unistd.h>

#include <charconv>
#include <ctime>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/common/CliOptions.h"
#include "cli/common/ConsoleUi.h"
#include "cli/common/FindFileReader.h"
#include "findreplace/LineExcerpt.h"
#include "findreplace/LineLocator.h"
#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskReplacePreview.h"
#include "findreplace/DiskSearch.h"
#include "findreplace/EngineMessages.h"
#include "findreplace/LineBreaks.h"
#include "platform/FixedClock.h"
#include "platform/SystemClock.h"
#include "settings/Settings.h"
#include "text/Encoding.h"
#include "text/FileIo.h"
#include "text/FileMask.h"
#include "text/PathUtil.h"
#include "text/ReplaceJournal.h"
#include "text/ReplaceUndo.h"
#include "text/WriteJournal.h"

#ifndef NORRA_VERSION
#define NORRA_VERSION "unknown"
#endif

namespace norra {

namespace {

// Caption of the end-of-run report for FILEs named on the command line.
constexpr std::string_view kCaptionFiles = "◆全て置換 - [ﾌｧｲﾙ(DISK)]";

void Error(const char* program, const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %s\n", program, message.c_str());
}

// Everything both tools set up before they work: options, symbols, clock, engine.
class ToolSession {
 public:
  ToolSession(CliTool tool, const char* program) : tool_(tool), program_(program), ui_(program) {}

  // Returns an exit status when the tool is already done (help, version, refusal).
  std::optional<int> Start(int argc, const char* const* argv) {
    std::string error;
    if (!ParseCliOptions(tool_, argc, argv, options_, error)) {
      Error(program_, error);
      std::fprintf(stderr, "Try '%s --help'.\n", program_);
      return kExitError;
    }
    if (options_.help) {
      std::fputs(CliUsage(tool_).c_str(), stdout);
      return kExitFound;
    }
    if (options_.version) {
      std::printf("%s %s\n", program_, NORRA_VERSION);
      return kExitFound;
    }
    // Taking a replace back compiles nothing.
    if (options_.undo || options_.journals) return std::nullopt;
    ui_.SetReportsToStderr(options_.toStdout || options_.preview);
    if (!tags_.Build()) {
      Error(program_, "the tag table could not be built");
      return kExitError;
    }
    symbols_ = tags_.BuiltInSymbols();
    if (!options_.settingsFile.empty()) {
      if (std::optional<int> status = LoadSymbols()) return status;
    }
    if (!IsUtf8(options_.find, "FIND")) return kExitError;
    if (tool_ == CliTool::Replace && !IsUtf8(options_.replace, "REPLACE")) return kExitError;
    find_ = options_.find;
    replace_ = options_.replace;
    if (find_.empty()) {
      Error(program_, "FIND is empty");
      return kExitError;
    }

    if (options_.now) clock_ = std::make_unique<FixedClock>(*options_.now);
    engine_ = NewEngine();
    if (CompileResult compiled = CompileTexts(*engine_); !compiled) {
      ShowEngineError(ui_, compiled.error, symbols_);
      return kExitError;
    }
    engine_->RunReset();
    engine_->PreFoldedText = true;
    return std::nullopt;
  }

  DiskSearchRequest Request() const {
    DiskSearchRequest request;
    request.folderText = options_.dir;
    request.subFolders = options_.subdirs;
    request.groupPath = options_.group;
    request.fileMasks = BuildFileMaskList(Utf8ToCp932(options_.masks.value_or("")));
    request.dryRun = options_.dryRun;
    return request;
  }

  const CliOptions& Options() const { return options_; }
  SearchEngine& Engine() { return *engine_; }
  // Another engine like the session's, for a worker of a disk run.
  std::unique_ptr<SearchEngine> MakeEngine() const {
    std::unique_ptr<SearchEngine> engine = NewEngine();
    if (!CompileTexts(*engine)) return nullptr;
    engine->RunReset();
    engine->PreFoldedText = true;
    return engine;
  }
  // Tells why the engine abandoned the work.
  void Report(const EngineAbort& abort) { ShowEngineError(ui_, abort.Error(), symbols_); }
  ConsoleUi& ConsoleOut() { return ui_; }
  const char* Program() const { return program_; }

 private:
  std::unique_ptr<SearchEngine> NewEngine() const {
    auto engine = std::make_unique<SearchEngine>(
        symbols_, clock_ ? static_cast<const Clock&>(*clock_) : SystemClock::Instance());
    engine->MatchCase = options_.matchCase;
    engine->Folds = {options_.foldWidth, options_.foldKana};
    return engine;
  }
  // Command-line text is UTF-8. It is compiled for UTF-8 texts first, which hold every
  // character, and again for each file in another charset; with every file read as CP932,
  // a text CP932 cannot hold is refused here rather than searched for as something else.
  CompileResult CompileTexts(SearchEngine& engine) const {
    engine.SetCharset(options_.encoding == EncodingChoice::Cp932 ? Charset::Cp932
                                                                 : Charset::Utf8);
    CompileResult compiled = engine.Compile(find_, Charset::Utf8);
    if (compiled && tool_ == CliTool::Replace) {
      compiled = engine.CompileReplace(replace_, Charset::Utf8);
    }
    return compiled;
  }

  // The user's tag symbols from the KARVOSystem section of a settings file.
  std::optional<int> LoadSymbols() {
    const std::string path = MakeAbsolute(options_.settingsFile);
    if (!IsFile(path)) {
      Error(program_, "no settings file " + options_.settingsFile);
      return kExitError;
    }
    Settings settings(tags_, path, std::string(), ScreenSize{});
    // Read only: the tools never write a settings file, nor convert an old one.
    if (!settings.Load(Settings::LoadMode::ReadOnly)) {
      Error(program_, "the settings file " + options_.settingsFile + " cannot be read");
      return kExitError;
    }
    if (settings.Kind() == Settings::FileKind::Damaged) {
      Error(program_, "warning: " + options_.settingsFile +
                          " holds no settings of this program; the built-in tag symbols are used");
    }
    symbols_ = settings.FindReplace.Symbols;
    return std::nullopt;
  }

  bool IsUtf8(const std::string& utf8, const char* what) {
    if (IsValidUtf8(utf8)) return true;
    Error(program_, std::string(what) + " is not valid UTF-8");
    return false;
  }

  CliTool tool_;
  const char* program_;
  CliOptions options_;
  ConsoleUi ui_;
  TagTable tags_;
  TagSymbols symbols_{};
  std::string find_;
  std::string replace_;
  std::unique_ptr<FixedClock> clock_;
  std::unique_ptr<SearchEngine> engine_;
};

int StatusOfResult(const DiskSearchResult& result, const char* program, bool dryRun) {
  switch (result.end) {
    case DiskSearchEnd::Refused:
      return kExitError;
    case DiskSearchEnd::NoFiles:
      return kExitNothing;
    case DiskSearchEnd::Stopped: {
      std::string message = "stopped";
      if (!result.stoppedAt.empty()) message += " at " + result.stoppedAt;
      if (!result.stopReason.empty()) message += ": " + result.stopReason;
      if (!dryRun) message += "; files rewritten before it: " + std::to_string(result.filesChanged);
      Error(program, message);
      return kExitError;
    }
    case DiskSearchEnd::Completed:
      break;
  }
  if (dryRun) Error(program, "dry run: no file was written");
  return result.replaceCount > 0 ? kExitFound : kExitNothing;
}

// norra-replace --stdout FILE: the new content streams to standard output as it is made.
int ReplaceToStdout(ToolSession& session) {
  const std::string& path = session.Options().files.front();
  SearchEngine& engine = session.Engine();
  DiskSearch search(engine, session.ConsoleOut());
  search.SetEncodingChoice(session.Options().encoding);
  const DiskSearch::ContentOutput toStdout = [](std::string_view piece) {
    return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
  };
  FileOutcome outcome;
  try {
    outcome = search.ReplaceInFileTo(path, toStdout);
  } catch (const EngineAbort& abort) {
    session.Report(abort);
    return kExitError;
  } catch (const std::bad_alloc&) {
    Error(session.Program(), path + ": out of memory");
    return kExitError;
  }
  if (outcome == FileOutcome::ReadFailed || outcome == FileOutcome::NotHeld) {
    Error(session.Program(), path + ": " + search.LastFailure());
    return kExitError;
  }
  if (outcome == FileOutcome::WriteFailed || std::fflush(stdout) != 0) {
    Error(session.Program(), "standard output cannot be written");
    return kExitError;
  }
  const std::int64_t count = engine.ReplaceCount;
  session.ConsoleOut().ShowMessageBox(
      DiskSearch::EndMessage(count, outcome == FileOutcome::NotText ? 1 : 0, 0),
      MB_OK | MB_ICONINFORMATION, kCaptionFiles);
  return count > 0 ? kExitFound : kExitNothing;
}

// The files norra-find looks at, as the matching norra-replace command would visit them, and
// the number of folders their listing could not read.
std::optional<int> FilesToSearch(ToolSession& session, std::vector<std::string>& files,
                                 int& unreadableFolders) {
  const CliOptions& options = session.Options();
  unreadableFolders = 0;
  if (!options.files.empty()) {
    files = DiskSearch::DistinctFiles(options.files);
    return std::nullopt;
  }
  DiskSearch search(session.Engine(), session.ConsoleOut());
  DiskSearchEnd end = options.dir.empty()
                          ? search.CollectGroupFiles(session.Request(), files)
                          : search.CollectFolderFiles(session.Request(), files, &unreadableFolders);
  switch (end) {
    case DiskSearchEnd::Completed:
      return std::nullopt;
    case DiskSearchEnd::NoFiles:
      return kExitNothing;
    case DiskSearchEnd::Stopped:
      Error(session.Program(), options.group + ": " + search.LastFailure());
      return kExitError;
    case DiskSearchEnd::Refused:
      break;
  }
  return kExitError;
}

// norra-find's hit lines, gathered into large writes: a file with many hits would otherwise
// spend more time building and writing its lines one by one than finding them.
class HitOutput {
 public:
  ~HitOutput() { Flush(); }

  // "path:offset:length"
  void Offsets(const std::string& path, std::size_t offset, std::size_t length) {
    buffer_.append(path);
    buffer_.push_back(':');
    Number(offset);
    buffer_.push_back(':');
    Number(length);
    End();
  }
  // "path:line:column:excerpt"
  void Line(const std::string& path, std::size_t line, std::size_t column,
            std::string_view excerpt) {
    buffer_.append(path);
    buffer_.push_back(':');
    Number(line);
    buffer_.push_back(':');
    Number(column);
    buffer_.push_back(':');
    buffer_.append(excerpt);
    End();
  }
  void Flush() {
    if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kChunk = 64 * 1024;

  void Number(std::size_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    buffer_.append(digits, result.ptr);
  }
  void End() {
    buffer_.push_back('\n');
    if (buffer_.size() >= kChunk) Flush();
  }

  std::string buffer_;
};

}  // namespace

int RunFindTool(int argc, const char* const* argv) {
  ToolSession session(CliTool::Find, "norra-find");
  if (std::optional<int> status = session.Start(argc, argv)) return *status;
  std::vector<std::string> files;
  int unreadableFolders = 0;
  if (std::optional<int> status = FilesToSearch(session, files, unreadableFolders)) return *status;

  bool found = false;
  int notText = 0;
  HitOutput out;
  const bool offsets = session.Options().offsets;
  // An offsets listing reads no more of a file than its line breaks, which case folding leaves
  // alone: its bytes are upper-cased as they are read. Lines with their text need them as
  // they are.
  // With the width and kana folds the engine folds the text over itself after that (the two
  // foldings commute).
  const bool widthOrKana = session.Engine().Folds.Any();
  const bool foldWhileReading = offsets && !session.Engine().MatchCase;
  FindFileReader reader(foldWhileReading, session.Options().encoding);
  SearchEngine& engine = session.Engine();
  for (const std::string& path : files) {
    std::string bytes;
    if (FileError e = reader.Read(path, bytes); e != FileError::None) {
      out.Flush();
      Error(session.Program(), path + ": " + FileErrorReason(e));
      return kExitError;
    }
    // Binary files are passed over, as norra-replace passes them over.
    const TextForm& form = reader.Form();
    if (form.hasNul) {
      ++notText;
      continue;
    }
    // The text in the file's own encoding; a file that cannot hold the find text holds no
    // match.
    const SearchFileText& held = reader.Held();
    if (!engine.SetCharset(held.TextCharset())) continue;
    const std::string_view own = held.Text();
    // The engine sees the text a replace would work on: every line ended by CR LF.
    std::string joined;
    const bool same = held.Converted() ? ExamineText(own).joinedWithCrLf : form.joinedWithCrLf;
    if (!same) joined = JoinLinesWith(own, kCrLf);
    std::vector<MatchSpan> spans;
    try {
      // The joined copy is the engine's alone, and so are the file's own bytes: either may be
      // folded in place; a converted text is copied first.
      const auto foldable = [&]() -> std::string& {
        if (!same) return joined;
        if (own.data() == bytes.data() && own.size() == bytes.size()) return bytes;
        joined.assign(own);
        return joined;
      };
      if (foldWhileReading && widthOrKana) {
        spans = engine.ListMatchesInFoldableText(foldable(), true);
      } else if (foldWhileReading) {
        spans = engine.ListMatchesInFoldedText(same ? own : std::string_view(joined));
      } else if (!same || (offsets && widthOrKana)) {
        spans = engine.ListMatchesInFoldableText(foldable());
      } else {
        spans = engine.ListMatchesInText(own);
      }
    } catch (const EngineAbort& abort) {
      out.Flush();
      session.Report(abort);
      return kExitError;
    } catch (const std::bad_alloc&) {
      out.Flush();
      Error(session.Program(), path + ": out of memory");
      return kExitError;
    }
    if (!spans.empty()) found = true;
    if (offsets && same && !held.Converted()) {
      // The file is the text the engine saw: its offsets need no lines walked.
      const std::size_t skip = held.Prefix().size();
      for (const MatchSpan& span : spans) out.Offsets(path, skip + span.offset + 1, span.length);
      continue;
    }
    // Offsets and columns count the file's own bytes, also of a converted text.
    LineLocator locator(own);
    LineExcerpt excerpt(held.TextCharset());
    for (const MatchSpan& span : spans) {
      LineLocator::Place start = locator.Locate(span.offset);
      const std::size_t startInFile = held.FileOffset(start.originalOffset);
      if (offsets) {
        LineLocator::Place end = locator.Locate(span.offset + span.length);
        out.Offsets(path, startInFile + 1, held.FileOffset(end.originalOffset) - startInFile);
      } else {
        const std::size_t lineStart = start.originalOffset - (start.column - 1);
        const std::size_t column = startInFile - held.FileOffset(lineStart) + 1;
        const std::string line = excerpt.For(start.lineText, start.column - 1);
        out.Line(path, start.line, column,
                 held.TextCharset() == Charset::Utf8 ? line : Cp932ToUtf8(line));
      }
    }
  }
  out.Flush();
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    Error(session.Program(), "standard output cannot be written");
    return kExitError;
  }
  // What was passed over is told on standard error, which the hits do not share.
  if (notText > 0)
    Error(session.Program(),
          std::string(DiskSearch::kNotTextCount) + std::to_string(notText) + ")");
  if (unreadableFolders > 0) {
    Error(session.Program(),
          std::string(DiskSearch::kUnreadableCount) + std::to_string(unreadableFolders) + ")");
  }
  return found ? kExitFound : kExitNothing;
}

namespace {

// How the diff names a file: relative to the working folder when it lies inside it, so that
// `patch -p0` there finds it (patch refuses absolute names).
std::string DiffName(const std::string& path) {
  const std::string absolute = MakeAbsolute(path);
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return absolute;
  std::string cwd = buffer;
  if (cwd.empty() || cwd.back() != '/') cwd += '/';
  return absolute.starts_with(cwd) ? absolute.substr(cwd.size()) : absolute;
}

// norra-replace --preview: what the run would change, as a unified diff on standard output.
int PreviewRun(ToolSession& session) {
  const CliOptions& options = session.Options();
  DiskSearch search(session.Engine(), session.ConsoleOut());
  search.SetEncodingChoice(options.encoding);
  std::string out;
  bool writeFailed = false;
  const DiskSearch::PreviewEach each = [&](const std::string& path, std::string_view old,
                                           const FileIdentity&,
                                           const std::vector<WrittenSpan>& spans) {
    std::vector<DiffSpan> diffSpans;
    diffSpans.reserve(spans.size());
    for (const WrittenSpan& span : spans)
      diffSpans.push_back({span.oldStart, span.oldLength, span.newBytes});
    out = UnifiedDiff(DiffName(path), old, diffSpans);
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size()) writeFailed = true;
  };
  DiskSearchResult result;
  if (!options.dir.empty()) {
    result = search.Preview(session.Request(), false, each);
  } else if (!options.group.empty()) {
    result = search.Preview(session.Request(), true, each);
  } else {
    result = search.PreviewFiles(DiskSearch::DistinctFiles(options.files), each);
  }
  if (std::fflush(stdout) != 0 || writeFailed) {
    Error(session.Program(), "standard output cannot be written");
    return kExitError;
  }
  if (result.end == DiskSearchEnd::Completed) {
    if (result.filesNotText > 0)
      Error(session.Program(), std::string(DiskSearch::kNotTextCount) +
                                   std::to_string(result.filesNotText) + ")");
    if (result.foldersUnreadable > 0)
      Error(session.Program(), std::string(DiskSearch::kUnreadableCount) +
                                   std::to_string(result.foldersUnreadable) + ")");
  }
  return StatusOfResult(result, session.Program(), false);
}

std::string LocalTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

// norra-replace --journals: one line per journal, oldest first.
int ListJournals() {
  for (const JournalSummary& j : ListReplaceJournals()) {
    std::printf("%s\t%s\t%zu files\t%s\t%s\n", j.path.c_str(), LocalTime(j.time).c_str(), j.files,
                j.undone ? "undone" : "-", j.description.c_str());
  }
  return std::fflush(stdout) == 0 ? kExitFound : kExitError;
}

// norra-replace --undo [JOURNAL]
int UndoRun(const CliOptions& options, const char* program) {
  const std::string journal =
      options.journal.empty() ? LatestUndoableJournal() : MakeAbsolute(options.journal);
  if (journal.empty()) {
    Error(program, "no replace to take back");
    return kExitError;
  }
  const ReplaceUndoResult result = UndoDiskReplace(journal);
  if (!result.journalRead) {
    Error(program, journal + ": not a journal of a replace, or it cannot be read");
    return kExitError;
  }
  std::printf("%s: %d files restored\n", program, result.restored);
  std::fflush(stdout);
  for (const std::string& path : result.leftChanged)
    Error(program, "changed since the replace, left as it is: " + path);
  for (const auto& [path, reason] : result.failed) Error(program, path + ": " + reason);
  if (!result.failed.empty()) return kExitError;
  return result.leftChanged.empty() ? kExitFound : kExitNothing;
}

}  // namespace

int RunReplaceTool(int argc, const char* const* argv) {
  ToolSession session(CliTool::Replace, "norra-replace");
  if (std::optional<int> status = session.Start(argc, argv)) return *status;
  // A write a killed run (of this tool or the editor) left half done is finished first.
  if (const std::string told = JournalFindingsText(FinishInterruptedWrites()); !told.empty())
    std::fprintf(stderr, "%s: %s\n", session.Program(), told.c_str());
  const CliOptions& options = session.Options();
  if (options.journals) return ListJournals();
  if (options.undo) return UndoRun(options, session.Program());
  if (options.toStdout) return ReplaceToStdout(session);
  if (options.preview) return PreviewRun(session);

  DiskSearch search(session.Engine(), session.ConsoleOut());
  search.SetEncodingChoice(options.encoding);
  search.SetWorkerEngines([&session] { return session.MakeEngine(); });
  search.SetJournalDescription("norra-replace " + options.find + " " + options.replace + " " +
                               (!options.dir.empty()     ? options.dir
                                : !options.group.empty() ? options.group
                                                         : std::to_string(options.files.size()) +
                                                               " FILE"));
  DiskSearchResult result;
  if (!options.dir.empty()) {
    result = search.RunFolder(session.Request());
  } else if (!options.group.empty()) {
    result = search.RunGroup(session.Request());
  } else {
    result = search.RunFiles(options.files, options.dryRun, kCaptionFiles);
  }
  return StatusOfResult(result, session.Program(), options.dryRun);
}

}  // namespace norra

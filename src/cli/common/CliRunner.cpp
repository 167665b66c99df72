// Runs norra-find and norra-replace: options, tag symbols, compiling, then the work.
#include "cli/common/CliRunner.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/common/CliOptions.h"
#include "cli/common/ConsoleUi.h"
#include "cli/common/FindFileReader.h"
#include "cli/common/LineExcerpt.h"
#include "cli/common/LineLocator.h"
#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
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
    ui_.SetReportsToStderr(options_.toStdout);
    if (!tags_.Build()) {
      Error(program_, "the tag table could not be built");
      return kExitError;
    }
    symbols_ = tags_.BuiltInSymbols();
    if (!options_.settingsFile.empty()) {
      if (std::optional<int> status = LoadSymbols()) return status;
    }
    if (!ToCp932(options_.find, "FIND", find_)) return kExitError;
    if (tool_ == CliTool::Replace && !ToCp932(options_.replace, "REPLACE", replace_))
      return kExitError;
    if (find_.empty()) {
      Error(program_, "FIND is empty");
      return kExitError;
    }

    if (options_.now) clock_ = std::make_unique<FixedClock>(*options_.now);
    engine_ = std::make_unique<SearchEngine>(
        symbols_, clock_ ? static_cast<const Clock&>(*clock_) : SystemClock::Instance());
    engine_->MatchCase = options_.matchCase;
    engine_->Folds = {options_.foldWidth, options_.foldKana};
    CompileResult compiled = engine_->Compile(find_);
    if (compiled && tool_ == CliTool::Replace) compiled = engine_->CompileReplace(replace_);
    if (!compiled) {
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
  // Tells why the engine abandoned the work.
  void Report(const EngineAbort& abort) { ShowEngineError(ui_, abort.Error(), symbols_); }
  ConsoleUi& ConsoleOut() { return ui_; }
  const char* Program() const { return program_; }

 private:
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

  // Command-line text is UTF-8; the engine works in CP932. Text that does not convert
  // faithfully is refused rather than searched for as something else.
  bool ToCp932(const std::string& utf8, const char* what, std::string& cp932) {
    if (!IsValidUtf8(utf8)) {
      Error(program_, std::string(what) + " is not valid UTF-8");
      return false;
    }
    if (!CanEncodeCp932(utf8)) {
      Error(program_, std::string(what) + " holds a character CP932 cannot hold");
      return false;
    }
    cp932 = Utf8ToCp932(utf8);
    return true;
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
  if (outcome == FileOutcome::ReadFailed) {
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
  FindFileReader reader(foldWhileReading);
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
    // The engine sees the text a replace would work on: every line ended by CR LF.
    std::string joined;
    const bool same = form.joinedWithCrLf;
    if (!same) joined = JoinLinesWith(bytes, kCrLf);
    std::vector<MatchSpan> spans;
    try {
      // The joined copy is the engine's alone: it may be folded in place.
      if (foldWhileReading && widthOrKana) {
        spans = session.Engine().ListMatchesInFoldableText(same ? bytes : joined, true);
      } else if (foldWhileReading) {
        spans = session.Engine().ListMatchesInFoldedText(same ? std::string_view(bytes)
                                                              : std::string_view(joined));
      } else if (!same || (offsets && widthOrKana)) {
        spans = session.Engine().ListMatchesInFoldableText(same ? bytes : joined);
      } else {
        spans = session.Engine().ListMatchesInText(bytes);
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
    if (offsets && same) {
      // The file is the text the engine saw: its offsets need no lines walked.
      for (const MatchSpan& span : spans) out.Offsets(path, span.offset + 1, span.length);
      continue;
    }
    LineLocator locator(bytes);
    LineExcerpt excerpt;
    for (const MatchSpan& span : spans) {
      LineLocator::Place start = locator.Locate(span.offset);
      if (offsets) {
        LineLocator::Place end = locator.Locate(span.offset + span.length);
        out.Offsets(path, start.originalOffset + 1, end.originalOffset - start.originalOffset);
      } else {
        out.Line(path, start.line, start.column,
                 Cp932ToUtf8(excerpt.For(start.lineText, start.column - 1)));
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

int RunReplaceTool(int argc, const char* const* argv) {
  ToolSession session(CliTool::Replace, "norra-replace");
  if (std::optional<int> status = session.Start(argc, argv)) return *status;
  // A write a killed run (of this tool or the editor) left half done is finished first.
  if (const std::string told = JournalFindingsText(FinishInterruptedWrites()); !told.empty())
    std::fprintf(stderr, "%s: %s\n", session.Program(), told.c_str());
  const CliOptions& options = session.Options();
  if (options.toStdout) return ReplaceToStdout(session);

  DiskSearch search(session.Engine(), session.ConsoleOut());
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

// Replace all over the whole notebook from the find/replace window: 100 open Pages of 100 KB,
// undo capture included; the time of undoing it, and the undo memory against the bytes changed.
// Find next (F3) from the window in a 2 MB Page.
// "findwin_bench --write-corpus DIR" writes the same 100 texts as files, for norra-replace.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "findreplace/FindReplaceWindow.h"
#include "platform/MemoryClipboard.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "platform/ScriptedFolderChooser.h"
#include "settings/Settings.h"

namespace {

using namespace norra;
namespace fs = std::filesystem;

constexpr int kPages = 100;
constexpr std::size_t kPageBytes = 100 * 1024;

// CP932 text of `size` bytes: lines of ASCII and two-byte characters, one "fox" a line.
std::string MakeText(std::size_t size, int seed) {
  const std::string line = "The quick brown fox \x82\xA0\x82\xA2\x82\xA4 jumps over the lazy dog " +
                           std::to_string(seed) + "\r\n";
  std::string text;
  text.reserve(size + line.size());
  while (text.size() < size) text += line;
  text.resize(size);
  return text;
}

class Host : public DocumentsHost {
 public:
  std::unique_ptr<TextControl> CreateTextControl() override {
    return std::make_unique<MemoryTextControl>();
  }
};

class View : public FindReplaceView {
 public:
  void SetCaption(const std::string&) override {}
  void SetControlVisible(std::string_view, bool) override {}
  void SetControlEnabled(std::string_view, bool) override {}
  void CheckRange(FindRange) override {}
  void ShowFolderText(const std::string&) override {}
  void ShowGroupText(const std::string&) override {}
  FindWindowGeometry Geometry() const override { return geometry; }
  void SetGeometry(const FindWindowGeometry& g) override { geometry = g; }
  bool IsVisible() const override { return true; }
  void ShowWindow() override {}
  void HideWindow() override {}
  void SetWindowEnabled(bool) override {}
  void BringToTop() override {}
  void FocusWindow() override {}
  void FocusBox(FindBox) override {}
  void ApplyColours(int, int) override {}
  FindWindowGeometry geometry{0, 0, 399, 291};
};

class MainHost : public FindWindowHost {
 public:
  void SetStatusText(const std::string&) override {}
  void SetMainWindowEnabled(bool) override {}
  int MainWindowLeft() const override { return 0; }
  int MainWindowTop() const override { return 0; }
  int PageWindowTop(Page&) const override { return 0; }
  void FocusActivePage() override {}
  void ShowOptions(int) override {}
};

// The whole program's logic around one find/replace window, with kPages open Pages.
struct Notebook {
  TagTable tags;
  fs::path dir;
  MemoryUi ui;
  MemoryClipboard clipboard;
  Host host;
  View view;
  MainHost mainHost;
  ScriptedFolderChooser folders;
  MemoryTextControl findBox;
  MemoryTextControl replaceBox;
  std::unique_ptr<Settings> settings;
  std::unique_ptr<UndoLog> log;
  std::unique_ptr<Documents> docs;
  std::unique_ptr<FindReplaceWindow> window;
  std::vector<std::string> texts;

  Notebook(const char* find, const char* replace) {
    tags.Build();
    dir = fs::temp_directory_path() / ("findwin_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    settings = std::make_unique<Settings>(tags, (dir / "Norra.ini").string(), dir.string(),
                                          ScreenSize{1920, 1080});
    log = std::make_unique<UndoLog>(ui);
    docs = std::make_unique<Documents>(*settings, *log, ui, host, nullptr);
    for (int i = 0; i < kPages; ++i) {
      docs->OpenPage("", false);
      texts.push_back(MakeText(kPageBytes, i));
    }
    Reset();
    window = std::make_unique<FindReplaceWindow>(
        FindReplaceContext{*docs, *log, *settings, ui, clipboard, mainHost, folders, nullptr}, view,
        findBox, replaceBox);
    window->Create();
    window->SetMode(kReplaceMode);
    window->ChooseRange(FindRange::AllNote);
    findBox.SetText(find);
    replaceBox.SetText(replace);
  }
  ~Notebook() {
    window.reset();
    docs.reset();
    fs::remove_all(dir);
  }
  // Every Page back to its first text, the history empty.
  void Reset() {
    log->ClearUndoLog();
    const auto& entries = docs->List().Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      static_cast<MemoryTextControl&>(entries[i].page->Control()).SetText(texts[i]);
    }
    ui.ClearBoxes();
  }
  bool AllBack() const {
    const auto& entries = docs->List().Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].page->Control().Text() != texts[i]) return false;
    }
    return true;
  }
};

void BM_ReplaceAllNotebook(benchmark::State& state) {
  Notebook book("fox", state.range(0) == 0 ? "cat" : "vixen");
  std::size_t footprint = 0;
  for (auto _ : state) {
    state.PauseTiming();
    book.Reset();
    const std::size_t before = book.log->MemoryFootprint();
    state.ResumeTiming();
    book.window->ReplaceAll();
    state.PauseTiming();
    footprint = book.log->MemoryFootprint() - before;
    state.ResumeTiming();
  }
  std::size_t matches = 0;
  for (const std::string& text : book.texts) {
    for (std::size_t at = text.find("fox"); at != std::string::npos; at = text.find("fox", at + 3))
      ++matches;
  }
  state.counters["records"] = static_cast<double>(book.log->RecordCount());
  state.counters["matches"] = static_cast<double>(matches);
  state.counters["changed_bytes"] = static_cast<double>(matches * 3);  // the bytes the matches held
  state.counters["undo_bytes"] = static_cast<double>(footprint);
  state.counters["text_bytes"] = static_cast<double>(kPages * kPageBytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kPages * kPageBytes);
}
BENCHMARK(BM_ReplaceAllNotebook)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_UndoReplaceAllNotebook(benchmark::State& state) {
  Notebook book("fox", "vixen");
  std::size_t footprint = 0;
  for (auto _ : state) {
    state.PauseTiming();
    book.Reset();
    book.window->ReplaceAll();
    const std::size_t before = book.log->MemoryFootprint() - book.log->TotalBytes();
    state.ResumeTiming();
    book.log->UndoLast();
    state.PauseTiming();
    // What the undo left behind is the redo list.
    footprint = book.log->MemoryFootprint() - std::min(before, book.log->MemoryFootprint());
    state.ResumeTiming();
  }
  if (!book.AllBack()) state.SkipWithError("undo did not restore every Page");
  std::size_t matches = 0;
  for (const std::string& text : book.texts) {
    for (std::size_t at = text.find("fox"); at != std::string::npos; at = text.find("fox", at + 3))
      ++matches;
  }
  state.counters["redo_bytes"] = static_cast<double>(book.log->RedoBytes());
  state.counters["redo_memory"] = static_cast<double>(footprint);
  state.counters["redo_changed_bytes"] = static_cast<double>(matches * 5);  // what redo puts in
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kPages * kPageBytes);
}
BENCHMARK(BM_UndoReplaceAllNotebook)->Unit(benchmark::kMillisecond);

// Redo of the same replace all: one step over every Page, each checked before any is touched.
void BM_RedoReplaceAllNotebook(benchmark::State& state) {
  Notebook book("fox", "vixen");
  std::vector<std::string> replaced;
  for (auto _ : state) {
    state.PauseTiming();
    book.Reset();
    book.window->ReplaceAll();
    if (replaced.empty()) {
      for (const auto& entry : book.docs->List().Entries())
        replaced.push_back(entry.page->Control().Text());
    }
    book.log->UndoLast();
    state.ResumeTiming();
    book.log->RedoLast();
  }
  const auto& entries = book.docs->List().Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].page->Control().Text() != replaced[i]) {
      state.SkipWithError("redo did not remake every Page");
      break;
    }
  }
  state.counters["records"] = static_cast<double>(book.log->RecordCount());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kPages * kPageBytes);
}
BENCHMARK(BM_RedoReplaceAllNotebook)->Unit(benchmark::kMillisecond);

// F3 from the window in the current file: a 2 MB Page whose one hit lies 1 MB after the caret.
void BM_FindNextInWindow(benchmark::State& state) {
  Notebook book("needle", "");
  std::string text = MakeText(2 * 1024 * 1024, 0);
  const std::size_t at = text.find("\r\n", text.size() / 2) + 2;  // a line start
  text.insert(at, "needle");
  Page& page = *book.docs->ActivePage();
  static_cast<MemoryTextControl&>(page.Control()).SetText(text);
  book.window->ChooseRange(FindRange::CurrentPad);
  for (auto _ : state) {
    state.PauseTiming();
    page.Control().SetSelection(0, 0);
    state.ResumeTiming();
    book.window->FindNext();
  }
  if (page.Control().SelStart() != at) state.SkipWithError("the hit was not found");
}
BENCHMARK(BM_FindNextInWindow)->Unit(benchmark::kMicrosecond);

int WriteCorpus(const char* folder) {
  fs::create_directories(folder);
  for (int i = 0; i < kPages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "page%03d.txt", i);
    std::ofstream(fs::path(folder) / name, std::ios::binary) << MakeText(kPageBytes, i);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-corpus") == 0) return WriteCorpus(argv[2]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

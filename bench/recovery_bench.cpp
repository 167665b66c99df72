// What a recovery copy costs the user-interface thread: the keeper's look at the Pages and the
// copy of one modified Page's bytes, handed to the writer thread (whose disk time is not the
// user-interface thread's, and is left out: its store is never opened). The editing control
// holds its bytes in a gap buffer, so closing the gap after an edit is part of the copy's
// cost there: measured beside it on the control's own mirror.
#include <benchmark/benchmark.h>

#include <climits>
#include <memory>
#include <string>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/RecoveryKeeper.h"
#include "documents/RecoveryStore.h"
#include "documents/RecoveryWriter.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "settings/Settings.h"
#include "text/Cp932Mirror.h"

namespace {

std::string MakeText(std::size_t size) {
  const std::string line = "The quick brown fox \x82\xA0\x82\xA2\x82\xA4 jumps over the lazy dog 0123456789\r\n";
  std::string text;
  text.reserve(size + line.size());
  while (text.size() < size) text += line;
  text.resize(size);
  return text;
}

class Host : public norra::DocumentsHost {
 public:
  std::unique_ptr<norra::TextControl> CreateTextControl() override {
    return std::make_unique<norra::MemoryTextControl>();
  }
};

norra::TagTable& Tags() {
  static norra::TagTable tags;
  static const bool built = tags.Build();
  (void)built;
  return tags;
}

// One key typed in the middle of the Page (not timed), then the tick that copies it.
void BM_CopyOnUiThread(benchmark::State& state) {
  norra::MemoryUi ui;
  norra::Settings settings(Tags(), "/nonexistent/Norra.ini", "/nonexistent/", norra::ScreenSize{1920, 1080});
  settings.File.MaxLength = INT_MAX;
  norra::UndoLog log(ui);
  Host host;
  norra::Documents docs(settings, log, ui, host);
  norra::RecoveryStore store("");  // never opened: the writer drops what it gets
  norra::RecoveryWriter writer(store);
  norra::RecoveryKeeper keeper(docs, writer);
  docs.OpenPage(std::string(), false);
  norra::Page& page = *docs.ActivePage();
  auto& control = static_cast<norra::MemoryTextControl&>(page.Control());
  control.SetText(MakeText(static_cast<std::size_t>(state.range(0))));
  page.SetModified(true);
  std::int64_t now = 0;
  for (auto _ : state) {
    state.PauseTiming();
    writer.Flush();  // the previous copy is gone, as it is long before the next one is due
    control.SetSelection(control.TextLength() / 2, 0);
    control.ReplaceSelection("a");
    keeper.Tick(now += 250);  // the key is seen
    now += norra::RecoveryKeeper::kQuietMs;
    state.ResumeTiming();
    keeper.Tick(now);  // the copy
  }
  writer.Flush();
  state.counters["copies"] = static_cast<double>(keeper.CopiesTaken());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CopyOnUiThread)->Arg(20 << 10)->Arg(2 << 20)->Arg(20 << 20)->Unit(benchmark::kMillisecond);

// The editing control's side: its bytes as one piece after an edit in the middle (the gap
// closed), which the copy reads.
void BM_ControlBytesAfterEdit(benchmark::State& state) {
  norra::Cp932Mirror mirror;
  (void)mirror.Load(MakeText(static_cast<std::size_t>(state.range(0))));
  std::size_t at = mirror.Size() / 2;
  for (auto _ : state) {
    state.PauseTiming();
    mirror.OnWidgetInsert(mirror.ToUtf8(at), "a");  // a key typed there
    at = (at * 7 + 12345) % mirror.Size();  // the next edit elsewhere
    state.ResumeTiming();
    benchmark::DoNotOptimize(mirror.View().data());
  }
}
BENCHMARK(BM_ControlBytesAfterEdit)->Arg(20 << 10)->Arg(2 << 20)->Arg(20 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

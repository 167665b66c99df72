// Test harness for the main window's logic: recording fakes of the view and dialogs, the
// in-memory ports, and a notation that shows text and selection together
// ("ab|c" caret, "a[bc]d" selection with the caret at its end, "a{bc}d" caret at its start).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/EditCommands.h"
#include "app/FindWindowPort.h"
#include "app/HelpPort.h"
#include "app/MainView.h"
#include "app/MainWindow.h"
#include "app/OptionsDialogPort.h"
#include "documents/Documents.h"
#include "documents/FileListDialogPort.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "platform/FixedClock.h"
#include "platform/MemoryClipboard.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "settings/Settings.h"
#include "support/MarkedText.h"
#include "text/Encoding.h"

namespace norra::testing {

namespace fs = std::filesystem;

// An in-memory clipboard that can be made to refuse text.
class TestClipboard : public MemoryClipboard {
 public:
  bool SetText(std::string_view text) override { return refuse ? false : MemoryClipboard::SetText(text); }
  bool refuse = false;
};

// A scripted Ui that can look at the program while one of its message boxes shows.
class TestUi : public MemoryUi {
 public:
  int ShowMessageBox(std::string_view text, unsigned flags, std::string_view caption) override {
    if (whileShown) whileShown(text);
    return MemoryUi::ShowMessageBox(text, flags, caption);
  }
  std::function<void(std::string_view)> whileShown;
};

struct ItemState {
  std::optional<bool> enabled;
  std::optional<bool> checked;
  std::optional<bool> visible;
  std::optional<std::string> caption;
  std::optional<std::string> hint;
};

// A view that makes in-memory controls and writes down what it was told.
class FakeView : public MainView {
 public:
  std::unique_ptr<TextControl> CreateTextControl() override { return std::make_unique<MemoryTextControl>(); }
  void CreatePageWindow(Page& page, const VisionSettings&) override { windows.push_back(&page); }
  void SetPageCaption(Page& page, const std::string& caption) override { captions[&page] = caption; }
  void StylePageWindow(Page& page, const VisionSettings& vision) override { styled.emplace_back(&page, vision); }
  void ShowPage(Page& page) override { shown = &page; }
  void DestroyPageWindow(Page& page) override { std::erase(windows, &page); }
  void FocusPage(Page& page) override {
    focused = &page;
    calls.push_back("focus");
  }
  void SetImeMode(Page&, int mode) override { imeModes.push_back(mode); }
  void RelayoutPage(Page& page) override { relayouts.push_back(&page); }
  void MaximizePage(Page& page) override { maximized.push_back(&page); }
  void ArrangePages(PageArrangement how) override { arranged.push_back(how); }

  void SetPageList(const std::vector<std::string>& entries, std::size_t selected) override {
    pageList = entries;
    pageListSelected = selected;
  }
  void SetPageListSelection(std::size_t index) override { pageListSelected = index; }
  void WatchFiles(const std::vector<std::string>& paths) override { watched = paths; }
  void DropDownPageList(std::size_t selected) override {
    droppedDown = true;
    pageListSelected = selected;
  }
  void SetPageListEnabled(bool on) override { calls.push_back(on ? "list on" : "list off"); }
  bool PageListHasFocus() const override { return pageListFocus; }

  void SetStatusText(int panel, const std::string& text) override { status.at(static_cast<std::size_t>(panel)) = text; }
  void SetCaption(const std::string& text) override {
    caption = text;
    // The application title the caption names: "Norra - [title]".
    const std::size_t open = text.find(" - [");
    title = open != std::string::npos && text.ends_with("]") ? text.substr(open + 4, text.size() - open - 5) : "";
  }
  void SetApplicationHelpFile(const std::string& path) override { helpFile = path; }

  void SetItemEnabled(UiItem item, bool on) override { items[item].enabled = on; }
  void SetItemChecked(UiItem item, bool on) override { items[item].checked = on; }
  void SetItemVisible(UiItem item, bool on) override { items[item].visible = on; }
  void SetItemCaption(UiItem item, const std::string& text) override { items[item].caption = text; }
  void SetItemHint(UiItem item, const std::string& text) override { items[item].hint = text; }
  void SetToolBarVisible(bool on) override { toolBar = on; }
  void SetStatusBarVisible(bool on) override { statusBar = on; }

  void SetPainting(bool on, bool bars) override {
    painting = on;
    paintingBars = bars;
    calls.push_back(std::string(on ? "paint on" : "paint off") + (bars ? " +bars" : ""));
  }
  void RequestRepaint() override { ++repaints; }
  WindowPlacement Placement() const override { return placement; }
  void SetPlacement(const WindowPlacement& p) override {
    if (failPlacement) throw std::runtime_error("placement refused");
    placement.top = p.top;
    placement.left = p.left;
    placement.width = p.width;
    placement.height = p.height;
  }
  void SetWindowState(int state) override { placement.state = state; }
  bool IsVisible() const override { return visible; }
  void Show() override {
    ++showCalls;
    if (showCalls >= showsUntilVisible) visible = true;
  }
  void Hide() override {
    visible = false;
    calls.push_back("hide");
  }
  void BringToFront() override { calls.push_back("front"); }
  void NudgeHeight() override { ++nudges; }
  void RequestClose() override { ++closeRequests; }

  bool Enabled(UiItem item) const {
    auto it = items.find(item);
    return it != items.end() && it->second.enabled.value_or(false);
  }
  bool Checked(UiItem item) const {
    auto it = items.find(item);
    return it != items.end() && it->second.checked.value_or(false);
  }
  std::string Caption(UiItem item) const {
    auto it = items.find(item);
    return it != items.end() ? it->second.caption.value_or("") : "";
  }

  std::vector<Page*> windows;
  std::map<Page*, std::string> captions;
  std::vector<std::pair<Page*, VisionSettings>> styled;
  Page* shown = nullptr;
  Page* focused = nullptr;
  std::vector<int> imeModes;
  std::vector<Page*> relayouts;
  std::vector<Page*> maximized;
  std::vector<PageArrangement> arranged;
  std::vector<std::string> pageList;
  std::size_t pageListSelected = static_cast<std::size_t>(-1);
  std::vector<std::string> watched;  // the files the view was told to watch
  bool droppedDown = false;
  bool pageListFocus = false;
  std::array<std::string, 7> status;
  std::string caption;
  std::string title;
  std::string helpFile;
  std::map<UiItem, ItemState> items;
  bool toolBar = false;
  bool statusBar = false;
  bool painting = true;
  bool paintingBars = true;
  int repaints = 0;
  WindowPlacement placement;
  bool failPlacement = false;
  bool visible = false;
  int showCalls = 0;
  int showsUntilVisible = 1;
  int nudges = 0;
  int closeRequests = 0;
  std::vector<std::string> calls;
};

class FakeDialogs : public FileListDialogPort {
 public:
  int Run(ListDialogMode mode) override {
    runs.push_back(mode);
    if (during) during(mode);
    if (results.empty()) return kListDialogDone;
    const int result = results.front();
    results.pop_front();
    return result;
  }
  std::vector<ListDialogMode> runs;
  std::deque<int> results;
  std::function<void(ListDialogMode)> during;  // what the dialog does while it is open
};

class FakeFindWindow : public FindWindowPort {
 public:
  bool Available() const override { return available; }
  bool Create() override {
    ++creates;
    return !createFails;
  }
  void Destroy() override {
    ++destroys;
    if (onDestroy) onDestroy();
  }
  void Open(FindRequest request) override {
    requests.push_back(request);
    visible = true;
  }
  bool Visible() const override { return visible; }
  void Close() override {
    visible = false;
    ++closes;
  }
  void FindNext() override { ++findNexts; }
  void MakeTopmost() override { ++topmost; }
  bool HistoryListShown() const override { return historyShown; }
  void OptionsChanged() override { ++optionsChanges; }

  bool available = true;
  bool createFails = false;
  bool visible = false;
  bool historyShown = false;
  int creates = 0;
  int destroys = 0;
  int closes = 0;
  int findNexts = 0;
  int topmost = 0;
  int optionsChanges = 0;
  std::vector<FindRequest> requests;
  std::function<void()> onDestroy;
};

class FakeOptions : public OptionsDialogPort {
 public:
  bool Available() const override { return available; }
  int Show(int page) override {
    pages.push_back(page);
    if (during) during(page);
    return shownLast.value_or(page);
  }
  bool available = true;
  std::vector<int> pages;
  std::optional<int> shownLast;
  std::function<void(int)> during;
};

class FakeHelp : public HelpPort {
 public:
  bool ShowContents(const std::string& file) override {
    contents.push_back(file);
    return viewer;
  }
  bool SearchKeyword(const std::string& file, const std::string& keyword) override {
    searches.push_back({file, keyword});
    return viewer;
  }
  bool viewer = true;  // false: nothing can show a help file
  std::vector<std::string> contents;
  std::vector<std::pair<std::string, std::string>> searches;
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = fs::path(::testing::TempDir()) /
           ("norra_app_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "config");
    fs::create_directories(root / "work");
    fs::create_directories(root / "help");
    clock.Set(DateTime{2001, 3, 2, 9, 5, 3, 0});
  }
  void TearDown() override {
    window.reset();
    fs::remove_all(root);
  }

  // A settings file of the current version, so the first show does not offer the options.
  void WriteCurrentSettings(const std::string& extra = "") {
    WriteFile(root / "config" / "Norra.ini", "[Norra]\r\nIniVersion=3500\r\n" + extra);
  }

  MainWindowPorts Ports() {
    return MainWindowPorts{view, ui, clipboard, clock, dialogs, find, options, help, nullptr};
  }
  StartupOptions Options(std::vector<std::string> args) {
    return StartupOptions{std::move(args), Work(), (root / "config").string() + "/", (root / "help").string()};
  }
  // Creates and shows the main window with these command-line arguments.
  MainWindow& Start(std::vector<std::string> args = {}) {
    window = std::make_unique<MainWindow>(Ports(), Options(std::move(args)));
    EXPECT_TRUE(window->Create());
    window->Show();
    return *window;
  }

  std::string Work() const { return (root / "work").string(); }
  static void WriteFile(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string MakeFile(const std::string& relative, std::string_view bytes) {
    const fs::path path = root / "work" / relative;
    WriteFile(path, bytes);
    return path.string();
  }
  static std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  Page* Active() { return window->Docs().ActivePage(); }
  static MemoryTextControl& Memory(Page& page) { return static_cast<MemoryTextControl&>(page.Control()); }
  static std::string Show(Page& page) { return ShowMarked(Memory(page)); }
  std::string Show() { return Show(*Active()); }
  // Puts marked text into the Page, as a loaded text (not modified), behind the log's back.
  void SetMarked(Page& page, std::string_view notation) {
    MemoryTextControl& control = Memory(page);
    testing::SetMarked(control, notation);
    control.SetModified(false);
    window->Log().SetCurrentPage(&page);
  }
  void SetMarked(std::string_view notation) { SetMarked(*Active(), notation); }
  // A new untitled Page, active, with the marked text.
  Page& NewPage(std::string_view notation = "|") {
    window->Execute(UiItem::mnuMakeNewFile);
    SetMarked(notation);
    return *Active();
  }

  // Plays keys on the active Page: UTF-8 characters are typed; <Home> <S-Home> <C-Home>
  // <CS-Home> (<A-...> with Alt), the same for End, <Enter> <S-Enter> <C-Enter> <Tab> <S-Tab> <BS> <Del> <Left>
  // <Right> <Up> <Down> <PgUp> <PgDn> <Ins> <Esc> <Shift> (Shift going down) <Ctrl> are keys.
  void Keys(std::string_view script) {
    MemoryTextControl& control = Memory(*Active());
    std::size_t i = 0;
    while (i < script.size()) {
      if (script[i] == '<') {
        const std::size_t close = script.find('>', i);
        ASSERT_NE(close, std::string_view::npos) << script;
        std::string token(script.substr(i + 1, close - i - 1));
        i = close + 1;
        unsigned shift = 0;
        if (token.rfind("CS-", 0) == 0) {
          shift = kShiftKey | kCtrlKey;
          token.erase(0, 3);
        } else if (token.rfind("S-", 0) == 0) {
          shift = kShiftKey;
          token.erase(0, 2);
        } else if (token.rfind("C-", 0) == 0) {
          shift = kCtrlKey;
          token.erase(0, 2);
        } else if (token.rfind("A-", 0) == 0) {
          shift = kAltKey;
          token.erase(0, 2);
        }
        static const std::map<std::string, int> keys = {
            {"Home", kKeyHome}, {"End", kKeyEnd},   {"Enter", kKeyReturn}, {"Tab", kKeyTab},
            {"BS", kKeyBack},   {"Del", kKeyDelete}, {"Left", kKeyLeft},   {"Right", kKeyRight},
            {"Up", kKeyUp},     {"Down", kKeyDown}, {"PgUp", kKeyPageUp}, {"PgDn", kKeyPageDown},
            {"Ins", kKeyInsert}, {"Shift", kKeyShift}, {"Ctrl", kKeyControl}, {"Esc", kKeyEscape}};
        auto it = keys.find(token);
        ASSERT_NE(it, keys.end()) << "unknown key " << token;
        if (it->second == kKeyShift) shift |= kShiftKey;
        if (it->second == kKeyControl) shift |= kCtrlKey;
        control.PressKey(it->second, shift);
        continue;
      }
      std::size_t n = 1;
      const unsigned char lead = static_cast<unsigned char>(script[i]);
      if (lead >= 0xF0) n = 4;
      else if (lead >= 0xE0) n = 3;
      else if (lead >= 0xC0) n = 2;
      control.TypeChar(Utf8ToCp932(script.substr(i, n)));
      i += n;
    }
  }

  fs::path root;
  FakeView view;
  TestUi ui;
  TestClipboard clipboard;
  FixedClock clock;
  FakeDialogs dialogs;
  FakeFindWindow find;
  FakeOptions options;
  FakeHelp help;
  std::unique_ptr<MainWindow> window;
};

}  // namespace norra::testing

// Test harness for the find/replace window's logic: open Pages in memory, a recording view and
// main window, in-memory boxes, and the marked-text notation ("ab|c", "a[bc]d", "a{bc}d").
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "findreplace/FindReplaceWindow.h"
#include "findreplace/HitListRun.h"
#include "platform/FixedClock.h"
#include "platform/MemoryClipboard.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "platform/ScriptedFolderChooser.h"
#include "settings/Settings.h"
#include "support/MarkedText.h"
#include "text/Encoding.h"

namespace norra::testing {

namespace fs = std::filesystem;

class PagesHost : public DocumentsHost {
 public:
  std::unique_ptr<TextControl> CreateTextControl() override {
    return std::make_unique<MemoryTextControl>();
  }
};

// The window as the logic drives it, written down.
class FakeFindView : public FindReplaceView {
 public:
  void SetCaption(const std::string& text) override { caption = text; }
  void SetControlVisible(std::string_view name, bool on) override {
    visibleControls[std::string(name)] = on;
  }
  void SetControlEnabled(std::string_view name, bool on) override {
    enabledControls[std::string(name)] = on;
  }
  void CheckRange(FindRange range) override { checked = range; }
  void ShowFolderText(const std::string& text) override { folderText = text; }
  void ShowGroupText(const std::string& text) override { groupText = text; }
  void CheckFolds(bool width, bool kana) override { folds = {width, kana}; }
  FindWindowGeometry Geometry() const override { return geometry; }
  void SetGeometry(const FindWindowGeometry& g) override { geometry = g; }
  bool IsVisible() const override { return visible; }
  void ShowWindow() override { visible = true; }
  void HideWindow() override { visible = false; }
  void SetWindowEnabled(bool on) override { calls.push_back(on ? "window on" : "window off"); }
  void BringToTop() override {}
  void FocusWindow() override {}
  // Focusing a box selects all of its text, as the window does.
  void FocusBox(FindBox box) override {
    focused = box;
    focusCalls.push_back(box == FindBox::Find ? "txtFind" : "txtReplace");
    if (MemoryTextControl* control = boxes[box == FindBox::Find ? 0 : 1])
      control->SetSelection(0, control->TextLength());
  }
  void FocusBoxAsIs(FindBox box) override {
    focused = box;
    focusCalls.push_back(box == FindBox::Find ? "txtFind as is" : "txtReplace as is");
  }
  bool HasFocusedControl() const override { return controlFocused; }
  void ApplyColours(int fore, int back) override { colours.push_back({fore, back}); }
  void ShowHistoryList(FindBox box, const std::vector<std::string>& rows, int selected) override {
    historyList[box] = rows;
    historyRow = selected;
  }
  void HideHistoryList(FindBox box) override { historyList.erase(box); }
  bool HistoryListShown(FindBox box) const override { return historyList.count(box) > 0; }
  void ShowTagPanel(const std::string& caption, const std::vector<std::string>& rows, int,
                    const std::string& sample) override {
    tagCaption = caption;
    tagRows = rows;
    tagSample = sample;
  }
  void ShowTagSample(const std::string& sample) override { tagSample = sample; }
  void HideTagPanel() override { tagCaption.clear(); }

  bool Shown(const std::string& name) const {
    auto it = visibleControls.find(name);
    return it != visibleControls.end() && it->second;
  }

  std::string caption;
  std::map<std::string, bool> visibleControls;
  std::map<std::string, bool> enabledControls;
  FindRange checked = FindRange::CurrentPad;
  std::string folderText;
  std::string groupText;
  std::pair<bool, bool> folds{false, false};  // chkFoldWidth, chkFoldKana
  FindWindowGeometry geometry{0, 0, 399, 291};
  bool visible = false;
  FindBox focused = FindBox::Find;
  std::vector<std::pair<int, int>> colours;
  std::map<FindBox, std::vector<std::string>> historyList;
  int historyRow = -2;
  std::string tagCaption;  // empty while the panel is closed
  std::vector<std::string> tagRows;
  std::string tagSample;
  std::vector<std::string> calls;
  std::vector<std::string> focusCalls;                // the boxes focused, in order
  MemoryTextControl* boxes[2] = {nullptr, nullptr};  // txtFind, txtReplace
  bool controlFocused = false;                        // some control has the focus
};

class FakeFindHost : public FindWindowHost {
 public:
  void SetStatusText(const std::string& text) override { status.push_back(text); }
  void SetMainWindowEnabled(bool on) override { calls.push_back(on ? "main on" : "main off"); }
  int MainWindowLeft() const override { return mainLeft; }
  int MainWindowTop() const override { return mainTop; }
  int PageWindowTop(Page&) const override { return pageTop; }
  void FocusActivePage() override { calls.push_back("focus page"); }
  void ShowOptions(int page) override { options.push_back(page); }
  void ShowHelpTopic(int topic) override { topics.push_back(topic); }
  void ShowHitList(std::unique_ptr<HitListRun> run, const std::string& caption) override {
    hitList = std::move(run);
    hitListCaption = caption;
  }

  std::vector<std::string> status;
  std::vector<std::string> calls;
  std::vector<int> options;
  std::vector<int> topics;
  std::unique_ptr<HitListRun> hitList;
  std::string hitListCaption;
  int mainLeft = 0;
  int mainTop = 0;
  int pageTop = 0;
};

class FindWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tags.Build());
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir =
        fs::path(::testing::TempDir()) / ("norra_findwin_" + std::string(info->test_suite_name()) +
                                          "_" + info->name() + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    settings = std::make_unique<Settings>(tags, (dir / "Norra.ini").string(), dir.string(),
                                          ScreenSize{1920, 1080});
    log = std::make_unique<UndoLog>(ui);
    docs = std::make_unique<Documents>(*settings, *log, ui, pagesHost, nullptr);
    view.boxes[0] = &findBox;
    view.boxes[1] = &replaceBox;
    window = std::make_unique<FindReplaceWindow>(
        FindReplaceContext{*docs, *log, *settings, ui, clipboard, host, folders, &clock, &tags},
        view, findBox, replaceBox);
    ASSERT_TRUE(window->Create());
  }
  void TearDown() override {
    window.reset();
    docs.reset();
    fs::remove_all(dir);
  }

  // Opens Pages with these marked texts, listed in this order (index 0 first), named p0.txt,
  // p1.txt... unless names are given; the Page of index `active` becomes the active one.
  void OpenPages(const std::vector<std::string>& texts, std::size_t active = 0,
                 const std::vector<std::string>& names = {}) {
    for (std::size_t i = texts.size(); i-- > 0;) {
      ASSERT_EQ(docs->OpenPage("", false), 1);
      Page& page = *docs->ActivePage();
      page.SetDisplayName(i < names.size() ? names[i] : "p" + std::to_string(i) + ".txt");
      SetMarked(Memory(page), texts[i]);
      page.SetModified(false);
    }
    docs->ActivatePage(PageAt(active));
    log->SetCurrentPage(docs->ActivePage());
  }
  Page* PageAt(std::size_t index) { return docs->List().At(index).page; }
  std::size_t ActiveIndex() { return docs->List().IndexOf(*docs->ActivePage()); }
  static MemoryTextControl& Memory(Page& page) {
    return static_cast<MemoryTextControl&>(page.Control());
  }
  std::string Show(std::size_t index) { return ShowMarked(Memory(*PageAt(index))); }
  std::string Show() { return ShowMarked(Memory(*docs->ActivePage())); }

  // Texts typed into the boxes (UTF-8).
  void SetFind(std::string_view text) { SetBox(findBox, text); }
  void SetReplace(std::string_view text) { SetBox(replaceBox, text); }
  static void SetBox(MemoryTextControl& box, std::string_view text) {
    box.SetSelection(0, box.TextLength());
    box.ReplaceSelection(Utf8ToCp932(text));
  }

  // The message boxes shown so far as "caption: text" (text's line breaks kept), then cleared.
  std::vector<std::string> TakeBoxes() {
    std::vector<std::string> out;
    for (const MessageBoxRecord& box : ui.Boxes()) out.push_back(box.caption + ": " + box.text);
    ui.ClearBoxes();
    return out;
  }

  TagTable tags;
  fs::path dir;
  MemoryUi ui;
  MemoryClipboard clipboard;
  FixedClock clock;
  PagesHost pagesHost;
  FakeFindView view;
  FakeFindHost host;
  ScriptedFolderChooser folders;
  MemoryTextControl findBox;
  MemoryTextControl replaceBox;
  std::unique_ptr<Settings> settings;
  std::unique_ptr<UndoLog> log;
  std::unique_ptr<Documents> docs;
  std::unique_ptr<FindReplaceWindow> window;
};

}  // namespace norra::testing

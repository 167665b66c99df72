// Test harness for the batch file-list dialog: the main window's logic with the dialog runner
// in place of a fake, and a scripted view that plays the user's part while the dialog is open.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/AppHarness.h"
#include "groups/FileListDialog.h"
#include "groups/FileListDialogRunner.h"
#include "groups/FileListDialogView.h"

namespace norra::testing {

// What the dialog looked like when the view was asked to show it.
struct ShownDialog {
  ListDialogMode mode{};
  std::string caption;
  std::string prompt;
  std::string doCaption;
  std::string withoutCaption;
  bool withoutVisible = false;
  std::vector<std::string> names;  // file-name column, top to bottom
  std::vector<bool> selected;
  std::string status0;
  std::string status1;
};

class ScriptedListView : public FileListDialogView {
 public:
  void ShowModal(FileListDialog& dialog) override {
    ShownDialog shown;
    shown.mode = dialog.DialogMode();
    shown.caption = dialog.Caption();
    shown.prompt = dialog.Prompt();
    shown.doCaption = dialog.Control(FileListControl::cmdDo).caption;
    shown.withoutCaption = dialog.Control(FileListControl::cmdWithout).caption;
    shown.withoutVisible = dialog.Control(FileListControl::cmdWithout).visible;
    for (const FileListRow& row : dialog.Rows()) {
      shown.names.push_back(row.columns[FileListRow::kName]);
      shown.selected.push_back(row.selected);
    }
    shown.status0 = dialog.StatusText(0);
    shown.status1 = dialog.StatusText(1);
    shows.push_back(shown);
    closed = false;
    // A modal dialog that the user keeps open is played by the script until it closes.
    if (!scripts.empty()) {
      auto script = scripts.front();
      scripts.erase(scripts.begin());
      script(dialog);
    }
    results.push_back(dialog.DialogResult());
    wasClosed.push_back(closed);
  }
  void Close() override { closed = true; }
  void RowFocused(std::size_t row) override { focusedRows.push_back(row); }
  int NameColumnWidth() const override { return 120; }
  void MoveLeftEdge(int x) override { moves.push_back(x); }
  void RestorePosition() override { ++restores; }

  std::vector<std::function<void(FileListDialog&)>> scripts;  // one per dialog shown
  std::vector<ShownDialog> shows;
  std::vector<int> results;
  std::vector<bool> wasClosed;
  std::vector<std::size_t> focusedRows;
  std::vector<int> moves;
  int restores = 0;
  bool closed = false;
};

class ListDialogTest : public AppTest {
 protected:
  // The main window with the real dialogs, no Page open.
  MainWindow& Launch() {
    WriteCurrentSettings();
    window = std::make_unique<MainWindow>(
        MainWindowPorts{view, ui, clipboard, clock, runner, find, options, help, nullptr, &runner},
        Options({}));
    EXPECT_TRUE(window->Create());
    runner.Bind(Context());
    window->Show();
    // The first show opens an untitled Page; the tests make their own.
    while (window->Docs().PageCount() > 0) window->Docs().DestroyPage(*Active());
    ui.ClearBoxes();
    return *window;
  }
  FileListDialogContext Context() {
    return FileListDialogContext{window->Docs(),
                                 window->Prefs(),
                                 window->Log(),
                                 ui,
                                 *window,
                                 nullptr,
                                 [this](int topic) { helpTopics.push_back(topic); },
                                 nullptr};
  }

  // Opens a file made under the work folder; it becomes the active Page.
  Page& OpenFile(const std::string& relative, std::string_view bytes) {
    const std::string path = MakeFile(relative, bytes);
    EXPECT_EQ(window->Docs().OpenPage(path, true), 1);
    return *Active();
  }
  Page& NewUntitled() {
    window->Docs().OpenPage(std::string(), false);
    return *Active();
  }
  // Gives the Page new text (UTF-8 here, CP932 in the Page) as an edit would.
  static void Edit(Page& page, std::string_view utf8) {
    Memory(page).SetText(Utf8ToCp932(utf8));
    page.SetModified(true);
  }
  static std::string TextOf(Page& page) { return Cp932ToUtf8(page.Control().Text()); }
  std::string WorkPath(const std::string& relative) const {
    return (root / "work" / relative).string();
  }
  void Script(std::function<void(FileListDialog&)> script) {
    listView.scripts.push_back(std::move(script));
  }
  std::vector<std::string> PagePaths() {
    std::vector<std::string> paths;
    for (const PageListEntry& entry : window->Docs().List().Entries())
      paths.push_back(entry.page->FilePath());
    return paths;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : ui.Boxes()) texts.push_back(box.text);
    return texts;
  }

  ScriptedListView listView;
  FileListDialogRunner runner{listView};
  std::vector<int> helpTopics;
};

}  // namespace norra::testing

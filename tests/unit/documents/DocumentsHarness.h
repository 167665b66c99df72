// Test harness for the documents layer: in-memory ports, a recording host, and a notation that
// shows text and selection together ("ab|c", "a[bc]d", backwards "a{bc}d").
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "settings/Settings.h"
#include "support/MarkedText.h"
#include "text/Encoding.h"

namespace norra::testing {

namespace fs = std::filesystem;

// A host that makes in-memory controls and writes down what the main window was told.
class RecordingHost : public DocumentsHost {
 public:
  std::unique_ptr<TextControl> CreateTextControl() override { return std::make_unique<MemoryTextControl>(); }
  void PageCreated(Page&) override { calls.push_back("created"); }
  void PageDestroyed(Page& page) override { calls.push_back("destroyed " + page.DisplayName()); }
  void PageActivated(Page& page) override { calls.push_back("activated " + page.DisplayName()); }
  void ShowEmptyStatus() override { calls.push_back("empty status"); }
  void UpdateStatusBar() override { ++statusUpdates; }
  void SetApplicationTitle(const std::string& text) override { title = text; }
  void SetRedraw(bool on, Page*) override { redraw += on ? "+" : "-"; }

  std::vector<std::string> calls;
  std::string title;
  std::string redraw;
  int statusUpdates = 0;
};

// Everything a Page needs, headless.
class DocumentsTestBase : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tags.Build());
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::path(::testing::TempDir()) /
          ("norra_documents_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    settings = std::make_unique<Settings>(tags, (dir / "Norra.ini").string(), dir.string(), ScreenSize{1920, 1080});
    log = std::make_unique<UndoLog>(ui);
    docs = std::make_unique<Documents>(*settings, *log, ui, host, files);
  }
  void TearDown() override {
    docs.reset();
    fs::remove_all(dir);
  }

  // A new untitled Page, active, with the given marked text set up as its content.
  Page& NewPage(std::string_view notation = "|") {
    EXPECT_EQ(docs->OpenPage("", false), 1);
    Page& page = *docs->ActivePage();
    SetMarked(Memory(page), notation);
    log->SetCurrentPage(&page);  // the text was replaced behind the log's back
    return page;
  }
  static MemoryTextControl& Memory(Page& page) { return static_cast<MemoryTextControl&>(page.Control()); }
  static std::string Show(Page& page) { return ShowMarked(Memory(page)); }

  // Plays keys on the Page: plain characters are typed (UTF-8 in the script), and
  // <BS> <C-BS> <Del> <C-Del> <Left> <Right> <Up> <Down> <Home> <End> <Enter> <C-Enter> <Tab> <Ins>
  // <Shift> <Ctrl> <Undo> <Click N> <Ime TEXT> are keys, an undo step, a click at offset N and a
  // committed composition.
  void Keys(Page& page, std::string_view script) {
    MemoryTextControl& control = Memory(page);
    std::size_t i = 0;
    while (i < script.size()) {
      if (script[i] == '<') {
        const std::size_t close = script.find('>', i);
        ASSERT_NE(close, std::string_view::npos) << script;
        const std::string token(script.substr(i + 1, close - i - 1));
        i = close + 1;
        if (token == "BS") control.PressKey(kKeyBack);
        else if (token == "Del") control.PressKey(kKeyDelete);
        else if (token == "C-Del") control.PressKey(kKeyDelete, kCtrlKey);
        else if (token == "C-BS") control.PressKey(kKeyBack, kCtrlKey);
        else if (token == "Left") control.PressKey(kKeyLeft);
        else if (token == "Right") control.PressKey(kKeyRight);
        else if (token == "Up") control.PressKey(kKeyUp);
        else if (token == "Down") control.PressKey(kKeyDown);
        else if (token == "Home") control.PressKey(kKeyHome);
        else if (token == "End") control.PressKey(kKeyEnd);
        else if (token == "Enter") control.PressKey(kKeyReturn);
        else if (token == "C-Enter") control.PressKey(kKeyReturn, kCtrlKey);
        else if (token == "Tab") control.PressKey(kKeyTab);
        else if (token == "Ins") control.PressKey(kKeyInsert);
        else if (token == "Shift") control.PressKey(kKeyShift, kShiftKey);
        else if (token == "Ctrl") control.PressKey(kKeyControl, kCtrlKey);
        else if (token == "Undo") log->UndoLast();
        else if (token.rfind("Click ", 0) == 0) control.ClickAt(std::stoul(token.substr(6)));
        else if (token.rfind("Ime ", 0) == 0) control.Compose(Utf8ToCp932(token.substr(4)));
        else ADD_FAILURE() << "unknown key " << token;
        continue;
      }
      // One UTF-8 character.
      std::size_t n = 1;
      const unsigned char lead = static_cast<unsigned char>(script[i]);
      if (lead >= 0xF0) n = 4;
      else if (lead >= 0xE0) n = 3;
      else if (lead >= 0xC0) n = 2;
      control.TypeChar(Utf8ToCp932(script.substr(i, n)));
      i += n;
    }
  }

  // Writes bytes to a file in the test folder and returns its path.
  std::string MakeFile(const std::string& name, std::string_view bytes) {
    const fs::path path = dir / name;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  MemoryUi ui;
  TagTable tags;
  RecordingHost host;
  FileStore* files = nullptr;  // set before SetUp runs to stage file failures
  fs::path dir;
  std::unique_ptr<Settings> settings;
  std::unique_ptr<UndoLog> log;
  std::unique_ptr<Documents> docs;
};

}  // namespace norra::testing

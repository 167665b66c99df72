// The PDF file question: asked every time with the last file proposed, and an existing file
// only replaced after the program's own overwrite question.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/MemoryUi.h"
#include "printing/PdfFileQuestion.h"

namespace norra {
namespace {

TEST(PdfFileQuestionTest, EveryPrintAsksAndAnExistingFileIsOverwrittenOnlyAfterYes) {
  const std::set<std::string> existing = {"/out/last.pdf", "/out/taken.pdf"};
  const auto exists = [&existing](const std::string& path) { return existing.count(path) > 0; };
  struct Case {
    const char* what;
    std::vector<std::string> chosen;  // the dialog's answers; "" cancels it
    std::vector<int> answers;         // the overwrite questions' answers
    const char* result;
    std::vector<std::string> proposed;  // what each dialog proposed
    std::size_t questions;
  };
  const Case cases[] = {
      {"a new file", {"/out/new.pdf"}, {}, "/out/new.pdf", {"/out/last.pdf"}, 0},
      {"the last file again, Yes", {"/out/last.pdf"}, {IDYES}, "/out/last.pdf", {"/out/last.pdf"}, 1},
      {"No asks again", {"/out/taken.pdf", "/out/other"}, {IDNO}, "/out/other.pdf",
       {"/out/last.pdf", "/out/taken.pdf"}, 1},
      {"Cancel gives up", {"/out/taken.pdf"}, {IDCANCEL}, "", {"/out/last.pdf"}, 1},
      {"the dialog cancelled", {""}, {}, "", {"/out/last.pdf"}, 0},
  };
  for (const Case& c : cases) {
    MemoryUi ui;
    for (const std::string& file : c.chosen) {
      if (file.empty()) {
        ui.QueueDialogCancel();
      } else {
        ui.QueueDialogFiles({file});
      }
    }
    for (int answer : c.answers) ui.QueueAnswer(answer);
    EXPECT_EQ(AskPdfFile(ui, "/out/last.pdf", exists), c.result) << c.what;
    std::vector<std::string> proposed;
    for (const auto& dialog : ui.Dialogs()) {
      EXPECT_TRUE(dialog.save) << c.what;
      EXPECT_FALSE(dialog.request.overwritePrompt) << c.what;
      proposed.push_back(dialog.request.fileName);
    }
    EXPECT_EQ(proposed, c.proposed) << c.what;
    ASSERT_EQ(ui.Boxes().size(), c.questions) << c.what;
    if (c.questions > 0) {
      EXPECT_EQ(ui.Boxes()[0].text, c.chosen[0] + "\nは既に存在します。上書きしますか?") << c.what;
      EXPECT_EQ(ui.Boxes()[0].flags, MB_YESNOCANCEL | MB_ICONQUESTION) << c.what;
    }
  }
  // The first print proposes a name of its own.
  MemoryUi ui;
  EXPECT_EQ(AskPdfFile(ui, "", exists), "");
  ASSERT_EQ(ui.Dialogs().size(), 1u);
  EXPECT_EQ(ui.Dialogs()[0].request.fileName, "Norra.pdf");
}

}  // namespace
}  // namespace norra

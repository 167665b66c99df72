// The byte-buffer text control: selections are clamped, a replacement is one edit and is
// refused whole when it would not fit.
#include "platform/MemoryTextControl.h"

#include <gtest/gtest.h>

namespace norra {
namespace {

TEST(MemoryTextControlTest, SelectionAndReplacement) {
  MemoryTextControl control("hello world");
  control.SetSelection(6, 100);
  EXPECT_EQ(control.SelStart(), 6u);
  EXPECT_EQ(control.SelLength(), 5u);
  EXPECT_EQ(control.SelText(), "world");
  ASSERT_TRUE(control.ReplaceSelection("there!"));
  EXPECT_EQ(control.Text(), "hello there!");
  EXPECT_EQ(control.SelStart(), 12u);  // caret after the new text
  EXPECT_EQ(control.SelLength(), 0u);
  EXPECT_TRUE(control.Modified());
  EXPECT_EQ(control.EditCount(), 1u);
  control.SetSelection(50, 1);
  EXPECT_EQ(control.SelStart(), 12u);
  EXPECT_EQ(control.SelLength(), 0u);
}

TEST(MemoryTextControlTest, RefusesWhatWouldNotFit) {
  MemoryTextControl control("abc");
  control.SetMaxLength(4);
  control.SetSelection(0, 1);
  EXPECT_TRUE(control.ReplaceSelection("xy"));  // exactly 4
  control.SetSelection(0, 0);
  EXPECT_FALSE(control.ReplaceSelection("z"));
  EXPECT_EQ(control.Text(), "xybc");
  control.SetFailEdits(true);
  control.SetSelection(0, 4);
  EXPECT_FALSE(control.ReplaceSelection(""));
  EXPECT_EQ(control.Text(), "xybc");
  EXPECT_EQ(control.EditCount(), 1u);
}

}  // namespace
}  // namespace norra

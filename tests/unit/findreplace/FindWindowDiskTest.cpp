// The folder and group ranges of the find/replace window: choosing the folder, and replace all
// handed to the disk search with the window's masks.
#include <fstream>

#include "FindWindowHarness.h"
#include "text/PathUtil.h"

namespace norra::testing {
namespace {

class FindWindowDiskTest : public FindWindowTest {
 protected:
  std::string Write(const std::string& relative, std::string_view bytes) {
    const fs::path path = dir / "tree" / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void ReplaceAllOn(FindRange range, std::string_view find, std::string_view replace,
                    std::string masks) {
    window->Open(kReplaceMode);
    window->ChooseRange(range);
    window->SetMaskText(std::move(masks));
    SetFind(find);
    SetReplace(replace);
    window->ReplaceAll();
  }
};

TEST_F(FindWindowDiskTest, TheFolderRangeStartsAtThePageFolderNeverAtTheRoot) {
  auto startOfANewWindow = [this] {
    FakeFindView otherView;
    MemoryTextControl otherFind;
    MemoryTextControl otherReplace;
    const FindReplaceWindow other(
        FindReplaceContext{*docs, *log, *settings, ui, clipboard, host, folders, &clock, &tags},
        otherView, otherFind, otherReplace);
    return other.FolderText();
  };
  const std::string home = HomeFolder() == "/" ? "/" : WithoutTrailingSlash(HomeFolder());
  // Neither a Page nor a folder used before: the home folder.
  settings->File.CurrentDir.clear();
  EXPECT_EQ(startOfANewWindow(), home);
  settings->File.CurrentDir = (dir / "gone").string() + "/";
  EXPECT_EQ(startOfANewWindow(), home);
  // The folder of the open and save dialogs.
  settings->File.CurrentDir = dir.string() + "/";
  EXPECT_EQ(startOfANewWindow(), dir.string());
  // The active Page's folder before all.
  ASSERT_EQ(docs->OpenPage(Write("docs/p.txt", "x"), false), 1);
  EXPECT_EQ(startOfANewWindow(), (dir / "tree" / "docs").string());
}

TEST_F(FindWindowDiskTest, TheFolderComesFromTheChooserAndItsMatchingFilesAreRewritten) {
  const std::string a = Write("a.txt", "ab\r\n");
  const std::string b = Write("b.log", "ab\r\n");
  const std::string c = Write("sub/c.txt", "xab\r\n");
  settings->File.CurrentDir = "/start";
  folders.Queue((dir / "tree").string() + "/");
  window->SetFolderText("/no/such/folder");
  window->ChooseFolder();
  EXPECT_EQ(folders.StartPaths(), std::vector<std::string>{"/start"});
  EXPECT_EQ(window->FolderText(), (dir / "tree").string());  // without its final "/"
  EXPECT_EQ(view.folderText, window->FolderText());
  EXPECT_EQ(settings->File.CurrentDir, window->FolderText());

  ReplaceAllOn(FindRange::Directory, "ab", "Z", "*.TXT");
  EXPECT_EQ(Read(a), "Z\r\n");
  EXPECT_EQ(Read(b), "ab\r\n");
  EXPECT_EQ(Read(c), "xZ\r\n");
  EXPECT_EQ(TakeBoxes(),
            (std::vector<std::string>{
                "◆全て置換 - [ﾌｫﾙﾀﾞ(DISK)]: 置換終了しました。\n(現在の条件での置換数 : 2)"}));
  EXPECT_EQ(window->LastRangeKind, FindRange::Directory);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"window off", "window on"}));

  // A cancelled chooser changes nothing; a missing folder is refused with its message.
  window->ChooseFolder();
  EXPECT_EQ(window->FolderText(), (dir / "tree").string());
  window->SetFolderText((dir / "missing").string());
  window->ReplaceAll();
  EXPECT_EQ(TakeBoxes(),
            std::vector<std::string>{"◆全て置換 - [ﾌｫﾙﾀﾞ(DISK)]: 検索するﾌｫﾙﾀﾞを指定して下さい"});
}

TEST_F(FindWindowDiskTest, TheGroupRewritesItsMembersTheMasksAccept) {
  const std::string a = Write("a.txt", "ab");
  const std::string b = Write("b.log", "ab");
  const std::string outside = Write("c.txt", "ab");
  const std::string group = Write("g.tgp", a + "\r\n" + b + "\r\n");
  ui.QueueDialogCancel();
  window->ChooseGroup();
  EXPECT_EQ(window->GroupText(), "文ｸﾞﾙｰﾌﾟ (*.tgp)");
  ui.QueueDialogFiles({group});
  window->ChooseGroup();
  EXPECT_EQ(window->GroupText(), group);
  EXPECT_EQ(view.groupText, group);
  EXPECT_EQ(ui.Dialogs().back().request.filters.front().pattern, "*.tgp");

  ReplaceAllOn(FindRange::Group, "ab", "Z", "");
  EXPECT_EQ(Read(a), "Z");  // only the replaced bytes change
  EXPECT_EQ(Read(b), "Z");
  EXPECT_EQ(Read(outside), "ab");
  EXPECT_EQ(TakeBoxes(),
            (std::vector<std::string>{
                "◆全て置換 - [ｸﾞﾙｰﾌﾟ(DISK)]: 置換終了しました。\n(現在の条件での置換数 : 2)"}));
  EXPECT_EQ(window->LastRangeKind, FindRange::Group);

  window->SetGroupText((dir / "none.tgp").string());
  window->ReplaceAll();
  EXPECT_EQ(TakeBoxes(),
            std::vector<std::string>{"◆全て置換 - [ｸﾞﾙｰﾌﾟ(DISK)]: 検索するｸﾞﾙｰﾌﾟを指定して下さい"});

  // Find next does nothing on the disk ranges; the folder range then comes back on opening.
  window->FindNext();
  EXPECT_TRUE(TakeBoxes().empty());
  window->Open(kFindMode);
  EXPECT_EQ(window->Range(), FindRange::Group);
}

}  // namespace
}  // namespace norra::testing

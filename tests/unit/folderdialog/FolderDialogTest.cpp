// The folder selection dialog over a temporary folder tree: the lazy tree, opening on a start
// path, the edit box, OK with the creation offer, Cancel and the dialog's state.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "folderdialog/DiskFolderSystem.h"
#include "folderdialog/FolderDialog.h"
#include "platform/MemoryUi.h"

namespace norra {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// A system whose drives cannot be listed.
class NoDrives : public DiskFolderSystem {
 public:
  std::optional<std::vector<FolderDrive>> Drives() override { return std::nullopt; }
};

// Counts the folders read, to show the tree reads only what it shows.
class CountingDisk : public DiskFolderSystem {
 public:
  using DiskFolderSystem::DiskFolderSystem;
  std::vector<std::string> SubfolderNames(const std::string& folder) override {
    read.push_back(folder);
    return DiskFolderSystem::SubfolderNames(folder);
  }
  Texts read;
};

class FolderDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = (fs::path(::testing::TempDir()) /
             ("folders_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                .string();
    fs::remove_all(root_);
    // The tree: two drives, folders in mixed case, files that are not listed.
    for (const char* dir : {"disk/Docs/Letters/2026", "disk/Docs/Notes", "disk/other/deep/er",
                            "disk/b", "disk/a", "disk/.hidden", "usb/photos"}) {
      fs::create_directories(root_ + "/" + dir);
    }
    std::ofstream(root_ + "/disk/file.txt") << "x";
    std::ofstream(root_ + "/disk/Docs/readme") << "x";
    drives_ = {{root_ + "/usb", FolderIcon::Removable}, {root_ + "/disk", FolderIcon::Fixed}};
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Disk() const { return root_ + "/disk"; }

  // The captions of a node's children.
  static Texts Captions(const FolderDialog& dialog, int id) {
    Texts captions;
    for (int child : dialog.Node(id).children) captions.push_back(dialog.Node(child).caption);
    return captions;
  }
  // The node of a path, found by walking listed children; -1 when not in the tree.
  static int NodeOf(const FolderDialog& dialog, const std::string& path) {
    std::vector<int> stack{FolderDialog::kRoot};
    while (!stack.empty()) {
      const int id = stack.back();
      stack.pop_back();
      if (dialog.Node(id).path == path) return id;
      stack.insert(stack.end(), dialog.Node(id).children.begin(), dialog.Node(id).children.end());
    }
    return -1;
  }

  std::string root_;
  std::vector<FolderDrive> drives_;
  MemoryUi ui_;
};

TEST_F(FolderDialogTest, BuildsTheDrivesUnderTheRootWithTheirIcons) {
  DiskFolderSystem disk(drives_);
  FolderDialog dialog(disk, ui_, Disk());
  EXPECT_EQ(dialog.FolderState(), FolderDialog::kReady);
  EXPECT_EQ(dialog.Node(FolderDialog::kRoot).caption, "ﾏｲｺﾝﾋﾟｭｰﾀ");
  EXPECT_EQ(dialog.Node(FolderDialog::kRoot).icon, FolderIcon::Root);
  EXPECT_TRUE(dialog.Node(FolderDialog::kRoot).expanded);
  // Sorted by caption; each drive already knows its folders, so it shows whether it expands.
  EXPECT_EQ(Captions(dialog, FolderDialog::kRoot), (Texts{Disk(), root_ + "/usb"}));
  const FolderNode& disk0 = dialog.Node(dialog.Node(FolderDialog::kRoot).children[0]);
  EXPECT_EQ(disk0.path, Disk() + "/");
  EXPECT_EQ(disk0.icon, FolderIcon::Fixed);
  EXPECT_EQ(dialog.Node(dialog.Node(FolderDialog::kRoot).children[1]).icon, FolderIcon::Removable);
  // Folders only, without "." and "..", sorted without regard to case; hidden ones too.
  EXPECT_EQ(Captions(dialog, dialog.Node(FolderDialog::kRoot).children[0]),
            (Texts{".hidden", "a", "b", "Docs", "other"}));
  EXPECT_EQ(dialog.DirText(), "");
  EXPECT_FALSE(dialog.OkEnabled());
  EXPECT_TRUE(ui_.Boxes().empty());

  NoDrives broken;
  FolderDialog failed(broken, ui_, Disk());
  EXPECT_EQ(failed.FolderState(), FolderDialog::kCreated);
  ASSERT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(ui_.LastBox().text, "ﾌｫﾙﾀﾞ選択ﾞｲｱﾛｸﾞ作成中にｴﾗｰ発生");
  EXPECT_EQ(ui_.LastBox().caption, "Norra");
  EXPECT_EQ(ui_.LastBox().flags, MB_OK);
}

TEST_F(FolderDialogTest, OpensOnTheStartPath) {
  // start path (below the temporary root) → selected node's path and the edit box.
  const struct {
    std::string start;
    std::string selected;  // "" for the root node
  } cases[] = {
      {"/disk/Docs/Letters", "/disk/Docs/Letters/"},
      {"/disk/Docs/Letters/", "/disk/Docs/Letters/"},
      {"/disk", "/disk/"},
      {"/disk/", "/disk/"},
      {"/usb/photos", "/usb/photos/"},
      {"/disk//Docs/./Notes", "/disk/Docs/Notes/"},
      // Lower case finds the folder spelt otherwise.
      {"/disk/docs/letters/2026", "/disk/Docs/Letters/2026/"},
      // The tree stops at the deepest folder found.
      {"/disk/Docs/missing/2026", "/disk/Docs/"},
      {"/disk/Docs/readme", "/disk/Docs/"},
      {"/elsewhere", ""},
  };
  for (const auto& c : cases) {
    DiskFolderSystem disk(drives_);
    FolderDialog dialog(disk, ui_, root_ + c.start);
    dialog.Show();
    EXPECT_EQ(dialog.FolderState(), FolderDialog::kShown);
    const FolderNode& selected = dialog.Node(dialog.Selected());
    const std::string expected = c.selected.empty() ? "" : root_ + c.selected;
    EXPECT_EQ(selected.path, expected) << c.start;
    EXPECT_EQ(dialog.DirText(), expected) << c.start;
    EXPECT_EQ(dialog.OkEnabled(), !expected.empty()) << c.start;
    // Every folder on the way is expanded.
    for (int id = dialog.Node(dialog.Selected()).parent; id > FolderDialog::kRoot;
         id = dialog.Node(id).parent) {
      EXPECT_TRUE(dialog.Node(id).expanded) << c.start << " " << dialog.Node(id).path;
    }
  }
  // The exact spelling wins over a folder that differs in case only.
  fs::create_directories(Disk() + "/docs");
  DiskFolderSystem disk(drives_);
  for (const char* name : {"docs", "Docs"}) {
    FolderDialog dialog(disk, ui_, Disk() + "/" + name);
    dialog.Show();
    EXPECT_EQ(dialog.DirText(), Disk() + "/" + name + "/");
  }
}

TEST_F(FolderDialogTest, TheTreeReadsOnlyWhatItShows) {
  CountingDisk disk(drives_);
  FolderDialog dialog(disk, ui_, Disk() + "/Docs");
  dialog.Show();
  // Beside Docs, "other" knows its folders (it shows an expander) but "deep" does not.
  const int other = NodeOf(dialog, Disk() + "/other/");
  ASSERT_GE(other, 0);
  EXPECT_TRUE(dialog.Node(other).listed);
  EXPECT_FALSE(dialog.Node(other).expanded);
  const int deep = NodeOf(dialog, Disk() + "/other/deep/");
  ASSERT_GE(deep, 0);
  EXPECT_FALSE(dialog.Node(deep).listed);
  EXPECT_EQ(std::count(disk.read.begin(), disk.read.end(), Disk() + "/other/deep/"), 0);

  // Expanding "other" lists the folders of its children.
  ASSERT_TRUE(dialog.Expand(other));
  const int deepNow = NodeOf(dialog, Disk() + "/other/deep/");
  EXPECT_EQ(Captions(dialog, deepNow), Texts{"er"});
  EXPECT_TRUE(dialog.Node(other).expanded);
  // A folder without folders inside cannot be expanded.
  const int empty = NodeOf(dialog, Disk() + "/a/");
  EXPECT_FALSE(dialog.Expand(empty));
  EXPECT_FALSE(dialog.Node(empty).expanded);

  // Selecting a node shows its path; the root node leaves the edit box alone.
  dialog.Select(deepNow);
  EXPECT_EQ(dialog.DirText(), Disk() + "/other/deep/");
  dialog.Select(FolderDialog::kRoot);
  EXPECT_EQ(dialog.DirText(), Disk() + "/other/deep/");
}

TEST_F(FolderDialogTest, OkCreatesAMissingFolderWhenTheUserAgrees) {
  std::ofstream(root_ + "/blocker") << "a file";
  const struct {
    const char* name;
    std::string typed;
    std::vector<int> answers;
    bool closes;
    Texts boxes;  // texts of the boxes shown
  } cases[] = {
      {"an existing folder, exactly as typed", Disk() + "/Docs", {}, true, {}},
      {"with its trailing slash", Disk() + "/Docs/", {}, true, {}},
      {"two new nested folders",
       Disk() + "/new/inner",
       {IDOK},
       true,
       {Disk() + "/new/inner は存在しません。\n新しく作りますか?"}},
      {"refused",
       Disk() + "/refused/inner",
       {IDCANCEL},
       false,
       {Disk() + "/refused/inner は存在しません。\n新しく作りますか?"}},
      {"a file in the way",
       root_ + "/blocker/x",
       {IDOK},
       false,
       {root_ + "/blocker/x は存在しません。\n新しく作りますか?",
        "ﾌｫﾙﾀﾞ\n" + root_ + "/blocker/x\nの作成に失敗しました"}},
  };
  for (const auto& c : cases) {
    MemoryUi ui;
    for (int a : c.answers) ui.QueueAnswer(a);
    DiskFolderSystem disk(drives_);
    FolderDialog dialog(disk, ui, Disk());
    dialog.Show();
    dialog.SetDirText(c.typed);
    EXPECT_EQ(dialog.Ok(), c.closes) << c.name;
    EXPECT_EQ(dialog.FolderState(), c.closes ? FolderDialog::kReady : FolderDialog::kShown)
        << c.name;
    EXPECT_EQ(dialog.DirText(), c.typed) << c.name;
    EXPECT_EQ(fs::is_directory(c.typed), c.closes) << c.name;
    Texts shown;
    for (const MessageBoxRecord& box : ui.Boxes()) shown.push_back(box.text);
    EXPECT_EQ(shown, c.boxes) << c.name;
    if (!ui.Boxes().empty()) {
      EXPECT_EQ(ui.Boxes()[0].flags, MB_OKCANCEL) << c.name;
      EXPECT_EQ(ui.Boxes()[0].caption, "") << c.name;
      EXPECT_EQ(ui.LastBox().caption, "") << c.name;
    }
    if (ui.Boxes().size() == 2) {
      EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
    }
  }
  EXPECT_FALSE(fs::exists(Disk() + "/refused"));
}

TEST_F(FolderDialogTest, ATypedRelativePathIsTakenFromTheShownFolderAndAFileIsNoFolder) {
  const std::string notAFolder = FolderDialog::kNotAFolder;
  const struct {
    const char* name;
    std::string start;
    std::string typed;
    std::vector<int> answers;
    bool closes;
    std::string dirText;  // the edit box after OK
    Texts boxes;
  } cases[] = {
      {"a folder below the shown one", Disk() + "/Docs", "Notes", {}, true, Disk() + "/Docs/Notes", {}},
      {"a new folder there",
       Disk() + "/Docs",
       "relx",
       {IDOK},
       true,
       Disk() + "/Docs/relx",
       {Disk() + "/Docs/relx は存在しません。\n新しく作りますか?"}},
      {"upwards", Disk() + "/Docs/Notes", "../../other/", {}, true, Disk() + "/other/", {}},
      {"a file, typed relative", Disk(), "file.txt", {}, false, Disk() + "/file.txt",
       {Disk() + "/file.txt" + notAFolder}},
      {"a file, typed in full", Disk(), Disk() + "/Docs/readme", {IDOK}, false,
       Disk() + "/Docs/readme", {Disk() + "/Docs/readme" + notAFolder}},
  };
  for (const auto& c : cases) {
    MemoryUi ui;
    for (int a : c.answers) ui.QueueAnswer(a);
    DiskFolderSystem disk(drives_);
    FolderDialog dialog(disk, ui, c.start);
    dialog.Show();
    dialog.SetDirText(c.typed);
    EXPECT_EQ(dialog.Ok(), c.closes) << c.name;
    EXPECT_EQ(dialog.DirText(), c.dirText) << c.name;
    EXPECT_EQ(fs::is_directory(c.dirText), c.closes) << c.name;
    Texts shown;
    for (const MessageBoxRecord& box : ui.Boxes()) shown.push_back(box.text);
    EXPECT_EQ(shown, c.boxes) << c.name;
  }
  // Nothing was made in the program's working folder.
  EXPECT_FALSE(fs::exists("relx"));
  EXPECT_TRUE(fs::is_regular_file(Disk() + "/file.txt"));
}

TEST_F(FolderDialogTest, CancelAndTheEditBox) {
  DiskFolderSystem disk(drives_);
  FolderDialog dialog(disk, ui_, Disk() + "/Docs");
  dialog.Show();
  dialog.SetDirText("");
  EXPECT_FALSE(dialog.OkEnabled());
  dialog.SetDirText("/");
  EXPECT_TRUE(dialog.OkEnabled());
  dialog.Cancel();
  EXPECT_EQ(dialog.FolderState(), FolderDialog::kShown);
}

TEST(DiskFolderSystemTest, DrivesOfTheMountTable) {
  const std::string table =
      "/dev/sda2 / ext4 rw,relatime 0 0\n"
      "proc /proc proc rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "/dev/sda1 /boot/efi vfat rw 0 0\n"
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
      "overlay /var/lib/docker/x overlay rw 0 0\n"
      "/dev/sdb1 /media/me/USB\\040STICK vfat rw 0 0\n"
      "/dev/sdc1 /run/media/me/Card exfat rw 0 0\n"
      "/dev/sr0 /mnt/cdrom iso9660 ro 0 0\n"
      "/dev/sda3 /home ext4 rw 0 0\n"
      "/dev/sda3 /home ext4 rw 0 0\n"
      "server:/export /net/share nfs4 rw 0 0\n"
      "//host/share /mnt/win cifs rw 0 0\n"
      "me@host:/ /mnt/ssh fuse.sshfs rw 0 0\n"
      "/dev/zram0 /var/cache/z ext4 rw 0 0\n"
      "broken line\n";
  EXPECT_EQ(DiskFolderSystem::DrivesOfMountTable(table),
            (std::vector<FolderDrive>{{"/media/me/USB STICK", FolderIcon::Removable},
                                      {"/run/media/me/Card", FolderIcon::Removable},
                                      {"/mnt/cdrom", FolderIcon::CdRom},
                                      {"/home", FolderIcon::Fixed},
                                      {"/net/share", FolderIcon::Network},
                                      {"/mnt/win", FolderIcon::Network},
                                      {"/mnt/ssh", FolderIcon::Network},
                                      {"/var/cache/z", FolderIcon::RamDisk}}));
}

TEST(DiskFolderSystemTest, TheSystemsDrivesStartWithTheRootAndHoldOnlyFolders) {
  DiskFolderSystem disk;
  const auto drives = disk.Drives();
  ASSERT_TRUE(drives.has_value());
  ASSERT_FALSE(drives->empty());
  EXPECT_EQ(drives->front(), (FolderDrive{"/", FolderIcon::Fixed}));
  for (const FolderDrive& d : *drives) EXPECT_TRUE(fs::is_directory(d.path)) << d.path;
}

}  // namespace
}  // namespace norra

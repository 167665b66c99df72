// The folder selection dialog's logic: a tree of drives and folders filled as it is opened,
// the edit box with the chosen path, and OK with the offer to create a missing folder.
#pragma once

#include <string>
#include <vector>

#include "folderdialog/FolderSystem.h"

namespace norra {

class Ui;

struct FolderNode {
  std::string caption;  // the drive's path, or the folder's name as the system lists it
  std::string path;     // ends in "/"; empty for the root node
  FolderIcon icon = FolderIcon::Folder;
  FolderIcon selectedIcon = FolderIcon::Folder;
  int parent = -1;
  std::vector<int> children;  // sorted by caption
  bool listed = false;        // the children were read from the system
  bool expanded = false;
};

class FolderDialog {
 public:
  // The caption of the top node.
  static constexpr const char* kRootCaption = "ﾏｲｺﾝﾋﾟｭｰﾀ";
  static constexpr int kRoot = 0;

  enum State : int {
    kReady = 1,     // the drives are listed; after OK: a folder was confirmed
    kShown = 2,     // showing; after Cancel: cancelled
    kCreated = 16,  // the drives could not be listed
  };

  // Lists the drives under the root node and expands it (a failure is reported through ui and
  // leaves FolderState at kCreated: the caller then gives up). startPath is where Show opens.
  FolderDialog(FolderSystem& system, Ui& ui, std::string startPath);

  int FolderState() const { return state_; }
  const std::string& StartPath() const { return startPath_; }

  // Ids stay valid until their parent's children are listed again; a node id is never reused.
  bool Exists(int id) const;
  const FolderNode& Node(int id) const { return nodes_[id]; }

  // Lists the sub-folders of every child so that each shows whether it can be expanded; false
  // (nothing expanded) for a node without children.
  bool Expand(int id);
  void Collapse(int id);

  // Opens the tree on the start path: from the drive that holds it, down every folder found
  // (exact spelling first, else without regard to case), and selects the deepest one.
  void Show();

  int Selected() const { return selected_; }
  // Selecting a node other than the root puts its path into the edit box.
  void Select(int id);

  // The edit box; OK is enabled only while it holds text.
  const std::string& DirText() const { return dirText_; }
  void SetDirText(std::string text) { dirText_ = std::move(text); }
  bool OkEnabled() const { return !dirText_.empty(); }

  // OK: true when the dialog closes confirmed. A relative path is taken relative to the
  // folder the tree shows (the selected one, else the start path, else the home folder) and the
  // edit box then holds it made absolute. A path naming a file is refused with a message; a missing folder is
  // offered for creation with its parents; on refusal or failure the dialog stays open.
  bool Ok();

  // The edit box's text as a path: relative to the folder the tree shows, lexically normal.
  std::string TypedPath() const;

  // Texts of the messages.
  static constexpr const char* kNotAFolder = " はﾌｧｲﾙです。\nﾌｫﾙﾀﾞを指定して下さい";
  // Cancel: the dialog closes unconfirmed.
  void Cancel() { state_ = kShown; }

 private:
  int AddChild(int parent, std::string caption, std::string path, FolderIcon icon,
               FolderIcon selectedIcon);
  void SortChildren(int id);
  // Reads the sub-folders of a node afresh.
  void ListSubfolders(int id);
  // The child of `id` named `part`: exact spelling first, else the last one equal without
  // regard to case; -1 when none.
  int FindChild(int id, const std::string& part) const;

  FolderSystem& system_;
  Ui& ui_;
  std::string startPath_;
  int state_ = kCreated;
  std::vector<FolderNode> nodes_;
  std::vector<bool> alive_;
  int selected_ = -1;
  std::string dirText_;
};

}  // namespace norra

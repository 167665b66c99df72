// The folder selection dialog's tree, edit box and buttons.
#include "folderdialog/FolderDialog.h"

#include <algorithm>

#include "platform/Ui.h"
#include "text/AsciiCase.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

// The path of a drive or folder node: the folder followed by "/".
std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

}  // namespace

FolderDialog::FolderDialog(FolderSystem& system, Ui& ui, std::string startPath)
    : system_(system), ui_(ui), startPath_(std::move(startPath)) {
  FolderNode root;
  root.caption = kRootCaption;
  root.icon = root.selectedIcon = FolderIcon::Root;
  root.listed = true;
  nodes_.push_back(std::move(root));
  alive_.push_back(true);

  const std::optional<std::vector<FolderDrive>> drives = system_.Drives();
  if (!drives) {
    ui_.ShowMessageBox("ﾌｫﾙﾀﾞ選択ﾞｲｱﾛｸﾞ作成中にｴﾗｰ発生", MB_OK, "Norra");
    return;
  }
  for (const FolderDrive& drive : *drives) {
    AddChild(kRoot, drive.path, WithSlash(drive.path), drive.kind, drive.kind);
  }
  SortChildren(kRoot);
  Expand(kRoot);
  dirText_.clear();
  state_ = kReady;
}

bool FolderDialog::Exists(int id) const {
  return id >= 0 && id < static_cast<int>(nodes_.size()) && alive_[id];
}

int FolderDialog::AddChild(int parent, std::string caption, std::string path, FolderIcon icon,
                           FolderIcon selectedIcon) {
  FolderNode node;
  node.caption = std::move(caption);
  node.path = std::move(path);
  node.icon = icon;
  node.selectedIcon = selectedIcon;
  node.parent = parent;
  const int id = static_cast<int>(nodes_.size());
  nodes_.push_back(std::move(node));
  alive_.push_back(true);
  nodes_[parent].children.push_back(id);
  return id;
}

void FolderDialog::SortChildren(int id) {
  std::vector<int>& children = nodes_[id].children;
  std::stable_sort(children.begin(), children.end(), [this](int a, int b) {
    const std::string ua = AsciiUppered(nodes_[a].caption);
    const std::string ub = AsciiUppered(nodes_[b].caption);
    return ua != ub ? ua < ub : nodes_[a].caption < nodes_[b].caption;
  });
}

void FolderDialog::ListSubfolders(int id) {
  // The old children (and everything below them) go.
  std::vector<int> stack = nodes_[id].children;
  while (!stack.empty()) {
    const int gone = stack.back();
    stack.pop_back();
    alive_[gone] = false;
    stack.insert(stack.end(), nodes_[gone].children.begin(), nodes_[gone].children.end());
    nodes_[gone].children.clear();
    if (selected_ == gone) selected_ = -1;
  }
  nodes_[id].children.clear();
  const std::string path = nodes_[id].path;
  for (std::string& name : system_.SubfolderNames(path)) {
    std::string childPath = path + name + "/";
    AddChild(id, std::move(name), std::move(childPath), FolderIcon::Folder,
             FolderIcon::FolderSelected);
  }
  SortChildren(id);
  nodes_[id].listed = true;
}

bool FolderDialog::Expand(int id) {
  if (!Exists(id)) return false;
  for (int child : std::vector<int>(nodes_[id].children)) ListSubfolders(child);
  if (nodes_[id].children.empty()) return false;
  nodes_[id].expanded = true;
  return true;
}

void FolderDialog::Collapse(int id) {
  if (Exists(id)) nodes_[id].expanded = false;
}

int FolderDialog::FindChild(int id, const std::string& part) const {
  const std::vector<int>& children = nodes_[id].children;
  for (int child : children) {
    if (nodes_[child].caption == part) return child;
  }
  // The last of several that differ only in case, as the tree's order gives them.
  const std::string upper = AsciiUppered(part);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (AsciiUppered(nodes_[*it].caption) == upper) return *it;
  }
  return -1;
}

void FolderDialog::Show() {
  state_ = kShown;
  int node = kRoot;
  // The drive: the one whose folder holds the start path most closely.
  const std::string start = WithSlash(startPath_);
  int drive = -1;
  for (bool exact : {true, false}) {
    std::size_t longest = 0;
    for (int child : nodes_[kRoot].children) {
      const std::string& path = nodes_[child].path;
      const bool holds = exact ? start.starts_with(path) : AsciiUppered(start).starts_with(AsciiUppered(path));
      if (holds && path.size() > longest) {
        longest = path.size();
        drive = child;
      }
    }
    if (drive >= 0) break;
  }
  if (drive >= 0 && !startPath_.empty()) {
    Expand(kRoot);
    node = drive;
    std::string_view rest = std::string_view(start).substr(nodes_[drive].path.size());
    while (!rest.empty()) {
      const std::size_t slash = rest.find('/');
      const std::string part(rest.substr(0, slash));
      rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
      if (part.empty() || part == ".") continue;  // "//" and "/./" name the same folder
      ListSubfolders(node);
      const int child = FindChild(node, part);
      if (child < 0) break;
      Expand(node);
      node = child;
    }
  }
  Select(node);
}

void FolderDialog::Select(int id) {
  if (!Exists(id)) return;
  selected_ = id;
  if (id != kRoot) dirText_ = nodes_[id].path;
}

std::string FolderDialog::TypedPath() const {
  if (dirText_.empty() || dirText_.front() == '/') return dirText_;
  // Relative to what the user sees, not to the program's working folder.
  std::string base;
  if (Exists(selected_) && selected_ != kRoot) base = nodes_[selected_].path;
  if (base.empty()) base = WithSlash(startPath_);
  // Only the top node shown: the home folder, never the program's working folder.
  if (base.empty() || base.front() != '/') base = WithSlash(HomeFolder());
  std::string path = MakeAbsolute(dirText_, base);
  if (dirText_.back() == '/' && !path.empty() && path.back() != '/') path += '/';
  return path;
}

bool FolderDialog::Ok() {
  state_ = kShown;
  dirText_ = TypedPath();
  const std::string path = dirText_;
  if (system_.IsFolder(path)) {
    state_ = kReady;
    return true;
  }
  if (system_.IsFile(path)) {
    ui_.ShowMessageBox(path + kNotAFolder, MB_OK | MB_ICONWARNING, "");
    return false;
  }
  if (ui_.ShowMessageBox(path + " は存在しません。\n新しく作りますか?", MB_OKCANCEL, "") != IDOK) {
    return false;
  }
  if (system_.CreateFolders(path) && system_.IsFolder(path)) {
    state_ = kReady;
    return true;
  }
  ui_.ShowMessageBox("ﾌｫﾙﾀﾞ\n" + path + "\nの作成に失敗しました", MB_OK | MB_ICONERROR, "");
  return false;
}

}  // namespace norra

// One row of the batch file-list dialog: a file's columns and the Page it stands for.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "documents/Page.h"

namespace norra {

struct FileListRow {
  enum Column : int {
    kName = 0,       // file name: the path after its last "/"
    kFolder = 1,     // folder: the path before its last "/" ("/" for a file at the root)
    kExtension = 2,  // after the last "." of the whole path, upper-cased
    kState = 3,      // "変更" for a modified Page
    kId = 4,         // the row's number when the list was built, "001" on
  };
  static constexpr int kColumnCount = 5;

  // The path is the row's truth and the columns are shown from it: rebuilding a path from
  // folder and name would make a file at the root look like an untitled Page.
  std::string path;  // UTF-8; an untitled Page's name ("無題1")
  PageKind kind = PageKind::File;  // what the path names; a row without a Page names a file
  std::array<std::string, kColumnCount> columns;
  Page* page = nullptr;  // none for a file that is not open
  bool selected = false;
  std::size_t number = 0;  // the ID column's number; stays with the row through sorts

  // A row for the path, numbered `number` (the row count right after appending it).
  static FileListRow Make(const std::string& path, PageKind kind, Page* page, std::string state,
                          std::size_t number);

  // The row stands for the file at the path from now on; name, folder and extension follow it.
  void TakePath(const std::string& path);

  // An untitled Page, or one whose file failed to load: the row has no place on disk until the
  // user names one.
  bool NeedsName() const { return kind != PageKind::File; }

  // The folder a save to the row's path writes into ("/" at the root).
  std::string TargetFolder() const;
};

}  // namespace norra

// Writing new content into an existing file, keeping its inode (and so its other names, owner
// and attributes), safely: a backup of the old content first, under the write journal.
#pragma once

#include <string>

#include "text/FileIo.h"

namespace norra {

// Copies the finished file `content` into `target`, which keeps its inode. The old content
// first goes to a backup beside `content` (flushed before the target is touched). Unless
// `journaled` (the caller's record already covers the write), a record of its own names the
// backup until the target holds its new content, so that a write killed part-way is rolled
// back at the next start. A write that fails part-way puts the old content back at once; when
// even that fails, `leftBackup` names the backup, which is then kept.
FileError WriteInPlace(const std::string& content, const std::string& target, bool journaled,
                       std::string& leftBackup);

// The backup an in-place write from `content` makes.
std::string InPlaceBackupOf(const std::string& content);

// Replaces the whole content of the open file `target` with that of the file `from`
// (truncated to its size) and flushes it.
FileError CopyFileInto(const std::string& from, int target);

}  // namespace norra

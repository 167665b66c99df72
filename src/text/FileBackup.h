// Keeping a file's old content as NAME.bak before a save replaces it.
#pragma once

#include <string>

#include "text/FileIo.h"

namespace norra {

// Where the old content of `path` is kept: the file's name with ".bak" added (so that "a.txt"
// and "a.md" never share one), in `folder` when that is given, else beside the file.
std::string BackupPathOf(const std::string& path, const std::string& folder);

// Copies the file at `source` (a link followed) to `backup`, replacing an older backup
// atomically: the copy goes to a temporary beside `backup`, is flushed and renamed over it, so
// a failure leaves the older backup as it was. The copy keeps the source's modification time,
// its owner and group where this user may give them, and its permission bits (no set-id bits);
// when the group cannot be kept, only the owner's bits, so no one reads the copy who could not
// read the file. The temporary is readable by its writer alone until then.
FileError CopyToBackup(const std::string& source, const std::string& backup);

// Whether this user may replace the regular file at `path` (its own write permission; the
// program never writes a file that refuses it).
bool MayReplaceFile(const std::string& path);

}  // namespace norra

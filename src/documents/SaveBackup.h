// The backup before a save: the File settings say whether and where; a backup that cannot be
// made is asked about, never passed over in silence.
#pragma once

#include <string>

namespace norra {

struct FileSettings;
class Ui;

// Before the file at `path` is replaced by a save. Nothing is kept when the option is off,
// when no file is there yet, or when the file refuses to be written (the save then reports
// that, and nothing is written: a read-only file keeps its content and gets no backup). When the
// copy fails, the user is asked whether to save without it (default No).
// True: go on with the save. False: the user kept the file as it is; the save is cancelled.
bool BackupBeforeSave(const FileSettings& file, Ui& ui, const std::string& path);

}  // namespace norra

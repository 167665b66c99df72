// A copy of a settings file kept beside it before the editor rewrites a file it did not write.
#pragma once

#include <string>
#include <string_view>

namespace norra {

// Writes bytes to a new file beside path, named path + ".bak", or path + ".bak.N" for the
// first N from 1 to maxNumber whose name is free; an existing file is never replaced. The copy
// takes the permission bits of the file at path and is flushed to disk before this returns.
// Returns the copy's path, or empty when none could be made (then nothing is left behind).
std::string KeepSettingsBackup(const std::string& path, std::string_view bytes, int maxNumber);

}  // namespace norra

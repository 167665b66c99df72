// The `charset` an `.editorconfig` gives a file, read through libeditorconfig.
#pragma once

#include <optional>
#include <string>

#include "text/FileEncoding.h"

namespace norra {

// The encoding the `.editorconfig` files above `path` (an absolute path; the file need not
// exist yet) name for it; nothing when none applies, the value is not one the program
// writes, or the files cannot be read.
std::optional<FileEncoding> EditorConfigEncoding(const std::string& path);

}  // namespace norra

// File-side helpers of Pages: path expansion, size query, and the line breaks a file keeps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/FileIo.h"

namespace norra {

// The path made absolute and lexically normal (no "~" expansion, no link resolution).
std::string ExpandLongPath(std::string_view path);

// Size in bytes of the file, or -1 when it cannot be opened for reading or is no regular file
// (a folder, a device or a pipe is never loaded).
std::int64_t QueryFileSize(const std::string& path);

// The text of the save error: what failed, why, and which file; with `backup`, where the old
// content was kept when writing it in place failed part-way. A file another program changed
// is overwritten by the next save, and the text says so.
std::string SaveErrorText(FileError error, const std::string& path, const std::string& backup = {});

// A file larger than the File settings' limit: both sizes, and where the limit is changed.
std::string TooLargeToLoadText(std::int64_t size, std::uint64_t limit);

// A batch dialog's write refused: what (a path, with an ID), and why in words.
std::string BatchSaveErrorText(const std::string& what, FileError error);

// True for bytes with at least one LF and no CR at all: such a file is held with CR LF.
bool HasLfOnlyBreaks(std::string_view bytes);
// Every LF becomes CR LF (for bytes without CR).
std::string LfToCrLf(std::string_view bytes);
// Every CR LF becomes LF; a lone CR stays.
std::string CrLfToLf(std::string_view text);

}  // namespace norra

// Reading, examining and folding a file piece by piece.
#include "cli/common/FindFileReader.h"

#include <algorithm>
#include <cstring>

#include "text/CaseMap.h"
#include "text/Cp932.h"

namespace norra {

FileError FindFileReader::Read(const std::string& path, std::string& bytes) {
  form_ = TextForm{};
  form_.joinedWithCrLf = true;
  examinedTo_ = searchedTo_ = foldedTo_ = 0;
  const FileError error =
      ReadWholeFile(path, bytes, nullptr, [this, &bytes](std::size_t end) { Arrived(bytes, end); });
  if (error != FileError::None) return error;
  // What follows the last LF: a text that does not end with one is not joined with CR LF.
  if (!form_.hasNul || form_.joinedWithCrLf) Examine(std::string_view(bytes).substr(examinedTo_));
  examinedTo_ = bytes.size();
  if (fold_) ToUpperCp932(bytes.data() + foldedTo_, bytes.size() - foldedTo_);
  foldedTo_ = bytes.size();
  return FileError::None;
}

void FindFileReader::Examine(std::string_view part) {
  if (part.empty()) return;
  // Parts begin just after an LF, where no CR waits for its LF, so each is examined alone.
  const TextForm form = ExamineText(part);
  form_.hasNul = form_.hasNul || form.hasNul;
  form_.joinedWithCrLf = form_.joinedWithCrLf && form.joinedWithCrLf;
}

void FindFileReader::Arrived(std::string& bytes, std::size_t end) {
  const char* data = bytes.data();
  if (!form_.hasNul || form_.joinedWithCrLf) {
    const std::size_t from = std::max(examinedTo_, searchedTo_);
    if (const void* lf = memrchr(data + from, '\n', end - from)) {
      const std::size_t stop = static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1;
      Examine(std::string_view(data + examinedTo_, stop - examinedTo_));
      examinedTo_ = stop;
    }
    searchedTo_ = end;
  }
  if (!fold_) return;
  // Up to the last whole character: in the run of lead-range bytes at the end, counted from a
  // byte that ends a character (or from foldedTo_, a boundary), characters begin at even
  // distances, so an odd run ends with a lead byte whose second byte has not arrived.
  std::size_t runStart = end;
  while (runStart > foldedTo_ && IsLeadByte(static_cast<unsigned char>(data[runStart - 1]))) {
    --runStart;
  }
  const std::size_t stop = (end - runStart) % 2 == 1 ? end - 1 : end;
  ToUpperCp932(bytes.data() + foldedTo_, stop - foldedTo_);
  foldedTo_ = stop;
}

}  // namespace norra

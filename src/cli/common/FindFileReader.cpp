// Reading, examining and folding a file piece by piece.
#include "cli/common/FindFileReader.h"

#include <algorithm>
#include <cstring>

#include "text/CaseMap.h"
#include "text/Cp932.h"

namespace norra {

FileError FindFileReader::Read(const std::string& path, std::string& bytes) {
  FileError error = ReadOnce(path, bytes, true);
  if (error != FileError::None) return error;
  if (!certain_) {
    held_.Hold(bytes, choice_);
    // Folded as UTF-8 by a guess the whole file does not bear out (UTF-8 folding keeps
    // validity, so the folded bytes tell as the file's own would): read it again as it is.
    if (foldAs_ == FoldAs::Utf8 && held_.Encoding() != FileCharset::Utf8) {
      error = ReadOnce(path, bytes, false);
      if (error != FileError::None) return error;
      held_.Hold(bytes, choice_);
    }
  } else {
    // A named encoding, or the detection rule told by the first piece.
    held_.Hold(bytes, choice_ == EncodingChoice::Auto ? EncodingChoice::Cp932 : choice_);
  }
  if (fold_ && foldedTo_ < bytes.size()) {
    if (held_.Converted()) {
      held_.UpperCaseConverted();
    } else {
      ToUpperIn(held_.TextCharset(), bytes.data() + foldedTo_, bytes.size() - foldedTo_);
    }
  }
  return FileError::None;
}

FileError FindFileReader::ReadOnce(const std::string& path, std::string& bytes, bool guess) {
  form_ = TextForm{};
  form_.joinedWithCrLf = true;
  examinedTo_ = searchedTo_ = foldedTo_ = 0;
  certain_ = true;
  switch (choice_) {
    case EncodingChoice::Cp932:
      foldAs_ = FoldAs::Cp932;
      break;
    case EncodingChoice::Utf8:
      foldAs_ = FoldAs::Utf8;
      break;
    case EncodingChoice::EucJp:
      foldAs_ = FoldAs::Later;
      certain_ = false;
      break;
    case EncodingChoice::Auto:
      foldAs_ = guess ? FoldAs::Unknown : FoldAs::Later;
      certain_ = false;
      break;
  }
  if (!fold_) foldAs_ = FoldAs::Later;
  const FileError error =
      ReadWholeFile(path, bytes, nullptr, [this, &bytes](std::size_t end) { Arrived(bytes, end); });
  if (error != FileError::None) return error;
  // What follows the last LF: a text that does not end with one is not joined with CR LF.
  if (!form_.hasNul || form_.joinedWithCrLf) Examine(std::string_view(bytes).substr(examinedTo_));
  examinedTo_ = bytes.size();
  if (foldAs_ == FoldAs::Unknown) foldAs_ = FoldAs::Later;  // an empty file
  if (foldAs_ == FoldAs::Cp932 || foldAs_ == FoldAs::Utf8) {
    ToUpperIn(foldAs_ == FoldAs::Utf8 ? Charset::Utf8 : Charset::Cp932, bytes.data() + foldedTo_,
              bytes.size() - foldedTo_);
    foldedTo_ = bytes.size();
  }
  return FileError::None;
}

void FindFileReader::Examine(std::string_view part) {
  if (part.empty()) return;
  // Parts begin just after an LF, where no CR waits for its LF, so each is examined alone.
  const TextForm form = ExamineText(part);
  form_.hasNul = form_.hasNul || form.hasNul;
  form_.joinedWithCrLf = form_.joinedWithCrLf && form.joinedWithCrLf;
}

std::size_t FindFileReader::FoldablePrefix(const std::string& bytes, std::size_t end) const {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (foldAs_ == FoldAs::Utf8) {
    // Up to the last whole character: a sequence cut off by the end waits for its bytes.
    for (std::size_t back = 1; back <= 3 && back <= end - foldedTo_; ++back) {
      const unsigned c = data[end - back];
      if ((c & 0xC0) == 0x80) continue;
      const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      return need > back ? end - back : end;
    }
    return end;
  }
  // Up to the last whole character: in the run of lead-range bytes at the end, counted from a
  // byte that ends a character (or from foldedTo_, a boundary), characters begin at even
  // distances, so an odd run ends with a lead byte whose second byte has not arrived.
  std::size_t runStart = end;
  while (runStart > foldedTo_ && IsLeadByte(data[runStart - 1])) --runStart;
  return (end - runStart) % 2 == 1 ? end - 1 : end;
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
  if (foldAs_ == FoldAs::Unknown) {
    // The first piece, before any byte of it is folded.
    const std::optional<FileCharset> start = EncodingOfStart(std::string_view(data, end));
    foldAs_ = !start ? FoldAs::Later : *start == FileCharset::Utf8 ? FoldAs::Utf8 : FoldAs::Cp932;
    certain_ = start == FileCharset::Cp932;
  }
  if (foldAs_ != FoldAs::Cp932 && foldAs_ != FoldAs::Utf8) return;
  const std::size_t stop = FoldablePrefix(bytes, end);
  ToUpperIn(foldAs_ == FoldAs::Utf8 ? Charset::Utf8 : Charset::Cp932, bytes.data() + foldedTo_,
            stop - foldedTo_);
  foldedTo_ = stop;
}

}  // namespace norra

// Reads a file for norra-find: each piece is examined (NUL bytes, CR LF line ends) and, when
// asked, upper-cased in place while it is still in the processor's cache, so a large file is
// not walked three times over after it was read. The file's encoding is decided by the
// encoding choice; with the detection rule, the first piece decides how the rest is folded
// when it can tell, and the whole file is read again in the rare case a later byte says
// otherwise.
#pragma once

#include <cstddef>
#include <string>

#include "findreplace/LineBreaks.h"
#include "text/FileIo.h"
#include "text/SearchFileText.h"

namespace norra {

class FindFileReader {
 public:
  // `fold`: upper-case the text as it arrives (by its charset).
  explicit FindFileReader(bool fold, EncodingChoice choice = EncodingChoice::Cp932)
      : fold_(fold), choice_(choice) {}

  // Reads the whole file into bytes; on success Form() tells what ExamineText tells of them,
  // and Held() is the text to search (a view of bytes, or a converted copy).
  FileError Read(const std::string& path, std::string& bytes);
  const TextForm& Form() const { return form_; }
  const SearchFileText& Held() const { return held_; }

 private:
  // How arriving bytes are folded: not yet known, not while reading, or by a charset.
  enum class FoldAs { Unknown, Later, Cp932, Utf8 };

  FileError ReadOnce(const std::string& path, std::string& bytes, bool guess);
  void Arrived(std::string& bytes, std::size_t end);
  void Examine(std::string_view part);
  std::size_t FoldablePrefix(const std::string& bytes, std::size_t end) const;

  bool fold_;
  EncodingChoice choice_;
  FoldAs foldAs_ = FoldAs::Later;
  bool certain_ = false;  // foldAs_ is the file's charset for certain, not a guess
  TextForm form_;
  SearchFileText held_;
  std::size_t examinedTo_ = 0;  // examined up to here, just after an LF (or 0)
  std::size_t searchedTo_ = 0;  // no LF stands in [examinedTo_, searchedTo_)
  std::size_t foldedTo_ = 0;    // a character boundary
};

}  // namespace norra

// Reads a file for norra-find: each piece is examined (NUL bytes, CR LF line ends) and, when
// asked, upper-cased in place while it is still in the processor's cache, so a large file is
// not walked three times over after it was read.
#pragma once

#include <cstddef>
#include <string>

#include "findreplace/LineBreaks.h"
#include "text/FileIo.h"

namespace norra {

class FindFileReader {
 public:
  // `fold`: upper-case the bytes (ToUpperCp932) as they arrive.
  explicit FindFileReader(bool fold) : fold_(fold) {}

  // Reads the whole file into bytes; on success Form() tells what ExamineText tells of them.
  FileError Read(const std::string& path, std::string& bytes);
  const TextForm& Form() const { return form_; }

 private:
  void Arrived(std::string& bytes, std::size_t end);
  void Examine(std::string_view part);

  bool fold_;
  TextForm form_;
  std::size_t examinedTo_ = 0;  // examined up to here, just after an LF (or 0)
  std::size_t searchedTo_ = 0;  // no LF stands in [examinedTo_, searchedTo_)
  std::size_t foldedTo_ = 0;    // a character boundary
};

}  // namespace norra

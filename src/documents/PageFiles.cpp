// Path expansion, size query and line-break conversion for Pages.
#include "documents/PageFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "text/PathUtil.h"

namespace norra {

std::string ExpandLongPath(std::string_view path) {
  if (path.empty()) return {};
  return MakeAbsolute(path);
}

std::int64_t QueryFileSize(const std::string& path) {
  if (path.empty()) return -1;
  // O_NONBLOCK: opening a pipe without a writer must not hang; pipes are refused below anyway.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat info {};
  const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return ok ? static_cast<std::int64_t>(info.st_size) : -1;
}

std::string SaveErrorText(FileError error, const std::string& path, const std::string& backup) {
  std::string text = "ﾌｧｲﾙ保存処理中にｴﾗｰ発生\n" + std::string(FileErrorReason(error)) + "\n" + path;
  if (!backup.empty()) text += "\n元の内容は次のﾌｧｲﾙに残っています : " + backup;
  // The store reports such a change once; the next save is taken as the answer.
  if (error == FileError::Changed) text += "\nもう一度保存すると上書きします。";
  return text;
}

std::string TooLargeToLoadText(std::int64_t size, std::uint64_t limit) {
  return "ﾌｧｲﾙｻｲｽﾞが大き過ぎるため、ﾛｰﾄﾞできません。\nﾌｧｲﾙｻｲｽﾞ : " + std::to_string(size) +
         " ﾊﾞｲﾄ\n上限 : " + std::to_string(limit) +
         " ﾊﾞｲﾄ\n上限は [ﾂｰﾙ]-[ｵﾌﾟｼｮﾝ] の [ﾌｧｲﾙ] にある「ﾌｧｲﾙの最大ｻｲｽﾞ」で変更できます"
         "(104857600 ﾊﾞｲﾄまで)。";
}

std::string BatchSaveErrorText(const std::string& what, FileError error) {
  std::string text = what + "の保存処理中にｴﾗｰ発生\n" + FileErrorReason(error);
  // The store reports such a change once; saving again is taken as the answer.
  if (error == FileError::Changed) text += "\nもう一度保存すると上書きします。";
  return text;
}

bool HasLfOnlyBreaks(std::string_view bytes) {
  return bytes.find('\n') != std::string_view::npos && bytes.find('\r') == std::string_view::npos;
}

std::string LfToCrLf(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
  for (const char c : bytes) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}

std::string CrLfToLf(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    bytes += text[i];
  }
  return bytes;
}

}  // namespace norra

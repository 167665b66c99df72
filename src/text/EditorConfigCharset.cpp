// libeditorconfig behind one function, so nothing else needs its header or real files.
#include "text/EditorConfigCharset.h"

#include <editorconfig/editorconfig.h>

#include <cstring>

namespace norra {

std::optional<FileEncoding> EditorConfigEncoding(const std::string& path) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  editorconfig_handle handle = editorconfig_handle_init();
  if (handle == nullptr) return std::nullopt;
  std::optional<FileEncoding> found;
  if (editorconfig_parse(path.c_str(), handle) == 0) {
    const int count = editorconfig_handle_get_name_value_count(handle);
    for (int i = 0; i < count; ++i) {
      const char* name = nullptr;
      const char* value = nullptr;
      editorconfig_handle_get_name_value(handle, i, &name, &value);
      if (name != nullptr && value != nullptr && std::strcmp(name, "charset") == 0) {
        found = EncodingFromEditorConfig(value);
      }
    }
  }
  editorconfig_handle_destroy(handle);
  return found;
}

}  // namespace norra

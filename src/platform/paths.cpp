#include "platform/paths.h"

#include <algorithm>

namespace pixmera {

bool is_absolute_path(std::string_view path) {
  if (path.empty()) return false;
  if (kPathSeparator == '/') return path.front() == '/';
  return path.find(':') != std::string_view::npos || is_path_separator(path.front());
}

std::string native_separators(std::string path) {
  if (kPathSeparator != '/') std::replace(path.begin(), path.end(), '/', kPathSeparator);
  return path;
}

std::string with_trailing_separator(std::string folder) {
  if (!folder.empty() && !is_path_separator(folder.back())) folder += kPathSeparator;
  return folder;
}

std::string module_file_name(std::string_view name) {
  std::string file(kModulePrefix);
  file += name;
  file += kModuleSuffix;
  return file;
}

std::filesystem::path file_system_path(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string utf8_path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace pixmera

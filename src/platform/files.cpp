// The file services that read the same on every system.
#include "platform/files.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/paths.h"

namespace pixmera {

bool is_folder(const std::string& path) { return file_size(path) == kFileIsFolder; }

bool make_folders(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(file_system_path(path), ec);
  return is_folder(path);
}

bool read_file(const std::string& path, std::string& bytes) {
  std::ifstream in(file_system_path(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  bytes = std::move(buffer).str();
  return !in.bad();
}

}  // namespace pixmera

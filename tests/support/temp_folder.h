// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the owner goes out of scope.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace pixmera::test {

class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    do {
      path_ = base / ("pixmera-test-" + std::to_string(seed()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder, with a trailing separator; paths are spelled with the
  // system's own separator ("\\" on Windows), as the program spells those it
  // finds.
  std::string folder() const { return (path_ / "").make_preferred().string(); }
  std::string file(std::string_view name) const {
    return folder() + std::filesystem::path(name).make_preferred().string();
  }

  // Writes `bytes` to `name` inside the folder (making its sub-folders) and
  // returns the full path.
  std::string write(std::string_view name, std::string_view bytes) const {
    const std::filesystem::path target = path_ / name;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return std::filesystem::path(target).make_preferred().string();
  }

  // The names of the entries of the folder.
  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      result.push_back(entry.path().filename().string());
    }
    return result;
  }

 private:
  std::filesystem::path path_;
};

inline std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace pixmera::test

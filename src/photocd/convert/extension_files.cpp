#include "photocd/convert/extension_files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "photocd/convert/file_io.h"

namespace pixmera::photocd {

namespace {

namespace fs = std::filesystem;

// INFO.IC holds at most some 800 kB of pointers for 64Base.
constexpr std::size_t max_info_bytes = std::size_t{4} << 20;
// Even at 16 bits a sample, 64Base luma stays below 52 MB.
constexpr std::uint64_t max_file_bytes = std::uint64_t{64} << 20;
constexpr std::uint64_t max_total_bytes = std::uint64_t{128} << 20;

std::string in_case(std::string_view text, bool lower) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    c = static_cast<char>(lower ? std::tolower(byte) : std::toupper(byte));
  }
  return out;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && in_case(a, true) == in_case(b, true);
}

}  // namespace

std::optional<ExtensionFolder> find_extension_folder(const std::string& image_pac_path,
                                                     std::string& why) {
  std::error_code error;
  const fs::path picture = fs::absolute(path_from_utf8(image_pac_path), error).lexically_normal();
  const std::string name = utf8_of(picture.filename());
  const fs::path images = picture.parent_path();
  constexpr std::string_view extension = ".pcd";
  if (name.size() <= extension.size() ||
      !equal_ignoring_case(std::string_view(name).substr(name.size() - extension.size()),
                           extension) ||
      !equal_ignoring_case(utf8_of(images.filename()), "images")) {
    why = "no Image Pac extension: the picture is not <disc>/IMAGES/<name>.PCD";
    return std::nullopt;
  }
  const std::string stem = name.substr(0, name.size() - extension.size());
  const bool name_is_lower = std::none_of(name.begin(), name.end(), [](char c) {
    return std::isupper(static_cast<unsigned char>(c)) != 0;
  });

  std::string tried;
  for (const bool lower : {name_is_lower, !name_is_lower}) {
    const fs::path info = images.parent_path() / in_case("IPE", lower) /
                          path_from_utf8(in_case(stem, lower)) / in_case("64BASE", lower) /
                          in_case("INFO.IC", lower);
    if (fs::is_regular_file(info, error)) return ExtensionFolder{utf8_of(info), lower};
    tried += (tried.empty() ? "" : " or ") + utf8_of(info);
  }
  why = "no Image Pac extension: neither " + tried + " exists";
  return std::nullopt;
}

std::optional<LoadedExtension> load_extension(const ExtensionFolder& folder, std::string& why) {
  const auto info = read_whole_file(folder.info_path, max_info_bytes, why);
  if (!info) return std::nullopt;
  auto description = read_extension_info(*info, stored_size(Level::sixty_four_base), why);
  if (!description) return std::nullopt;

  std::uint64_t total = 0;
  for (const ExtensionFile& file : description->files) {
    if (file.size > max_file_bytes || (total += file.size) > max_total_bytes) {
      why = "INFO.IC claims " + std::to_string(file.size) + " bytes for " + file.name +
            ", more than any 64Base level needs";
      return std::nullopt;
    }
  }

  LoadedExtension loaded;
  const fs::path dir = path_from_utf8(folder.info_path).parent_path();
  for (const ExtensionFile& file : description->files) {
    const std::string path = utf8_of(dir / path_from_utf8(in_case(file.name, folder.lower_case)));
    auto bytes = read_file_head(path, file.size, why);
    if (!bytes) return std::nullopt;
    if (bytes->size() != file.size) {
      why = path + " holds " + std::to_string(bytes->size()) + " bytes, INFO.IC says " +
            std::to_string(file.size);
      return std::nullopt;
    }
    loaded.file_bytes.push_back(std::move(*bytes));
  }
  loaded.data.description = std::move(*description);
  for (const auto& bytes : loaded.file_bytes) loaded.data.files.emplace_back(bytes);
  return loaded;
}

}  // namespace pixmera::photocd

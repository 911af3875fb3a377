#include "ui/theme_archive.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "platform/zip_archive.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

// A theme is a few hundred small pictures; anything much larger is not one.
constexpr ArchiveLimits kThemeLimits{2048, size_t{2} << 20, size_t{48} << 20};

uint32_t big_endian_32(std::string_view bytes, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

// "16,20,24": every size from 8 to kMaxPictureSide, ascending, no repeats.
std::optional<std::vector<int>> parse_sizes(std::string_view text) {
  std::vector<int> sizes;
  for (const std::string& field : split(text, ',')) {
    const std::string_view digits = trim_blanks(field);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    const int size = digits.size() > 4 ? 0 : std::stoi(std::string(digits));
    if (size < 8 || size > kMaxPictureSide) return std::nullopt;
    if (!sizes.empty() && size <= sizes.back()) return std::nullopt;
    sizes.push_back(size);
  }
  if (sizes.empty()) return std::nullopt;
  return sizes;
}

// theme.cfg: "key = value" lines, ';' comments, keys in any case.
bool read_theme_config(std::string_view text, ThemeArchive& theme, std::string& why) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  for (std::string line : split(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string_view trimmed = trim_blanks(line);
    if (trimmed.empty() || trimmed.front() == ';') continue;
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string key = to_lower(trim_blanks(trimmed.substr(0, equals)));
    const std::string_view value = trim_blanks(trimmed.substr(equals + 1));
    if (key == "name") {
      theme.name = std::string(value);
    } else if (key == "icon sizes" || key == "button sizes") {
      auto sizes = parse_sizes(value);
      if (!sizes) {
        why = "theme.cfg: bad \"" + key + "\"";
        return false;
      }
      (key == "icon sizes" ? theme.icon_sizes : theme.button_sizes) = std::move(*sizes);
    }
  }
  if (theme.icon_sizes.empty() || theme.button_sizes.empty()) {
    why = "theme.cfg names no picture sizes";
    return false;
  }
  return true;
}

// Every picture the sizes and names call for must be a PNG of its size.
template <typename Names>
bool take_pictures(const std::map<std::string, std::string>& files, std::string_view folder,
                   const std::vector<int>& sizes, const Names& names, ThemeArchive& theme,
                   std::string& why) {
  for (const int size : sizes) {
    for (const std::string_view name : names) {
      const std::string path =
          std::string(folder) + "/" + std::to_string(size) + "/" + std::string(name) + ".png";
      const auto found = files.find(path);
      if (found == files.end()) {
        why = path + " is missing";
        return false;
      }
      const auto stated = png_size(found->second);
      if (!stated || (*stated)[0] != size || (*stated)[1] != size) {
        why = path + " is no " + std::to_string(size) + "x" + std::to_string(size) + " PNG";
        return false;
      }
      theme.pictures.emplace(path, found->second);
    }
  }
  return true;
}

}  // namespace

std::optional<std::array<int, 2>> png_size(std::string_view bytes) {
  // Signature, then the IHDR chunk: length, "IHDR", width, height.
  if (bytes.size() < 24 || !bytes.starts_with("\x89PNG\r\n\x1a\n") ||
      bytes.substr(12, 4) != "IHDR") {
    return std::nullopt;
  }
  const uint32_t width = big_endian_32(bytes, 16);
  const uint32_t height = big_endian_32(bytes, 20);
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
    return std::nullopt;
  }
  return std::array<int, 2>{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<ThemeArchive> read_theme_archive(const std::string& path, std::string& why) {
  std::vector<ArchiveEntry> entries;
  if (!read_zip_archive(path, kThemeLimits, entries, why)) return std::nullopt;
  std::map<std::string, std::string> files;
  for (ArchiveEntry& entry : entries) files.emplace(entry.name, std::move(entry.bytes));

  ThemeArchive theme;
  const auto config = files.find("theme.cfg");
  if (config == files.end()) {
    why = "theme.cfg is missing";
    return std::nullopt;
  }
  if (!read_theme_config(config->second, theme, why)) return std::nullopt;
  if (!take_pictures(files, "Icons", theme.icon_sizes, kIconNames, theme, why) ||
      !take_pictures(files, "Buttons", theme.button_sizes, kButtonNames, theme, why)) {
    return std::nullopt;
  }
  return theme;
}

std::vector<std::string> theme_folders() {
  std::vector<std::string> folders{program_folder() + "gfx/"};
  std::error_code ec;
  const std::filesystem::path prefix =
      std::filesystem::weakly_canonical(std::filesystem::path(program_folder()) / "..", ec);
  folders.push_back((prefix / "share" / "pixmera" / "gfx").string() + "/");
  return folders;
}

std::map<std::string, std::string> list_themes(const std::vector<std::string>& folders) {
  std::map<std::string, std::string> themes;
  for (const std::string& folder : folders) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
      const std::string file = entry.path().filename().string();
      if (!file.ends_with(".zip") || file.size() <= 4) continue;
      themes.emplace(file.substr(0, file.size() - 4), entry.path().string());
    }
  }
  return themes;
}

}  // namespace pixmera::ui

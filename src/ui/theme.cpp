#include "ui/theme.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>

namespace pixmera::ui {

namespace {

constexpr std::string_view kFallbackTheme = "handdrawn";

// The picture of `folder`/`name` nearest to `size`: the exact size, else the
// smallest larger one scaled down, else the largest scaled up.
wxBitmap picture(const ThemeArchive& archive, std::string_view folder,
                 const std::vector<int>& sizes, std::string_view name, int size) {
  if (sizes.empty() || size <= 0) return {};
  const auto larger = std::lower_bound(sizes.begin(), sizes.end(), size);
  const int source = larger != sizes.end() ? *larger : sizes.back();
  const std::string path =
      std::string(folder) + "/" + std::to_string(source) + "/" + std::string(name) + ".png";
  const auto found = archive.pictures.find(path);
  if (found == archive.pictures.end()) return {};
  wxMemoryInputStream stream(found->second.data(), found->second.size());
  // A picture that does not decode refuses the theme quietly; without this
  // wxWidgets would put libpng's complaint in a message box.
  wxLogNull quiet;
  wxImage image;
  if (!image.LoadFile(stream, wxBITMAP_TYPE_PNG) || !image.IsOk()) return {};
  if (source != size) image.Rescale(size, size, wxIMAGE_QUALITY_HIGH);
  return wxBitmap(image);
}

IconMap icon_map(const ThemeArchive& archive, int size) {
  IconMap map;
  for (const std::string_view name : kIconNames) {
    map.numbers.emplace(std::string(name), static_cast<int>(map.icons.size()));
    map.icons.push_back(picture(archive, "Icons", archive.icon_sizes, name, size));
  }
  return map;
}

bool all_decoded(const IconMap& map) {
  return std::all_of(map.icons.begin(), map.icons.end(),
                     [](const wxBitmap& icon) { return icon.IsOk(); });
}

}  // namespace

wxBitmap IconMap::icon(std::string_view name) const {
  const auto found = numbers.find(name);
  if (found == numbers.end()) return {};
  return icons[static_cast<size_t>(found->second)];
}

wxBitmap Theme::button(std::string_view picture_name, int size) const {
  return picture(archive, "Buttons", archive.button_sizes, picture_name, size);
}

int icon_size_for(int ui_size) {
  switch (ui_size) {
    case 0:
      return 16;
    case 1:
      return 20;
    case 3:
      return 32;
    default:
      return 24;
  }
}

std::unique_ptr<Theme> decode_theme(ThemeArchive archive, int menu_size, int tool_size,
                                    std::string& why) {
  auto theme = std::make_unique<Theme>();
  theme->name = archive.name;
  theme->menu_icons = icon_map(archive, menu_size);
  theme->tool_icons = icon_map(archive, tool_size);
  theme->archive = std::move(archive);
  // Every picture is decoded once here, so a PNG that lies about itself
  // refuses the theme now rather than leaving a hole in the window later.
  bool buttons = true;
  for (const std::string_view name : kButtonNames) {
    for (const int size : theme->archive.button_sizes) buttons &= theme->button(name, size).IsOk();
  }
  if (!all_decoded(theme->menu_icons) || !all_decoded(theme->tool_icons) || !buttons) {
    why = "a picture does not decode";
    return nullptr;
  }
  return theme;
}

std::unique_ptr<Theme> load_theme(const std::string& wanted, int menu_size, int tool_size,
                                  std::vector<std::string>& notes,
                                  const std::vector<std::string>& folders) {
  const std::map<std::string, std::string> themes = list_themes(folders);
  std::vector<std::string> candidates{wanted};
  if (wanted != kFallbackTheme) candidates.emplace_back(kFallbackTheme);
  for (const std::string& name : candidates) {
    const auto found = themes.find(name);
    if (found == themes.end()) {
      notes.push_back("theme " + name + ": not found");
      continue;
    }
    std::string why;
    if (auto archive = read_theme_archive(found->second, why)) {
      if (auto theme = decode_theme(std::move(*archive), menu_size, tool_size, why)) return theme;
    }
    notes.push_back("theme " + name + ": " + why);
  }
  return nullptr;
}

}  // namespace pixmera::ui

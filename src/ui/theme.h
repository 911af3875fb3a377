// The loaded interface theme: the pictures of a theme archive decoded, and
// the two name-to-icon maps the menus and the tool buttons take their icons
// through.
#pragma once

#include <wx/bitmap.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/theme_archive.h"

namespace pixmera::ui {

// A command name ("Add", "OutFolder") to the number of its icon.
struct IconMap {
  std::map<std::string, int, std::less<>> numbers;
  std::vector<wxBitmap> icons;

  // The icon of a command name; an empty bitmap when the map has none.
  wxBitmap icon(std::string_view name) const;
};

struct Theme {
  std::string name;
  IconMap menu_icons;
  IconMap tool_icons;
  ThemeArchive archive;

  // A picture of "Buttons" at `size` pixels, scaled from the nearest size
  // the theme holds; empty when the theme has none of that name.
  wxBitmap button(std::string_view name, int size) const;
};

// Icon pixels for a "UI Size" code: 0 small, 1 medium, 2 large, 3 extra
// large; any other code counts as large.
int icon_size_for(int ui_size);

// Decodes every picture of the archive and fills the maps for menu icons of
// `menu_size` and tool icons of `tool_size` pixels. Null with the reason in
// `why` when a picture does not decode.
std::unique_ptr<Theme> decode_theme(ThemeArchive archive, int menu_size, int tool_size,
                                    std::string& why);

// The theme "UI Theme" names; when it is missing or damaged, "handdrawn";
// when that fails too, null (the window then shows text buttons). `notes`
// collects why a theme was passed over, for the debug output.
std::unique_ptr<Theme> load_theme(const std::string& wanted, int menu_size, int tool_size,
                                  std::vector<std::string>& notes,
                                  const std::vector<std::string>& folders = theme_folders());

}  // namespace pixmera::ui

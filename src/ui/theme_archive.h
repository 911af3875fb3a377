// Interface themes: ZIP archives in a "gfx/" folder holding "theme.cfg" and
// PNG pictures, "Icons/<size>/<Name>.png" and "Buttons/<size>/<Name>.png".
// This part reads and checks an archive; it needs no display.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pixmera::ui {

// The pictures a theme must hold: one icon per command name of the menus and
// tool buttons, and the big pictures of the Convert button and the chooser.
inline constexpr std::array<std::string_view, 22> kIconNames = {"New",
                                                                "Add",
                                                                "InFiles",
                                                                "InFolder",
                                                                "OutFolder",
                                                                "OutFormat",
                                                                "FavFolder",
                                                                "ImportFiles",
                                                                "ExportFiles",
                                                                "Exit",
                                                                "Copy",
                                                                "Delete",
                                                                "SelectAll",
                                                                "Convert",
                                                                "Error",
                                                                "Preferences",
                                                                "CustomConverter",
                                                                "Help",
                                                                "Email",
                                                                "Web",
                                                                "Updates",
                                                                "About"};
inline constexpr std::array<std::string_view, 3> kButtonNames = {"Convert", "InFiles", "InFolder"};

// Pictures larger than this on a side are refused before they are decoded.
inline constexpr int kMaxPictureSide = 1024;

struct ThemeArchive {
  std::string name;               // "Name" of theme.cfg
  std::vector<int> icon_sizes;    // "Icon Sizes", ascending
  std::vector<int> button_sizes;  // "Button Sizes", ascending
  // "Icons/16/Add.png" and the like: the PNG bytes, each checked to be a PNG
  // of the size its folder names.
  std::map<std::string, std::string> pictures;
};

// Reads and checks a theme archive; nullopt with the reason in `why` when
// it is missing, damaged, incomplete or passes a limit.
std::optional<ThemeArchive> read_theme_archive(const std::string& path, std::string& why);

// The width and height a PNG's header states; nullopt when it is no PNG.
std::optional<std::array<int, 2>> png_size(std::string_view bytes);

// The "gfx/" folders, first the one beside the executable, then the one
// under the installation prefix.
std::vector<std::string> theme_folders();
// The theme archives found there, by theme name (the file name without
// ".zip"); the first folder wins.
std::map<std::string, std::string> list_themes(const std::vector<std::string>& folders);

}  // namespace pixmera::ui

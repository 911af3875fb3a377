// The recently used output folders of the windowed face, kept in "Recent
// Out Folders" as one text with the folders separated by tab characters.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

namespace pixmera {

// The folders in the order stored, empty entries left out.
std::vector<std::string> recent_out_folders(const Settings& settings);

// Puts `folder` in front; an older copy of it is dropped and the list is cut
// to "Out Folders Number" entries.
void remember_out_folder(Settings& settings, const std::string& folder);

}  // namespace pixmera

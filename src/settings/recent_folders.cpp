#include "settings/recent_folders.h"

#include <algorithm>

#include "util/text.h"

namespace pixmera {

std::vector<std::string> recent_out_folders(const Settings& settings) {
  std::vector<std::string> folders = split(settings.recent_out_folders, '\t');
  std::erase_if(folders, [](const std::string& folder) { return folder.empty(); });
  return folders;
}

void remember_out_folder(Settings& settings, const std::string& folder) {
  std::vector<std::string> folders = recent_out_folders(settings);
  std::erase(folders, folder);
  if (!folder.empty()) folders.insert(folders.begin(), folder);
  if (folders.size() > settings.out_folders_number) folders.resize(settings.out_folders_number);
  std::string text;
  for (const std::string& entry : folders) {
    if (!text.empty()) text += '\t';
    text += entry;
  }
  settings.recent_out_folders = text;
}

}  // namespace pixmera

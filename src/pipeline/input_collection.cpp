#include "pipeline/input_collection.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "util/text.h"

namespace pixmera {

namespace {

// Entries in the order they were added, with an index by path so a second
// add of the same path is found without a walk.
std::vector<InputEntry> g_entries;
std::unordered_map<std::string, size_t> g_index_by_path;
size_t g_next_entry = 0;

}  // namespace

int32_t add_input_file(const std::string& path) {
  // A missing file (-1) or a folder (-2) is not refused here: whether it can
  // be converted shows when the worker reaches it. Only a file known to be
  // empty is turned away.
  if (file_size(path) == 0) return 0;
  if (!is_accepted_input_extension(to_lower(extension_of(path)))) return 0;

  // Every stored entry carries the added mark, so being indexed means added.
  if (!g_index_by_path.emplace(path, g_entries.size()).second) return 0;
  g_entries.push_back({path, 1, sub_folder_text(path, g_current_file.given_input_path)});
  return 1;
}

// Only a base at the start of the file's folder is removed. Removing it
// wherever it occurs would turn /in/a/in/x.pcd (base /in/) into "a" and send
// the output one level up under a folder with no trailing separator; a base that
// appears only further down (/data/in/x.pcd) is not the file's base at all.
// On Windows "/" and "\" both separate, so a base typed with one matches a
// path written with the other.
std::string sub_folder_text(std::string_view path, std::string_view base) {
  if (path.empty() || base.empty()) return {};
  const std::string_view folder = folder_of(path);
  const bool base_ends_folder = is_path_separator(base.back());
  const size_t length = base.size() + (base_ends_folder ? 0 : 1);
  if (folder.size() < length) return {};
  for (size_t i = 0; i < length; ++i) {
    const char wanted = i < base.size() ? base[i] : kPathSeparator;
    const bool same =
        is_path_separator(wanted) ? is_path_separator(folder[i]) : folder[i] == wanted;
    if (!same) return {};
  }
  return std::string(folder.substr(length));
}

int32_t add_input_path(const std::string& path) {
  if (!is_folder(path)) return add_input_file(path);
  // Folder links are not followed, so a link back up cannot loop.
  std::vector<std::string> files;
  std::error_code ec;
  namespace fs = std::filesystem;
  for (fs::recursive_directory_iterator
           it(file_system_path(path), fs::directory_options::skip_permission_denied, ec),
       end;
       !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec)) files.push_back(utf8_path(it->path()));
  }
  std::sort(files.begin(), files.end());

  std::string& base = g_current_file.given_input_path;
  const std::string saved_base = base;
  base = is_path_separator(path.back()) ? path : path + kPathSeparator;
  int32_t added = 0;
  for (const std::string& file : files) added += add_input_file(file);
  base = saved_base;
  return added;
}

bool remove_input_file(const std::string& path) {
  const auto found = g_index_by_path.find(path);
  if (found == g_index_by_path.end()) return false;
  g_entries.erase(g_entries.begin() + static_cast<std::ptrdiff_t>(found->second));
  g_index_by_path.clear();
  for (size_t i = 0; i < g_entries.size(); ++i) g_index_by_path.emplace(g_entries[i].path, i);
  g_next_entry = 0;
  return true;
}

const std::vector<InputEntry>& input_collection() { return g_entries; }

void clear_input_collection() {
  g_entries.clear();
  g_index_by_path.clear();
  g_next_entry = 0;
}

void reset_input_iteration() { g_next_entry = 0; }

const InputEntry* next_input_entry() {
  return g_next_entry < g_entries.size() ? &g_entries[g_next_entry++] : nullptr;
}

const InputEntry* peek_input_entry() {
  return g_next_entry < g_entries.size() ? &g_entries[g_next_entry] : nullptr;
}

}  // namespace pixmera

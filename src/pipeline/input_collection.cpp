// PLACEHOLDER - replaced by the input collection implementation.
#include "pipeline/input_collection.h"
namespace pixmera {
namespace { std::vector<InputEntry> g_entries; size_t g_next = 0; }
int32_t add_input_file(const std::string& path) { g_entries.push_back({path, 1, {}}); return 1; }
std::string sub_folder_text(std::string_view, std::string_view) { return {}; }
const std::vector<InputEntry>& input_collection() { return g_entries; }
void clear_input_collection() { g_entries.clear(); }
void reset_input_iteration() { g_next = 0; }
const InputEntry* next_input_entry() { return g_next < g_entries.size() ? &g_entries[g_next++] : nullptr; }
}  // namespace pixmera

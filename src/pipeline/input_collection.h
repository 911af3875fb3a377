// The input file collection: the files a conversion run will convert, keyed
// by their path exactly as given, in the order they were added.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pixmera {

struct InputEntry {
  std::string path;        // the key, as given (no case folding or normalising)
  int32_t added = 0;       // 1 once the file has been added
  std::string sub_folder;  // the file's folder below the base folder, ends in "/"
};

// Adds a file unless it is empty, its lower-cased extension is not accepted,
// or it is already in the collection. The base folder of the sub-folder text
// is the given input path of the current-file record. Returns 1 when added.
int32_t add_input_file(const std::string& path);
// The path's folder with every occurrence of `base` removed, when `base`
// occurs in it; empty otherwise or when either text is empty.
std::string sub_folder_text(std::string_view path, std::string_view base);

// What the window's input field names: a file is added as it is; a folder
// adds every file below it, sub-folders included, in name order, with the
// folder as the base of their sub-folder texts (so "Keep Subfolders" rebuilds
// the tree under the output folder). Returns how many were added.
int32_t add_input_path(const std::string& path);
// Takes a file out of the collection; false when it was not in it.
bool remove_input_file(const std::string& path);

// The entries in the order they were added.
const std::vector<InputEntry>& input_collection();
void clear_input_collection();

// Iteration for the worker: reset, then next() until it gives nullptr.
void reset_input_iteration();
const InputEntry* next_input_entry();
// The entry next_input_entry() will give, without moving on; nullptr at the
// end.
const InputEntry* peek_input_entry();

}  // namespace pixmera

// Finding and reading the Image Pac extension of a Pro Photo CD picture. For
// <disc>/IMAGES/IMGnnnn.PCD it is the folder <disc>/IPE/IMGnnnn/64BASE/:
// INFO.IC and the files it names. Discs are mounted with upper- or
// lower-case names, so the whole path is tried in the picture name's case,
// then in the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "photocd/image_pac_extension.h"

namespace pixmera::photocd {

struct ExtensionFolder {
  std::string info_path;  // INFO.IC, which exists
  bool lower_case = false;
};

// The extension folder of the Image Pac at `image_pac_path`, or nullopt with
// the reason in `why` (the picture is not IMAGES/<name>.PCD, or no INFO.IC
// is there).
std::optional<ExtensionFolder> find_extension_folder(const std::string& image_pac_path,
                                                     std::string& why);

// INFO.IC read and checked against 64Base's size, with the bytes of every
// file it names (each exactly its stated size) held here; data.files points
// into file_bytes.
struct LoadedExtension {
  std::vector<std::vector<std::uint8_t>> file_bytes;
  ExtensionData data;
};

std::optional<LoadedExtension> load_extension(const ExtensionFolder& folder, std::string& why);

}  // namespace pixmera::photocd

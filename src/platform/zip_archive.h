// Reading a ZIP archive into memory with libarchive, within limits, so a
// damaged or hostile archive (a bomb, a huge entry, thousands of entries)
// costs nothing more than a refusal. Used by the window module's themes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pixmera {

struct ArchiveLimits {
  size_t max_entries = 1024;
  size_t max_entry_bytes = size_t{8} << 20;
  size_t max_total_bytes = size_t{64} << 20;
};

struct ArchiveEntry {
  std::string name;
  std::string bytes;
};

// Every regular file of the archive, in archive order. False with the reason
// in `why` when the file is no readable ZIP, is cut short or passes a limit.
bool read_zip_archive(const std::string& path, const ArchiveLimits& limits,
                      std::vector<ArchiveEntry>& entries, std::string& why);

}  // namespace pixmera

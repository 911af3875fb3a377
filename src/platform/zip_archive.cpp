#include "platform/zip_archive.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace pixmera {

namespace {

struct ArchiveFree {
  void operator()(archive* a) const { archive_read_free(a); }
};

std::string archive_error(archive* a) {
  const char* text = archive_error_string(a);
  return text != nullptr ? text : "unreadable archive";
}

}  // namespace

bool read_zip_archive(const std::string& path, const ArchiveLimits& limits,
                      std::vector<ArchiveEntry>& entries, std::string& why) {
  entries.clear();
  std::unique_ptr<archive, ArchiveFree> reader(archive_read_new());
  if (!reader) {
    why = "out of memory";
    return false;
  }
  archive* a = reader.get();
  archive_read_support_format_zip(a);
  if (archive_read_open_filename(a, path.c_str(), 64 * 1024) != ARCHIVE_OK) {
    why = archive_error(a);
    return false;
  }
  size_t total = 0;
  size_t seen = 0;
  archive_entry* entry = nullptr;
  for (;;) {
    const int status = archive_read_next_header(a, &entry);
    if (status == ARCHIVE_EOF) break;
    if (status != ARCHIVE_OK) {
      why = archive_error(a);
      return false;
    }
    if (++seen > limits.max_entries) {
      why = "too many entries";
      return false;
    }
    if (archive_entry_filetype(entry) != AE_IFREG) continue;
    const char* name = archive_entry_pathname(entry);
    ArchiveEntry file{name != nullptr ? name : "", {}};
    // The sizes a header claims are not trusted: the data is read in chunks
    // and refused as soon as it grows past a limit.
    char chunk[16 * 1024];
    for (;;) {
      const la_ssize_t n = archive_read_data(a, chunk, sizeof chunk);
      if (n == 0) break;
      if (n < 0) {
        why = archive_error(a);
        return false;
      }
      const auto count = static_cast<size_t>(n);
      if (file.bytes.size() + count > limits.max_entry_bytes) {
        why = "entry " + file.name + " is too large";
        return false;
      }
      total += count;
      if (total > limits.max_total_bytes) {
        why = "archive is too large";
        return false;
      }
      file.bytes.append(chunk, count);
    }
    entries.push_back(std::move(file));
  }
  return true;
}

}  // namespace pixmera

// Theme archives for tests: a complete small theme, and ways to damage it.
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <map>
#include <string>

#include "imaging/image.h"
#include "ui/theme_archive.h"

namespace pixmera::test {

// A size x size PNG: an opaque disc on a transparent ground.
inline std::string disc_png(int size) {
  FIBITMAP* picture = FreeImage_Allocate(size, size, 32);
  for (int y = 0; y < size; ++y) {
    BYTE* row = FreeImage_GetScanLine(picture, y);
    for (int x = 0; x < size; ++x) {
      const int dx = 2 * x - size, dy = 2 * y - size;
      const bool inside = dx * dx + dy * dy < size * size;
      row[4 * x + FI_RGBA_RED] = 200;
      row[4 * x + FI_RGBA_GREEN] = 80;
      row[4 * x + FI_RGBA_BLUE] = 40;
      row[4 * x + FI_RGBA_ALPHA] = inside ? 255 : 0;
    }
  }
  FIMEMORY* memory = FreeImage_OpenMemory();
  FreeImage_SaveToMemory(FIF_PNG, picture, memory, 0);
  BYTE* data = nullptr;
  DWORD length = 0;
  FreeImage_AcquireMemory(memory, &data, &length);
  std::string bytes(reinterpret_cast<const char*>(data), length);
  FreeImage_CloseMemory(memory);
  FreeImage_Unload(picture);
  return bytes;
}

// Every file of a complete theme with icons of 16 and 24 and buttons of 64
// and 88 pixels.
inline std::map<std::string, std::string> theme_files() {
  std::map<std::string, std::string> files;
  files["theme.cfg"] =
      "; a test theme\r\nName = Test\r\nIcon Sizes = 16,24\r\nButton Sizes = 64,88\r\n";
  for (const int size : {16, 24}) {
    const std::string png = disc_png(size);
    for (const std::string_view name : ui::kIconNames) {
      files["Icons/" + std::to_string(size) + "/" + std::string(name) + ".png"] = png;
    }
  }
  for (const int size : {64, 88}) {
    const std::string png = disc_png(size);
    for (const std::string_view name : ui::kButtonNames) {
      files["Buttons/" + std::to_string(size) + "/" + std::string(name) + ".png"] = png;
    }
  }
  return files;
}

inline bool write_zip(const std::string& path, const std::map<std::string, std::string>& files) {
  archive* zip = archive_write_new();
  archive_write_set_format_zip(zip);
  if (archive_write_open_filename(zip, path.c_str()) != ARCHIVE_OK) {
    archive_write_free(zip);
    return false;
  }
  for (const auto& [name, bytes] : files) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
    archive_write_header(zip, entry);
    archive_write_data(zip, bytes.data(), bytes.size());
    archive_entry_free(entry);
  }
  archive_write_close(zip);
  archive_write_free(zip);
  return true;
}

}  // namespace pixmera::test

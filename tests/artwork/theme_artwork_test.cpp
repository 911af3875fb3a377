// The "handdrawn" theme and the application icon drawn at build time: the
// ZIP holds every picture the window asks for, each a real square RGBA PNG,
// and the drawing program writes the same bytes on every run.

#include <archive.h>
#include <archive_entry.h>
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/process_runner.h"
#include "support/temp_folder.h"
#include "ui/theme_archive.h"

namespace {

using pixmera::test::read_bytes;
using pixmera::test::run_process;
using pixmera::test::TempFolder;

// The sizes the window picks from; the names are the window's own list.
using pixmera::ui::kButtonNames;
using pixmera::ui::kIconNames;
const int kIconSizes[] = {16, 20, 24, 32, 48};
const int kButtonSizes[] = {64, 88, 96, 132};

const std::string kBuildZip = std::string(PIXMERA_BINARY_DIR) + "/bin/gfx/handdrawn.zip";
const std::string kBuildIcons = std::string(PIXMERA_BINARY_DIR) + "/share/icons/hicolor";

std::map<std::string, std::string> read_zip(const std::string& path) {
  std::map<std::string, std::string> entries;
  archive* zip = archive_read_new();
  archive_read_support_format_zip(zip);
  if (archive_read_open_filename(zip, path.c_str(), 65536) == ARCHIVE_OK) {
    archive_entry* entry;
    while (archive_read_next_header(zip, &entry) == ARCHIVE_OK) {
      std::string data(static_cast<std::size_t>(archive_entry_size(entry)), '\0');
      la_ssize_t got = archive_read_data(zip, data.data(), data.size());
      if (got != static_cast<la_ssize_t>(data.size())) {
        ADD_FAILURE() << "short entry " << archive_entry_pathname(entry);
        break;
      }
      entries[archive_entry_pathname(entry)] = data;
    }
  }
  archive_read_free(zip);
  return entries;
}

// Checks that `png` decodes to a square RGBA picture of `size` with some
// opaque and some transparent pixels.
void expect_picture(const std::string& name, const std::string& png, int size) {
  struct Reader {
    const std::string* bytes;
    std::size_t at = 0;
  } reader{&png};
  auto read = [](void* closure, unsigned char* data, unsigned int length) {
    auto* r = static_cast<Reader*>(closure);
    if (r->bytes->size() - r->at < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes->data() + r->at, length);
    r->at += length;
    return CAIRO_STATUS_SUCCESS;
  };
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(read, &reader);
  ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS) << name;
  EXPECT_EQ(cairo_image_surface_get_format(surface), CAIRO_FORMAT_ARGB32) << name;
  EXPECT_EQ(cairo_image_surface_get_width(surface), size) << name;
  EXPECT_EQ(cairo_image_surface_get_height(surface), size) << name;
  int opaque = 0, clear = 0;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
      const std::uint32_t alpha = row[x] >> 24;
      opaque += alpha == 255;
      clear += alpha == 0;
    }
  }
  EXPECT_GT(opaque, size) << name << " is nearly empty";
  EXPECT_GT(clear, size) << name << " has no transparent background";
  cairo_surface_destroy(surface);
}

TEST(HanddrawnTheme, HoldsEveryPictureTheWindowAsksFor) {
  const auto entries = read_zip(kBuildZip);
  ASSERT_TRUE(entries.count("theme.cfg")) << kBuildZip;

  std::map<std::string, std::string> config;
  std::string text = entries.at("theme.cfg");
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    const std::size_t equals = line.find(" = ");
    ASSERT_NE(equals, std::string::npos) << line;
    config[line.substr(0, equals)] = line.substr(equals + 3);
  }
  EXPECT_EQ(config["Name"], "Hand-drawn");
  EXPECT_FALSE(config["Author"].empty());
  EXPECT_EQ(config["Icon Sizes"], "16,20,24,32,48");
  EXPECT_EQ(config["Button Sizes"], "64,88,96,132");

  std::size_t expected = 1;
  for (int size : kIconSizes) {
    std::set<std::string> distinct;
    for (const std::string_view name : kIconNames) {
      const std::string path = "Icons/" + std::to_string(size) + "/" + std::string(name) + ".png";
      auto found = entries.find(path);
      if (found == entries.end()) {
        ADD_FAILURE() << "missing " << path;
        continue;
      }
      expect_picture(path, found->second, size);
      distinct.insert(found->second);
      ++expected;
    }
    EXPECT_EQ(distinct.size(), std::size(kIconNames)) << "two icons alike at " << size;
  }
  for (int size : kButtonSizes) {
    for (const std::string_view name : kButtonNames) {
      const std::string path = "Buttons/" + std::to_string(size) + "/" + std::string(name) + ".png";
      auto found = entries.find(path);
      if (found == entries.end()) {
        ADD_FAILURE() << "missing " << path;
        continue;
      }
      expect_picture(path, found->second, size);
      ++expected;
    }
  }
  EXPECT_EQ(entries.size(), expected) << "the theme holds entries nobody asked for";
}

TEST(HanddrawnTheme, ApplicationIconIsDrawnAtEverySizeAndAsVectors) {
  for (int size : {48, 128, 256}) {
    const std::string dimension = std::to_string(size) + "x" + std::to_string(size);
    expect_picture(dimension, read_bytes(kBuildIcons + "/" + dimension + "/apps/pixmera.png"),
                   size);
  }
  // Cairo falls back to an embedded bitmap for what SVG cannot express; the
  // scalable icon must be paths only.
  const std::string svg = read_bytes(kBuildIcons + "/scalable/apps/pixmera.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("<path"), std::string::npos);
  EXPECT_EQ(svg.find("<image"), std::string::npos);
}

// Two runs, in different time zones, write the same bytes as the build did.
TEST(HanddrawnTheme, DrawsTheSameBytesOnEveryRun) {
  TempFolder folder;
  const std::map<std::string, std::string> zones[] = {{{"TZ", "UTC"}}, {{"TZ", "EST+5"}}};
  for (int run = 0; run < 2; ++run) {
    const std::string base = folder.file("run" + std::to_string(run));
    const auto result =
        run_process(PIXMERA_DRAW_THEME, {base + "/handdrawn.zip", base + "/hicolor"}, zones[run]);
    ASSERT_EQ(result.exit_status, 0) << result.output;
  }
  const std::string files[] = {
      "/handdrawn.zip", "/hicolor/48x48/apps/pixmera.png", "/hicolor/128x128/apps/pixmera.png",
      "/hicolor/256x256/apps/pixmera.png", "/hicolor/scalable/apps/pixmera.svg"};
  for (const std::string& file : files) {
    const std::string first = read_bytes(folder.file("run0") + file);
    EXPECT_FALSE(first.empty()) << file;
    EXPECT_TRUE(first == read_bytes(folder.file("run1") + file)) << file << " differs between runs";
  }
  EXPECT_TRUE(read_bytes(folder.file("run0") + "/handdrawn.zip") == read_bytes(kBuildZip));
}

}  // namespace

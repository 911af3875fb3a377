// Comparison of a produced picture with a reference kept in tests/data/ref/.
//
// Tolerance: a pixel differs when one of its channels is more than
// `channel` levels off; the comparison fails when more than `fraction` of
// all pixels differ. On a failure the actual picture and a difference
// picture (differing pixels red over a faded grey reference) are written to
// <build>/test-output/ref/ and their paths are printed. With
// PIXMERA_UPDATE_REFERENCES=1 the actual picture becomes the reference.
#pragma once

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>

#include "imaging/image.h"
#include "platform/drawing.h"

namespace pixmera::test {

// The drawing library the references with drawn parts (frame bands, text)
// were made with. Another library draws the same shapes in the same places
// and colours, with edge and glyph pixels of its own; the tests check those
// properties directly, and the pictures only where this library draws.
inline constexpr std::string_view kReferenceDrawingLibrary = "Cairo";

struct Tolerance {
  int channel = 2;
  double fraction = 0.0;
};

inline std::string reference_path(const std::string& name) {
  return std::string(PIXMERA_TEST_DATA) + "/ref/" + name + ".png";
}

inline std::string comparison_output_folder() {
  const std::filesystem::path folder =
      std::filesystem::path(PIXMERA_BINARY_DIR) / "test-output" / "ref";
  std::filesystem::create_directories(folder);
  return folder.string();
}

namespace detail {

inline const BYTE* pixel_of(FIBITMAP* picture, int x, int y) {
  const int height = static_cast<int>(FreeImage_GetHeight(picture));
  return FreeImage_GetScanLine(picture, height - 1 - y) + 3 * x;
}

inline Image difference_picture(FIBITMAP* actual, FIBITMAP* expected, int channel_tolerance) {
  const int width = static_cast<int>(FreeImage_GetWidth(expected));
  const int height = static_cast<int>(FreeImage_GetHeight(expected));
  Image difference = adopt(FreeImage_Allocate(width, height, 24));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const BYTE* a = pixel_of(actual, x, y);
      const BYTE* e = pixel_of(expected, x, y);
      BYTE* d = const_cast<BYTE*>(pixel_of(difference.get(), x, y));
      int worst = 0;
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a[c] - e[c]));
      if (worst > channel_tolerance) {
        d[FI_RGBA_RED] = 255;
        d[FI_RGBA_GREEN] = 0;
        d[FI_RGBA_BLUE] = 0;
      } else {
        const auto grey = static_cast<BYTE>(
            160 + (e[FI_RGBA_RED] * 77 + e[FI_RGBA_GREEN] * 150 + e[FI_RGBA_BLUE] * 29) / 256 / 3);
        d[0] = d[1] = d[2] = grey;
      }
    }
  }
  return difference;
}

}  // namespace detail

inline ::testing::AssertionResult matches_reference(const Image& produced, const std::string& name,
                                                    Tolerance tolerance) {
  if (!produced) return ::testing::AssertionFailure() << "no picture was produced for " << name;
  const Image actual = adopt(FreeImage_ConvertTo24Bits(produced.get()));
  const std::string reference = reference_path(name);
  const char* update = std::getenv("PIXMERA_UPDATE_REFERENCES");
  if (update != nullptr && std::string(update) == "1") {
    FreeImage_Save(FIF_PNG, actual.get(), reference.c_str(), PNG_Z_BEST_COMPRESSION);
    return ::testing::AssertionSuccess() << "reference " << reference << " rewritten";
  }

  const std::string actual_path = comparison_output_folder() + "/" + name + ".actual.png";
  const std::string difference_path = comparison_output_folder() + "/" + name + ".diff.png";
  const Image expected_file = adopt(FreeImage_Load(FIF_PNG, reference.c_str(), 0));
  if (!expected_file) {
    FreeImage_Save(FIF_PNG, actual.get(), actual_path.c_str(), 0);
    return ::testing::AssertionFailure()
           << "reference " << reference << " is missing; actual picture: " << actual_path;
  }
  const Image expected = adopt(FreeImage_ConvertTo24Bits(expected_file.get()));
  const int width = width_of(expected);
  const int height = height_of(expected);
  if (width_of(actual) != width || height_of(actual) != height) {
    FreeImage_Save(FIF_PNG, actual.get(), actual_path.c_str(), 0);
    return ::testing::AssertionFailure()
           << name << ": size " << width_of(actual) << "x" << height_of(actual) << ", reference "
           << width << "x" << height << "; actual picture: " << actual_path;
  }

  int64_t differing = 0;
  int largest = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const BYTE* a = detail::pixel_of(actual.get(), x, y);
      const BYTE* e = detail::pixel_of(expected.get(), x, y);
      int worst = 0;
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a[c] - e[c]));
      largest = std::max(largest, worst);
      if (worst > tolerance.channel) ++differing;
    }
  }
  const double fraction = static_cast<double>(differing) / (static_cast<double>(width) * height);
  std::ostringstream summary;
  summary << name << ": " << differing << " pixels (" << fraction * 100.0
          << "%) differ by more than " << tolerance.channel << " levels, largest difference "
          << largest << "; allowed " << tolerance.fraction * 100.0 << "%";
  if (fraction <= tolerance.fraction) return ::testing::AssertionSuccess() << summary.str();

  FreeImage_Save(FIF_PNG, actual.get(), actual_path.c_str(), 0);
  const Image difference =
      detail::difference_picture(actual.get(), expected.get(), tolerance.channel);
  FreeImage_Save(FIF_PNG, difference.get(), difference_path.c_str(), 0);
  return ::testing::AssertionFailure()
         << summary.str() << "\n  reference: " << reference << "\n  actual:    " << actual_path
         << "\n  difference: " << difference_path;
}

}  // namespace pixmera::test

// Helpers shared by the PhotoCD tests: fixture paths, reference pictures and
// picture comparisons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "photocd/plane.h"

namespace pixmera::photocd::testing {

// tests/data/pcd/<name>, tests/data/photocd/<name>.
std::string pcd_fixture(const std::string& name);
std::string photocd_data(const std::string& name);

std::vector<std::uint8_t> read_bytes(const std::string& path);

// A PNG (or any picture FreeImage reads) as top-down RGB.
RgbImage load_picture(const std::string& path);
// Writes RGB as PNG; used to leave pictures behind when a comparison fails.
void save_picture(const RgbImage& image, const std::string& path);

// Peak signal-to-noise ratio over all three channels, in dB (99 when equal).
double psnr(const RgbImage& a, const RgbImage& b);

// The mean of each factor x factor block, rounded.
RgbImage box_downscale(const RgbImage& image, int factor);

// Same picture, RGB order, whatever order `image` was decoded in.
RgbImage as_rgb(const RgbImage& image);

// Pearson correlation of the two pictures' mean-of-channels brightness;
// insensitive to a brightness or contrast change, so it compares geometry.
double brightness_correlation(const RgbImage& a, const RgbImage& b);

// Where failing comparisons leave the actual picture and a difference
// picture: <build>/test-output/photocd/.
std::string failure_output_dir();

// PSNR of `actual` against `reference`; below `minimum_db` it writes
// <stem>_actual.png and <stem>_difference.png into failure_output_dir().
double compare_or_keep(const RgbImage& actual, const RgbImage& reference, double minimum_db,
                       const std::string& stem);

}  // namespace pixmera::photocd::testing

// Every operation of the rotation-to-dither stretch of the chain against
// every depth a picture may have on the way in. Run in the sanitizer build
// these prove the handle rule: the replaced picture is released exactly once
// (no leak, no double unload), a switched-off operation hands back the very
// same picture, and a picture FreeImage cannot handle ends as an empty
// handle instead of a crash.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "imaging/operations.h"
#include "test_pictures.h"

namespace pixmera {
namespace {

constexpr unsigned kDepths[] = {1, 4, 8, 16, 24, 32, 48, 96};
constexpr int kWidth = 90;
constexpr int kHeight = 60;

// kFails: the operation ends the file with an empty handle. kAnyDepth: the
// operation keeps whatever depth FreeImage's own call returns.
constexpr unsigned kFails = 0;
constexpr unsigned kAnyDepth = 1000;

struct Operation {
  std::string name;
  std::function<void()> switch_on;
  std::function<Image(Image)> apply;
  std::map<unsigned, unsigned> depth_out;  // by depth in
  bool in_place;                           // same handle when the depth suits it
  int width_out;
  int height_out;
};

Image apply_resize(Image picture) {
  const int w = width_of(picture);
  const int h = height_of(picture);
  return resize(std::move(picture), w, h);
}

Image apply_flip(Image picture) {
  flip(picture);
  return picture;
}

// 16 bits per channel stay 16 bits: 48 in, 48 out; floats stay floats.
const std::map<unsigned, unsigned> kToTrueColour = {{1, 24},  {4, 24},  {8, 24},  {16, 24},
                                                    {24, 24}, {32, 32}, {48, 48}, {96, 96}};

const std::vector<Operation>& operations() {
  static const std::vector<Operation> table = {
      {"rotate_onto_background",
       [] {
         g_settings.do_image_rotation = 1;
         g_settings.image_rotation = 90;
         g_settings.image_rotation_back_color = "102030";
       },
       rotate, kToTrueColour, false, kHeight, kWidth},
      {"rotate_about_centre",
       [] {
         g_settings.do_image_rotation = 1;
         g_settings.image_rotation = 33;
         g_settings.image_rotation_type = 1;
       },
       rotate, kToTrueColour, false, kWidth, kHeight},
      {"resize",
       [] {
         g_settings.do_image_resize = 1;
         g_settings.image_width = 50;
         g_settings.image_width_unit = 1;
         g_settings.image_height = 50;
         g_settings.image_height_unit = 1;
       },
       apply_resize,
       {{1, kAnyDepth},
        {4, kAnyDepth},
        {8, 8},
        {16, kAnyDepth},
        {24, 24},
        {32, 32},
        {48, 48},
        {96, 96}},
       false,
       kWidth / 2,
       kHeight / 2},
      {"flip",
       [] {
         g_settings.do_image_flip_horizontal = 1;
         g_settings.do_image_flip_vertical = 1;
       },
       apply_flip,
       {{1, 1}, {4, 4}, {8, 8}, {16, 16}, {24, 24}, {32, 32}, {48, 48}, {96, 96}},
       true,
       kWidth,
       kHeight},
      {"adjust_colors",
       [] {
         g_settings.do_image_color_correction = 1;
         g_settings.image_brightness = 15;
         g_settings.image_invert = 1;
       },
       adjust_colors,
       // Floats are adjusted as the 16-bit picture they would be.
       {{1, 24}, {4, 24}, {8, 8}, {16, 24}, {24, 24}, {32, 32}, {48, 48}, {96, 48}},
       true,
       kWidth,
       kHeight},
      {"greyscale",
       [] { g_settings.do_image_greyscale = 1; },
       greyscale,
       // 48 bits and floats give 16-bit grey.
       {{1, 8}, {4, 8}, {8, 8}, {16, 8}, {24, 8}, {32, 8}, {48, 16}, {96, 16}},
       false,
       kWidth,
       kHeight},
      {"threshold",
       [] {
         g_settings.do_image_threshold = 1;
         g_settings.image_threshold = 120;
       },
       threshold,
       {{1, 1}, {4, 1}, {8, 1}, {16, 1}, {24, 1}, {32, 1}, {48, 1}, {96, 1}},
       false,
       kWidth,
       kHeight},
      {"dither",
       [] {
         g_settings.do_image_dither = 1;
         g_settings.image_dither_algorithm = 3;
       },
       dither,
       {{1, 1}, {4, 1}, {8, 1}, {16, 1}, {24, 1}, {32, 1}, {48, 1}, {96, 1}},
       false,
       kWidth,
       kHeight},
  };
  return table;
}

class DepthPathTest : public test::OperationTest,
                      public ::testing::WithParamInterface<std::tuple<size_t, unsigned>> {
 protected:
  const Operation& operation() const { return operations()[std::get<0>(GetParam())]; }
  unsigned depth() const { return std::get<1>(GetParam()); }
  Image picture() const {
    Image p = test::with_depth(test::pattern(kWidth, kHeight), depth());
    EXPECT_EQ(bpp_of(p), depth());
    return p;
  }
};

TEST_P(DepthPathTest, SwitchedOffHandsBackTheSamePicture) {
  Image p = picture();
  ASSERT_TRUE(p);
  FIBITMAP* const original = p.get();
  p = operation().apply(std::move(p));
  EXPECT_EQ(p.get(), original);
  EXPECT_EQ(bpp_of(p), depth());
}

TEST_P(DepthPathTest, SwitchedOnGivesTheExpectedDepthOrAnEmptyHandle) {
  operation().switch_on();
  Image p = picture();
  ASSERT_TRUE(p);
  FIBITMAP* const original = p.get();
  const unsigned expected = operation().depth_out.at(depth());

  p = operation().apply(std::move(p));
  if (expected == kFails) {
    EXPECT_FALSE(p);
    return;
  }
  ASSERT_TRUE(p);
  if (expected != kAnyDepth) {
    EXPECT_EQ(bpp_of(p), expected);
  }
  EXPECT_EQ(width_of(p), operation().width_out);
  EXPECT_EQ(height_of(p), operation().height_out);
  if (operation().in_place && expected == depth()) {
    EXPECT_EQ(p.get(), original);
  }
  // Reading every pixel of the result: under the sanitizers a handle to a
  // released picture would show here.
  EXPECT_EQ(test::raster_of(p).pixels.size(), static_cast<size_t>(width_of(p) * height_of(p)));
}

TEST_P(DepthPathTest, EmptyHandlePassesThrough) {
  operation().switch_on();
  EXPECT_FALSE(operation().apply(Image{}));
}

std::string case_name(const ::testing::TestParamInfo<std::tuple<size_t, unsigned>>& info) {
  return operations()[std::get<0>(info.param)].name + "_" +
         std::to_string(std::get<1>(info.param)) + "bits";
}

INSTANTIATE_TEST_SUITE_P(AllOperations, DepthPathTest,
                         ::testing::Combine(::testing::Range<size_t>(0, operations().size()),
                                            ::testing::ValuesIn(kDepths)),
                         case_name);

}  // namespace
}  // namespace pixmera

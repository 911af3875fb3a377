// The watermark: placement arithmetic, the text block, the picture layer with
// its checks, the font, and whole watermarks on the Kodak photograph.
#include "imaging/watermark.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "imaging/operations.h"
#include "imaging/watermark_font.h"
#include "pipeline/current_file.h"
#include "reference_pictures.h"
#include "settings/settings.h"
#include "test_pictures.h"

namespace pixmera::test {
namespace {

constexpr Pixel kMagenta{255, 0, 255};
constexpr Pixel kRed{255, 0, 0};
constexpr Pixel kBlue{0, 0, 255};

// One folder per test process: CTest runs the cases of this file in parallel
// processes, and two of them writing "magenta.png" at once would read each
// other's half-written file.
std::string scratch_folder() {
  const std::filesystem::path folder = std::filesystem::path(PIXMERA_BINARY_DIR) / "test-output" /
                                       ("watermark-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return folder.string() + "/";
}

// A 24-bit picture of two colour halves, left and right.
Image halves(int width, int height, Pixel left, Pixel right) {
  Image picture = adopt(FreeImage_Allocate(width, height, 24));
  for (int y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(picture.get(), y);
    for (int x = 0; x < width; ++x) {
      const Pixel& p = x < width / 2 ? left : right;
      line[3 * x + FI_RGBA_RED] = static_cast<BYTE>(p.red);
      line[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(p.green);
      line[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(p.blue);
    }
  }
  return picture;
}

std::string saved_png(const Image& picture, const std::string& name) {
  const std::string path = scratch_folder() + name;
  EXPECT_TRUE(FreeImage_Save(FIF_PNG, picture.get(), path.c_str(), 0));
  return path;
}

std::string written_file(const std::string& name, const std::string& bytes) {
  const std::string path = scratch_folder() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// A BMP header claiming width x height at 24 bits, with no pixel data.
std::string bmp_header(uint32_t width, uint32_t height) {
  std::string bytes(54, '\0');
  const auto put32 = [&](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, 54);
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  bytes[26] = 1;
  bytes[28] = 24;
  return bytes;
}

// ---------------------------------------------------------------------------
// Placement arithmetic

TEST(WatermarkPlacement, NineAnchorsWithTruncatingHalves) {
  // A 200 x 50 layer in a 1000 x 800 area, offsets 10 and 10.
  const Position expected[9] = {{10, 10},   {400, 10}, {790, 10},  {10, 375}, {400, 375},
                                {790, 375}, {10, 740}, {400, 740}, {790, 740}};
  for (uint8_t code = 0; code < 9; ++code) {
    EXPECT_EQ(anchor_position(code, 200, 50, 1000, 800, 10, 10), expected[code]) << int{code};
  }
  EXPECT_EQ(anchor_position(9, 200, 50, 1000, 800, 10, 10), (Position{0, 0}));
  EXPECT_EQ(anchor_position(255, 200, 50, 1000, 800, 10, 10), (Position{0, 0}));
  // Odd room: the half is cut towards zero, also when the layer is larger.
  EXPECT_EQ(anchor_position(4, 200, 50, 1001, 801, 0, 0), (Position{400, 375}));
  EXPECT_EQ(anchor_position(4, 201, 51, 100, 100, 0, 0), (Position{-50, 24}));
}

class WatermarkTest : public OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    release_watermark_font();
  }
  void TearDown() override {
    release_watermark_font();
    g_current_file = CurrentFile{};
    OperationTest::TearDown();
  }

  void set_frame(int32_t width) {
    g_settings.do_frame = 1;
    g_settings.solid_left = g_settings.solid_right = width;
    g_settings.solid_top = g_settings.solid_bottom = width;
  }

  void use_picture_watermark(const std::string& path) {
    g_settings.do_watermark = kPictureWatermark;
    g_settings.image = path;
  }

  // The Kodak photograph at 1000 x 800.
  static Image photo_1000x800() {
    const Image photo = reference_photo("base_only.png");
    return adopt(FreeImage_Rescale(photo.get(), 1000, 800, FILTER_BILINEAR));
  }

  static Image stamped(const Image& picture) {
    return watermark(adopt(FreeImage_Clone(picture.get())), width_of(picture), height_of(picture));
  }
};

TEST_F(WatermarkTest, UsableAreaInsideTheFrame) {
  set_frame(20);
  const Area inside = usable_area(1000, 800, 1);
  EXPECT_EQ(inside.width, 960);
  EXPECT_EQ(inside.height, 760);
  EXPECT_EQ(inside.left, 20);
  EXPECT_EQ(inside.top, 20);
  const Position anchor = anchor_position(8, 200, 50, inside.width, inside.height, 10, 10);
  EXPECT_EQ(anchor.x + inside.left, 770);
  EXPECT_EQ(anchor.y + inside.top, 720);

  const Area whole = usable_area(1000, 800, 0);
  EXPECT_EQ(whole.width, 1000);
  EXPECT_EQ(whole.left, 0);
  // Boundary 1 without a solid frame: the whole picture.
  g_settings.do_frame = 0;
  EXPECT_EQ(usable_area(1000, 800, 1).width, 1000);
  g_settings.do_frame = 2;
  EXPECT_EQ(usable_area(1000, 800, 1).top, 0);
}

TEST_F(WatermarkTest, PlacementComesFromTheKindsSettings) {
  g_settings.text_position = 3;
  g_settings.text_x_offset = 7;
  g_settings.text_rotation = 45;
  g_settings.image_position = 5;
  g_settings.image_y_offset = 9;
  g_settings.watermark_image_rotation = 90;
  g_settings.image_boundary = 1;
  EXPECT_EQ(placement_of(kTextWatermark).position, 3);
  EXPECT_EQ(placement_of(kTextWatermark).x_offset, 7);
  EXPECT_EQ(placement_of(kTextWatermark).rotation, 45);
  EXPECT_EQ(placement_of(kTextWatermark).boundary, 0);
  EXPECT_EQ(placement_of(kPictureWatermark).position, 5);
  EXPECT_EQ(placement_of(kPictureWatermark).y_offset, 9);
  EXPECT_EQ(placement_of(kPictureWatermark).rotation, 90);
  EXPECT_EQ(placement_of(kPictureWatermark).boundary, 1);
}

TEST_F(WatermarkTest, CropKeepsTheTopLeftPart) {
  Image layer = adopt(FreeImage_ConvertTo32Bits(halves(300, 50, kRed, kBlue).get()));
  FIBITMAP* const original = layer.get();
  // Fits: the same layer.
  layer = crop_watermark(std::move(layer), 320, 60, 10, 10);
  EXPECT_EQ(layer.get(), original);

  // 250 - 10 leaves 240 of the 300 columns: all of the red half and 90 of
  // the blue one.
  Image cut = crop_watermark(std::move(layer), 250, 800, 10, 10);
  ASSERT_TRUE(cut);
  EXPECT_EQ(width_of(cut), 240);
  EXPECT_EQ(height_of(cut), 50);
  EXPECT_EQ(raster_of(cut).at(0, 0), kRed);
  EXPECT_EQ(raster_of(cut).at(239, 49), kBlue);

  Image low = crop_watermark(std::move(cut), 1000, 40, 0, 10);
  ASSERT_TRUE(low);
  EXPECT_EQ(width_of(low), 240);
  EXPECT_EQ(height_of(low), 30);

  // No room at all after the offsets.
  EXPECT_FALSE(crop_watermark(std::move(low), 10, 800, 10, 0));
  EXPECT_FALSE(crop_watermark(Image{}, 100, 100, 0, 0));
}

TEST_F(WatermarkTest, RotationOnlyBetweenOneAnd359Degrees) {
  const Image source = adopt(FreeImage_ConvertTo32Bits(halves(200, 50, kRed, kBlue).get()));
  for (const int32_t angle : {0, 360, -90, 720}) {
    Image layer = adopt(FreeImage_Clone(source.get()));
    FIBITMAP* const original = layer.get();
    EXPECT_EQ(rotate_watermark(std::move(layer), angle).get(), original) << angle;
  }
  const Image quarter = rotate_watermark(adopt(FreeImage_Clone(source.get())), 90);
  ASSERT_TRUE(quarter);
  EXPECT_EQ(width_of(quarter), 50);
  EXPECT_EQ(height_of(quarter), 200);
  const Image slanted = rotate_watermark(adopt(FreeImage_Clone(source.get())), 30);
  ASSERT_TRUE(slanted);
  EXPECT_EQ(bpp_of(slanted), 32u);
  // The uncovered corners stay transparent.
  EXPECT_EQ(alpha_at(slanted, 0, 0), 0);
}

// ---------------------------------------------------------------------------
// Text block

TEST_F(WatermarkTest, LinesSplitAtEachLineBreak) {
  EXPECT_EQ(watermark_lines("Kodak"), std::vector<std::string>{"Kodak"});
  EXPECT_EQ(watermark_lines("Kodak%eol%2024"), (std::vector<std::string>{"Kodak", "2024"}));
  EXPECT_EQ(watermark_lines("%eol%"), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(watermark_lines("a%eol%%eol%b").size(), 3u);
  EXPECT_EQ(watermark_lines("").size(), 1u);
}

TEST_F(WatermarkTest, LinesExpandThePlaceholders) {
  g_current_file.input_path = "/photos/Img_01.pcd";
  g_current_file.mask_width = 768;
  g_current_file.mask_height = 512;
  g_current_file.mask_size_valid = 1;
  EXPECT_EQ(watermark_lines("%filename% %width%x%height%%eol%%FILENAME[U]%"),
            (std::vector<std::string>{"Img_01 768x512", "IMG_01"}));
}

TEST_F(WatermarkTest, BlockSizeFromLinesLeadingAndPadding) {
  const std::vector<TextExtent> one{{120, 16}};
  const std::vector<TextExtent> two{{120, 16}, {150, 16}};
  const TextBlock single = text_block(one, 3, 5);
  const TextBlock pair = text_block(two, 3, 5);
  EXPECT_EQ(single.width, 130);
  EXPECT_EQ(single.height, 26);
  EXPECT_EQ(pair.width, 160);
  EXPECT_EQ(pair.line_step, 19);
  EXPECT_EQ(pair.height - single.height, pair.line_step);
}

TEST_F(WatermarkTest, LineAlignment) {
  g_settings.text_padding = 4;
  g_settings.text_alignment = 0;
  EXPECT_EQ(line_x_position(50, 108), 4);
  g_settings.text_alignment = 1;
  EXPECT_EQ(line_x_position(50, 108), 29);
  EXPECT_EQ(line_x_position(51, 108), 29);  // 28.5 rounds up
  g_settings.text_alignment = 2;
  EXPECT_EQ(line_x_position(50, 108), 54);
  g_settings.text_alignment = 7;
  EXPECT_EQ(line_x_position(50, 108), 4);
}

// ---------------------------------------------------------------------------
// Font

TEST_F(WatermarkTest, FontRequestFromStyleAndEffect) {
  g_settings.font = "Arial";
  g_settings.font_size = 20;
  struct Case {
    uint8_t style, effect;
    bool bold, italic, underline, strike_out;
  };
  const Case cases[] = {{0, 0, false, false, false, false},
                        {1, 1, true, false, true, false},
                        {2, 2, false, true, false, true},
                        {3, 0, true, true, false, false},
                        {9, 9, false, false, false, false}};
  for (const Case& c : cases) {
    g_settings.font_style = c.style;
    g_settings.font_effect = c.effect;
    const FontRequest request = watermark_font_request();
    EXPECT_EQ(request.face, "Arial");
    EXPECT_EQ(request.size, 20);
    EXPECT_EQ(request.bold, c.bold) << int{c.style};
    EXPECT_EQ(request.italic, c.italic) << int{c.style};
    EXPECT_EQ(request.underline, c.underline) << int{c.effect};
    EXPECT_EQ(request.strike_out, c.strike_out) << int{c.effect};
  }
}

TEST_F(WatermarkTest, FontOpensForKnownFacesAndAliasesOnly) {
  g_settings.font = "Arial";
  g_settings.font_style = 3;
  ASSERT_TRUE(prepare_watermark_font());
  ASSERT_NE(watermark_font(), nullptr);
  EXPECT_EQ(watermark_font()->family(), "Liberation Sans");
  release_watermark_font();
  EXPECT_EQ(watermark_font(), nullptr);

  g_settings.font = "NoSuchFont";
  EXPECT_FALSE(prepare_watermark_font());
  EXPECT_EQ(watermark_font(), nullptr);
  g_settings.font = "";
  EXPECT_FALSE(prepare_watermark_font());
  g_settings.font = "Arial";
  g_settings.font_size = 0;
  EXPECT_FALSE(prepare_watermark_font());
}

// ---------------------------------------------------------------------------
// Layers

TEST_F(WatermarkTest, TwoLinesMakeTheBlockOneLineStepTaller) {
  g_settings.font = "Arial";
  ASSERT_TRUE(prepare_watermark_font());
  g_settings.do_watermark = kTextWatermark;
  g_settings.font_leading = 3;
  g_settings.text_padding = 5;
  const TextExtent height_of_text = measure_text(*watermark_font(), "Kodak", TextDrawing::Raster);
  ASSERT_GT(height_of_text.height, 10);

  g_settings.text = "Kodak";
  const Image one = build_watermark_layer();
  g_settings.text = "Kodak%eol%Kodak";
  const Image two = build_watermark_layer();
  ASSERT_TRUE(one);
  ASSERT_TRUE(two);
  EXPECT_EQ(height_of(one), height_of_text.height + 2 * 5);
  EXPECT_EQ(height_of(two) - height_of(one), height_of_text.height + 3);
  EXPECT_EQ(width_of(one), width_of(two));
  EXPECT_EQ(bpp_of(one), 32u);
}

TEST_F(WatermarkTest, RasterTextHasOnlyTheTwoAlphasVectorTextBlends) {
  g_settings.font = "Arial";
  g_settings.font_size = 24;
  ASSERT_TRUE(prepare_watermark_font());
  g_settings.do_watermark = kTextWatermark;
  g_settings.text = "Watermark 2024";
  g_settings.text_padding = 6;
  g_settings.text_opacity = 200;
  g_settings.back_opacity = 90;
  g_settings.font_color = "FFFFFF";
  g_settings.back_color = "000080";

  g_settings.text_antialiasing = 0;
  const Image raster = build_watermark_layer();
  ASSERT_TRUE(raster);
  std::set<int> raster_alphas;
  for (int y = 0; y < height_of(raster); ++y) {
    for (int x = 0; x < width_of(raster); ++x) raster_alphas.insert(alpha_at(raster, x, y));
  }
  EXPECT_EQ(raster_alphas, (std::set<int>{90, 200}));
  // The padding is box, not text.
  EXPECT_EQ(raster_of(raster).at(2, 2), (Pixel{0, 0, 128}));

  g_settings.text_antialiasing = 1;
  const Image vector = build_watermark_layer();
  ASSERT_TRUE(vector);
  std::set<int> vector_alphas;
  for (int y = 0; y < height_of(vector); ++y) {
    for (int x = 0; x < width_of(vector); ++x) vector_alphas.insert(alpha_at(vector, x, y));
  }
  EXPECT_TRUE(vector_alphas.count(90));
  EXPECT_GT(vector_alphas.size(), 3u) << "antialiased edges blend text into box";
  EXPECT_LE(*vector_alphas.rbegin(), 255);
  EXPECT_GE(*vector_alphas.begin(), 90);
}

TEST_F(WatermarkTest, GreyFilterKeepsAlpha) {
  EXPECT_EQ(grey_filter(Rgba{255, 0, 0, 255}), (Rgba{76, 76, 76, 255}));
  EXPECT_EQ(grey_filter(Rgba{0, 255, 0, 40}), (Rgba{149, 149, 149, 40}));
  EXPECT_EQ(grey_filter(Rgba{0, 0, 255, 0}), (Rgba{28, 28, 28, 0}));
  EXPECT_EQ(grey_filter(Rgba{255, 255, 255, 255}), (Rgba{255, 255, 255, 255}));
}

TEST_F(WatermarkTest, PictureLayerGreyAndOpacity) {
  use_picture_watermark(saved_png(halves(40, 20, kRed, kRed), "red.png"));
  g_settings.image_opacity = 255;
  g_settings.image_greyscale = 1;
  const Image grey = build_watermark_layer();
  ASSERT_TRUE(grey);
  EXPECT_EQ(raster_of(grey).at(10, 10), (Pixel{76, 76, 76}));
  EXPECT_EQ(alpha_at(grey, 10, 10), 255);

  g_settings.image_greyscale = 0;
  g_settings.image_opacity = 100;
  const Image faded = build_watermark_layer();
  ASSERT_TRUE(faded);
  EXPECT_EQ(raster_of(faded).at(10, 10), kRed);
  EXPECT_EQ(alpha_at(faded, 10, 10), 100);
}

TEST_F(WatermarkTest, WatermarkPicturesOfEveryDepthBecome32Bits) {
  // 16 bits per channel with alpha: red, half transparent.
  Image deep = adopt(FreeImage_AllocateT(FIT_RGBA16, 8, 8));
  for (int y = 0; y < 8; ++y) {
    auto* line = reinterpret_cast<FIRGBA16*>(FreeImage_GetScanLine(deep.get(), y));
    for (int x = 0; x < 8; ++x) line[x] = FIRGBA16{65535, 0, 0, 32896};
  }
  const Image rgba16 = load_watermark_picture(saved_png(deep, "rgba16.png"));
  ASSERT_TRUE(rgba16);
  EXPECT_EQ(bpp_of(rgba16), 32u);
  EXPECT_EQ(raster_of(rgba16).at(4, 4), kRed);
  EXPECT_EQ(alpha_at(rgba16, 4, 4), 128);

  // One channel of 16 bits: grey, opaque.
  Image grey = adopt(FreeImage_AllocateT(FIT_UINT16, 8, 8));
  for (int y = 0; y < 8; ++y) {
    auto* line = reinterpret_cast<uint16_t*>(FreeImage_GetScanLine(grey.get(), y));
    for (int x = 0; x < 8; ++x) line[x] = static_cast<uint16_t>(x < 4 ? 0 : 65535);
  }
  const Image grey16 = load_watermark_picture(saved_png(grey, "grey16.png"));
  ASSERT_TRUE(grey16);
  EXPECT_EQ(raster_of(grey16).at(0, 0), (Pixel{0, 0, 0}));
  EXPECT_EQ(raster_of(grey16).at(7, 0), (Pixel{255, 255, 255}));
  EXPECT_EQ(alpha_at(grey16, 7, 0), 255);

  // Floating point: tone-mapped, still red.
  Image radiance = adopt(FreeImage_AllocateT(FIT_RGBF, 8, 8));
  for (int y = 0; y < 8; ++y) {
    auto* line = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(radiance.get(), y));
    for (int x = 0; x < 8; ++x) line[x] = FIRGBF{1.0f, 0.05f, 0.05f};
  }
  const std::string hdr = scratch_folder() + "red.hdr";
  ASSERT_TRUE(FreeImage_Save(FIF_HDR, radiance.get(), hdr.c_str(), 0));
  const Image from_hdr = load_watermark_picture(hdr);
  ASSERT_TRUE(from_hdr);
  EXPECT_EQ(bpp_of(from_hdr), 32u);
  EXPECT_GT(raster_of(from_hdr).at(4, 4).red, raster_of(from_hdr).at(4, 4).green + 100);

  // A palette picture.
  const Image palette = adopt(FreeImage_ConvertTo8Bits(halves(8, 8, kRed, kBlue).get()));
  const Image from_palette = load_watermark_picture(saved_png(palette, "palette.png"));
  ASSERT_TRUE(from_palette);
  EXPECT_EQ(bpp_of(from_palette), 32u);
}

// ---------------------------------------------------------------------------
// Watermark pictures that must be refused

TEST_F(WatermarkTest, HugeMissingOrNonPicturesAreRefused) {
  // 20000 x 20000 claimed by a 54-byte file: refused from the header, never
  // decoded.
  const std::string huge = written_file("huge.bmp", bmp_header(20000, 20000));
  EXPECT_FALSE(load_watermark_picture(huge));
  // Just over the limit.
  EXPECT_FALSE(load_watermark_picture(written_file("over.bmp", bmp_header(10001, 10000))));
  EXPECT_FALSE(load_watermark_picture(scratch_folder() + "missing.png"));
  EXPECT_FALSE(
      load_watermark_picture(written_file("text.png", "just some words, not a picture\n")));
  EXPECT_FALSE(load_watermark_picture(scratch_folder()));
  EXPECT_FALSE(load_watermark_picture(""));

  // GIF pictures cannot be sized before they are decoded.
  const Image palette = adopt(FreeImage_ConvertTo8Bits(halves(20, 20, kRed, kBlue).get()));
  const std::string gif = scratch_folder() + "logo.gif";
  ASSERT_TRUE(FreeImage_Save(FIF_GIF, palette.get(), gif.c_str(), 0));
  EXPECT_FALSE(load_watermark_picture(gif));

  const Image good = load_watermark_picture(saved_png(halves(20, 10, kRed, kBlue), "good.png"));
  ASSERT_TRUE(good);
  EXPECT_EQ(bpp_of(good), 32u);
  EXPECT_EQ(alpha_at(good, 3, 3), 255);

  // Through the whole operation: no watermark, no crash, 24 bits.
  const Image photo = reference_photo("base_only.png");
  use_picture_watermark(huge);
  const Image result = watermark(adopt(FreeImage_ConvertTo32Bits(photo.get())), 768, 512);
  ASSERT_TRUE(result);
  EXPECT_EQ(bpp_of(result), 24u);
  EXPECT_EQ(raster_of(result).pixels, raster_of(photo).pixels);
}

// ---------------------------------------------------------------------------
// Whole watermarks on a photograph

// The 200x50 magenta layer lies exactly at (left, top): its corners are
// magenta, and the pixels just left of and above it, and just right of its
// right edge, are as they were.
void expect_magenta_block_at(const RgbRaster& in, const RgbRaster& out, int left, int top) {
  const int right = left + 199;
  const int bottom = top + 49;
  EXPECT_EQ(out.at(left, top), kMagenta);
  EXPECT_EQ(out.at(right, bottom), kMagenta);
  EXPECT_EQ(out.at(left - 1, top), in.at(left - 1, top));
  EXPECT_EQ(out.at(left, top - 1), in.at(left, top - 1));
  EXPECT_EQ(out.at(right + 1, bottom), in.at(right + 1, bottom));
}

TEST_F(WatermarkTest, BottomRightAnchorOnThePhotograph) {
  const Image photo = photo_1000x800();
  use_picture_watermark(saved_png(halves(200, 50, kMagenta, kMagenta), "magenta.png"));
  g_settings.image_position = 8;
  g_settings.image_x_offset = 10;
  g_settings.image_y_offset = 10;
  const Image result = stamped(photo);
  ASSERT_TRUE(result);
  const RgbRaster in = raster_of(photo);
  const RgbRaster out = raster_of(result);
  expect_magenta_block_at(in, out, 790, 740);
  EXPECT_EQ(out.at(989, 790), in.at(989, 790));
  EXPECT_EQ(out.at(500, 400), in.at(500, 400));
}

TEST_F(WatermarkTest, BoundaryKeepsTheWatermarkInsideTheFrame) {
  set_frame(20);
  g_settings.solid_top_color = g_settings.solid_left_color = "00FF00";
  g_settings.solid_right_color = g_settings.solid_bottom_color = "00FF00";
  g_settings.solid_opacity = 255;
  use_picture_watermark(saved_png(halves(200, 50, kMagenta, kMagenta), "magenta.png"));
  g_settings.image_boundary = 1;
  const Image framed = frame(photo_1000x800(), 1000, 800);
  const Image result = stamped(framed);
  ASSERT_TRUE(result);
  const RgbRaster in = raster_of(framed);
  const RgbRaster out = raster_of(result);
  expect_magenta_block_at(in, out, 770, 720);
  EXPECT_EQ(out.at(990, 790), (Pixel{0, 255, 0}));
}

TEST_F(WatermarkTest, WideLayerIsCutKeepingItsLeftPart) {
  const Image photo = photo_1000x800();
  use_picture_watermark(saved_png(halves(1200, 50, kRed, kBlue), "wide.png"));
  g_settings.image_position = 0;
  const Image result = stamped(photo);
  ASSERT_TRUE(result);
  const RgbRaster in = raster_of(photo);
  const RgbRaster out = raster_of(result);
  EXPECT_EQ(out.at(10, 10), kRed);
  EXPECT_EQ(out.at(609, 59), kRed);
  EXPECT_EQ(out.at(610, 10), kBlue);
  EXPECT_EQ(out.at(999, 10), kBlue);
  EXPECT_EQ(out.at(9, 10), in.at(9, 10));
  EXPECT_EQ(out.at(500, 60), in.at(500, 60));
}

TEST_F(WatermarkTest, GreyWatermarkOnThePhotograph) {
  const Image photo = photo_1000x800();
  use_picture_watermark(saved_png(halves(60, 30, kRed, kRed), "red.png"));
  g_settings.image_greyscale = 1;
  g_settings.image_position = 4;
  const RgbRaster out = raster_of(stamped(photo));
  EXPECT_EQ(out.at(500, 400), (Pixel{76, 76, 76}));
}

TEST_F(WatermarkTest, OpacityZeroLeavesThePicture) {
  const Image photo = photo_1000x800();
  use_picture_watermark(saved_png(halves(200, 50, kMagenta, kMagenta), "magenta.png"));
  g_settings.image_opacity = 0;
  EXPECT_EQ(raster_of(stamped(photo)).pixels, raster_of(photo).pixels);
}

TEST_F(WatermarkTest, TurnedLayerIsPlacedByItsNewSize) {
  const Image photo = photo_1000x800();
  use_picture_watermark(saved_png(halves(200, 50, kMagenta, kMagenta), "magenta.png"));
  g_settings.watermark_image_rotation = 90;
  const RgbRaster in = raster_of(photo);
  const RgbRaster out = raster_of(stamped(photo));
  // 50 x 200 at position 8: x = 1000 - 50 - 10, y = 800 - 200 - 10.
  EXPECT_EQ(out.at(940, 590), kMagenta);
  EXPECT_EQ(out.at(989, 789), kMagenta);
  EXPECT_EQ(out.at(939, 590), in.at(939, 590));
  EXPECT_EQ(out.at(940, 589), in.at(940, 589));
}

TEST_F(WatermarkTest, PlacementsOutsideThePictureLeaveItAlone) {
  const Image photo = photo_1000x800();
  const RgbRaster in = raster_of(photo);
  use_picture_watermark(saved_png(halves(200, 50, kMagenta, kMagenta), "magenta.png"));
  struct Case {
    uint8_t position;
    int32_t x_offset, y_offset;
  };
  // Negative offsets at the near edges; offsets beyond the picture; a frame
  // wider than the picture.
  for (const Case& c : {Case{0, -10, 5}, Case{0, 5, -10}, Case{8, -10, -10}, Case{0, 2000, 0},
                        Case{6, 0, 900}, Case{4, INT32_MAX, INT32_MIN}}) {
    g_settings.image_position = c.position;
    g_settings.image_x_offset = c.x_offset;
    g_settings.image_y_offset = c.y_offset;
    const Image result = stamped(photo);
    ASSERT_TRUE(result);
    EXPECT_EQ(raster_of(result).pixels, in.pixels)
        << int{c.position} << " " << c.x_offset << " " << c.y_offset;
  }
  set_frame(600);
  g_settings.image_boundary = 1;
  g_settings.image_position = 4;
  g_settings.image_x_offset = g_settings.image_y_offset = 0;
  EXPECT_EQ(raster_of(stamped(photo)).pixels, in.pixels);
}

TEST_F(WatermarkTest, LayerLargerThanThePictureIsCutToIt) {
  const Image small = adopt(FreeImage_Rescale(photo_1000x800().get(), 120, 80, FILTER_BILINEAR));
  use_picture_watermark(saved_png(halves(400, 300, kRed, kBlue), "large.png"));
  g_settings.image_position = 4;
  g_settings.image_x_offset = g_settings.image_y_offset = 0;
  const RgbRaster out = raster_of(stamped(small));
  // Cut to 120 x 80 from its top left: all red.
  EXPECT_EQ(out.at(0, 0), kRed);
  EXPECT_EQ(out.at(119, 79), kRed);
}

TEST_F(WatermarkTest, SwitchAndFailuresGive24BitsWithoutWatermark) {
  const Image photo = reference_photo("base_only.png");
  Image wide = adopt(FreeImage_ConvertTo32Bits(photo.get()));
  FIBITMAP* const original = wide.get();
  EXPECT_EQ(watermark(std::move(wide), 768, 512).get(), original);

  // A text watermark without a prepared font, and an unknown kind.
  for (const uint8_t kind : {kTextWatermark, uint8_t{3}}) {
    g_settings.do_watermark = kind;
    const Image result = watermark(adopt(FreeImage_ConvertTo32Bits(photo.get())), 768, 512);
    ASSERT_TRUE(result);
    EXPECT_EQ(bpp_of(result), 24u);
    EXPECT_EQ(raster_of(result).pixels, raster_of(photo).pixels);
  }
  EXPECT_FALSE(watermark(Image{}, 768, 512));

  // A size that does not match the picture: the canvas cannot be laid over
  // it, and the picture goes on without a watermark instead of being lost.
  use_picture_watermark(saved_png(halves(20, 20, kMagenta, kMagenta), "small_magenta.png"));
  g_settings.image_position = 0;
  for (const auto& [width, height] : {std::pair{700, 500}, std::pair{0, 0}, std::pair{-5, 512}}) {
    const Image result = watermark(adopt(FreeImage_Clone(photo.get())), width, height);
    ASSERT_TRUE(result);
    EXPECT_EQ(raster_of(result).pixels, raster_of(photo).pixels) << width << "x" << height;
  }
}

// The same text watermark as the reference pictures below, checked by what
// every renderer must give: the block's size from the measured lines, its
// place at the anchor, the box colour mixed at its opacity, and text of the
// font colour on each line and only inside the lines' boxes.
TEST_F(WatermarkTest, TextBlockSitsAtItsAnchorInItsColours) {
  const Image photo =
      adopt(FreeImage_Rescale(reference_photo("base_only.png").get(), 384, 256, FILTER_BOX));
  const RgbRaster in = raster_of(photo);
  g_current_file.input_path = "/photos/base_only.pcd";
  g_current_file.mask_width = 384;
  g_current_file.mask_height = 256;
  g_current_file.mask_size_valid = 1;
  g_settings.font = "Arial";
  g_settings.font_size = 14;
  g_settings.font_style = 1;
  ASSERT_TRUE(prepare_watermark_font());
  g_settings.do_watermark = kTextWatermark;
  g_settings.text = "%filename% %width%x%height%%eol%Varnelo";
  g_settings.text_alignment = 1;
  g_settings.text_padding = 5;
  g_settings.font_leading = 2;
  g_settings.font_color = "FFFF00";
  g_settings.text_opacity = 230;
  g_settings.back_color = "000040";
  g_settings.back_opacity = 150;
  g_settings.text_position = 8;
  g_settings.text_x_offset = 10;
  g_settings.text_y_offset = 10;
  const std::vector<std::string> lines{"base_only 384x256", "Varnelo"};

  for (const uint8_t antialiasing : {uint8_t{0}, uint8_t{1}}) {
    SCOPED_TRACE(antialiasing == 0 ? "raster" : "vector");
    g_settings.text_antialiasing = antialiasing;
    const TextDrawing drawing = antialiasing == 0 ? TextDrawing::Raster : TextDrawing::Vector;
    std::vector<TextExtent> extents;
    for (const std::string& line : lines) {
      extents.push_back(measure_text(*watermark_font(), line, drawing));
    }
    const TextBlock block = text_block(extents, 2, 5);
    const int width = static_cast<int>(block.width);
    const int height = static_cast<int>(block.height);
    const int left = 384 - width - 10;
    const int top = 256 - height - 10;

    const RgbRaster out = raster_of(stamped(photo));
    // Just outside the block the photograph is untouched.
    EXPECT_EQ(out.at(left - 1, top), in.at(left - 1, top));
    EXPECT_EQ(out.at(left, top - 1), in.at(left, top - 1));
    EXPECT_EQ(out.at(left + width, top + height - 1), in.at(left + width, top + height - 1));
    EXPECT_EQ(out.at(left + width - 1, top + height), in.at(left + width - 1, top + height));
    // The padding is box: 000040 at 150 of 255 over the photograph.
    for (const auto& [x, y] : {std::pair{left, top}, std::pair{left + width - 1, top + height - 1},
                               std::pair{left + 2, top + height - 3}}) {
      const Pixel& under = in.at(x, y);
      EXPECT_NEAR(out.at(x, y).red, under.red * 105 / 255.0, 1.5) << x << "," << y;
      EXPECT_NEAR(out.at(x, y).green, under.green * 105 / 255.0, 1.5) << x << "," << y;
      EXPECT_NEAR(out.at(x, y).blue, (64 * 150 + under.blue * 105) / 255.0, 1.5) << x << "," << y;
    }

    // Yellow at 230 of 255 leaves at least 230 of red and green and at most
    // 25 of blue; the box leaves at most 105 of red. Count the text pixels of
    // each line, and any outside the lines' boxes.
    std::vector<int> inked(lines.size(), 0);
    int stray = 0;
    for (int y = top; y < top + height; ++y) {
      for (int x = left; x < left + width; ++x) {
        const Pixel& p = out.at(x, y);
        if (p.red < 225 || p.green < 225 || p.blue > 30) continue;
        bool placed = false;
        for (size_t i = 0; i < lines.size(); ++i) {
          const int64_t line_left = left + line_x_position(extents[i].width, block.width);
          const int64_t line_top = top + 5 + static_cast<int64_t>(i) * block.line_step;
          if (x >= line_left - 1 && x <= line_left + extents[i].width && y >= line_top &&
              y < line_top + extents[i].height) {
            ++inked[i];
            placed = true;
          }
        }
        stray += placed ? 0 : 1;
      }
    }
    EXPECT_GT(inked[0], 150) << "the first line's 17 letters";
    EXPECT_GT(inked[1], 60) << "the second line's 7 letters";
    EXPECT_EQ(stray, 0);
  }
}

TEST_F(WatermarkTest, TextWatermarkMatchesReferencePictures) {
  if (drawing_library() != kReferenceDrawingLibrary) {
    GTEST_SKIP() << "the references hold " << kReferenceDrawingLibrary << "'s glyphs";
  }
  // Half size keeps the reference files small.
  const Image photo =
      adopt(FreeImage_Rescale(reference_photo("base_only.png").get(), 384, 256, FILTER_BOX));
  g_current_file.input_path = "/photos/base_only.pcd";
  g_current_file.mask_width = 384;
  g_current_file.mask_height = 256;
  g_current_file.mask_size_valid = 1;
  g_settings.font = "Arial";
  g_settings.font_size = 14;
  g_settings.font_style = 1;
  ASSERT_TRUE(prepare_watermark_font());
  g_settings.do_watermark = kTextWatermark;
  g_settings.text = "%filename% %width%x%height%%eol%Varnelo";
  g_settings.text_alignment = 1;
  g_settings.text_padding = 5;
  g_settings.font_leading = 2;
  g_settings.font_color = "FFFF00";
  g_settings.text_opacity = 230;
  g_settings.back_color = "000040";
  g_settings.back_opacity = 150;

  // The defaults: raster text at the bottom right.
  g_settings.text_antialiasing = 0;
  EXPECT_TRUE(matches_reference(stamped(photo), "text_watermark_raster", Tolerance{2, 0.0002}));
  g_settings.text_antialiasing = 1;
  g_settings.text_rotation = 15;
  g_settings.text_position = 4;
  EXPECT_TRUE(matches_reference(stamped(photo), "text_watermark_vector", Tolerance{2, 0.0002}));
}

}  // namespace
}  // namespace pixmera::test

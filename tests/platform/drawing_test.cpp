// The drawing layer: layers and their limits, fills and alpha blits, PNG
// hand-over, pictures copied in through a filter, font resolution and text.
#include "platform/drawing.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace pixmera {
namespace {

struct BitmapUnload {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapUnload>;

struct MemoryClose {
  void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};

constexpr Rgba kOpaqueRed{255, 0, 0, 255};

std::set<int> alphas_of(const Layer& layer) {
  std::set<int> alphas;
  for (int y = 0; y < layer.height(); ++y) {
    for (int x = 0; x < layer.width(); ++x) alphas.insert(layer.pixel(x, y).alpha);
  }
  return alphas;
}

TEST(DrawingLayer, SizesAndLimits) {
  const Layer layer(30, 20);
  ASSERT_TRUE(layer);
  EXPECT_EQ(layer.width(), 30);
  EXPECT_EQ(layer.height(), 20);
  EXPECT_EQ(layer.pixel(0, 0), (Rgba{}));
  EXPECT_EQ(layer.pixel(-1, 5), (Rgba{}));
  EXPECT_EQ(layer.pixel(30, 5), (Rgba{}));

  EXPECT_FALSE(Layer(0, 10));
  EXPECT_FALSE(Layer(10, -1));
  EXPECT_FALSE(Layer(int64_t{1} << 40, 1));
  EXPECT_FALSE(Layer(kMaxLayerPixels / 1000 + 1, 1000));

  // Drawing on a layer that could not be made does nothing.
  Layer none;
  fill_box(none, 0, 0, 10, 10, kOpaqueRed);
  EXPECT_TRUE(encode_png(none).empty());
}

TEST(DrawingLayer, FillsAndAlphaBlits) {
  Layer shapes(40, 40);
  fill_box(shapes, 0, 0, 20, 40, kOpaqueRed);
  const Point triangle[] = {{20, 0}, {40, 0}, {40, 40}};
  fill_polygon(shapes, triangle, Rgba{0, 0, 255, 255});
  EXPECT_EQ(shapes.pixel(10, 30), kOpaqueRed);
  EXPECT_EQ(shapes.pixel(38, 5), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(shapes.pixel(22, 35), (Rgba{}));

  Layer faded(40, 40);
  paint_layer(faded, shapes, 128);
  EXPECT_EQ(faded.pixel(10, 30).alpha, 128);
  EXPECT_EQ(faded.pixel(10, 30).red, 255);
  Layer clamped(40, 40);
  paint_layer(clamped, shapes, 1000);
  EXPECT_EQ(clamped.pixel(10, 30), kOpaqueRed);
  Layer invisible(40, 40);
  paint_layer(invisible, shapes, -5);
  EXPECT_EQ(alphas_of(invisible), std::set<int>{0});
}

TEST(DrawingLayer, PngCarriesStraightAlpha) {
  Layer layer(16, 8);
  fill_box(layer, 0, 0, 8, 8, Rgba{200, 100, 50, 255});
  Layer faded(16, 8);
  paint_layer(faded, layer, 64);
  std::vector<uint8_t> png = encode_png(faded);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');

  const std::unique_ptr<FIMEMORY, MemoryClose> memory(
      FreeImage_OpenMemory(png.data(), static_cast<DWORD>(png.size())));
  const Bitmap loaded(FreeImage_LoadFromMemory(FIF_PNG, memory.get(), 0));
  ASSERT_TRUE(loaded);
  ASSERT_EQ(FreeImage_GetBPP(loaded.get()), 32u);
  const BYTE* top_left = FreeImage_GetScanLine(loaded.get(), 7);
  EXPECT_EQ(top_left[FI_RGBA_ALPHA], 64);
  // Premultiplied storage loses a little precision at low alpha.
  EXPECT_NEAR(top_left[FI_RGBA_RED], 200, 3);
  EXPECT_NEAR(top_left[FI_RGBA_GREEN], 100, 3);
  EXPECT_EQ(top_left[4 * 12 + FI_RGBA_ALPHA], 0);
}

TEST(DrawingLayer, PictureCopiedThroughFilter) {
  const Bitmap picture(FreeImage_Allocate(4, 2, 32));
  // Bottom row (FreeImage row 0) green and half transparent, top row red.
  for (int x = 0; x < 4; ++x) {
    BYTE* bottom = FreeImage_GetScanLine(picture.get(), 0) + 4 * x;
    bottom[FI_RGBA_GREEN] = 255;
    bottom[FI_RGBA_ALPHA] = 128;
    BYTE* top = FreeImage_GetScanLine(picture.get(), 1) + 4 * x;
    top[FI_RGBA_RED] = 255;
    top[FI_RGBA_ALPHA] = 255;
  }
  const Layer plain = layer_from_picture(picture.get());
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain.pixel(0, 0), kOpaqueRed);
  EXPECT_EQ(plain.pixel(3, 1), (Rgba{0, 255, 0, 128}));

  const Layer inverted = layer_from_picture(picture.get(), [](Rgba c) {
    return Rgba{static_cast<uint8_t>(255 - c.red), c.green, c.blue, c.alpha};
  });
  EXPECT_EQ(inverted.pixel(0, 0), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(inverted.pixel(0, 1), (Rgba{255, 255, 0, 128}));

  const Bitmap rgb(FreeImage_Allocate(4, 2, 24));
  EXPECT_FALSE(layer_from_picture(rgb.get()));
  EXPECT_FALSE(layer_from_picture(nullptr));
}

TEST(DrawingFonts, NamesAndMetricAliasesOpenFallbacksDoNot) {
  const FontResolution arial = resolve_font("Arial", false, false);
  EXPECT_TRUE(arial.opens);
  EXPECT_EQ(arial.family, "Liberation Sans");
  EXPECT_TRUE(resolve_font("arial", true, true).opens);
  EXPECT_TRUE(resolve_font("Times New Roman", false, false).opens);
  EXPECT_TRUE(resolve_font("DejaVu Sans", false, false).opens);
  EXPECT_TRUE(resolve_font("liberation sans", false, false).opens);

  const FontResolution unknown = resolve_font("NoSuchFont", false, false);
  EXPECT_FALSE(unknown.opens);
  EXPECT_FALSE(unknown.family.empty()) << "fontconfig always offers some fallback";
  EXPECT_FALSE(resolve_font("", false, false).opens);
  EXPECT_FALSE(resolve_font("sans-serif", false, false).opens);

  EXPECT_TRUE(Font::open(FontRequest{"Arial", 12}));
  EXPECT_FALSE(Font::open(FontRequest{"Arial", 0}));
  EXPECT_FALSE(Font::open(FontRequest{"Arial", -3}));
  EXPECT_FALSE(Font::open(FontRequest{"NoSuchFont", 12}));
}

TEST(DrawingText, MeasuresGrowWithTextSizeAndStyle) {
  const auto regular = Font::open(FontRequest{"Arial", 14});
  const auto bold = Font::open(FontRequest{"Arial", 14, true});
  const auto large = Font::open(FontRequest{"Arial", 28});
  ASSERT_TRUE(regular && bold && large);
  for (const TextDrawing drawing : {TextDrawing::Raster, TextDrawing::Vector}) {
    const TextExtent word = measure_text(*regular, "Watermark", drawing);
    EXPECT_GT(word.width, measure_text(*regular, "Wat", drawing).width);
    EXPECT_GT(measure_text(*bold, "Watermark", drawing).width, word.width);
    EXPECT_GT(measure_text(*large, "Watermark", drawing).height, word.height * 3 / 2);
    const TextExtent empty = measure_text(*regular, "", drawing);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, word.height);
  }
  // 14 points at 96 dots per inch are about 19 pixels: the line is taller.
  const TextExtent line = measure_text(*regular, "Hg", TextDrawing::Vector);
  EXPECT_GE(line.height, 19);
  EXPECT_LE(line.height, 26);
  // Bytes that are not UTF-8 are measured, not refused.
  EXPECT_GT(measure_text(*regular, "a\xff\xfe b", TextDrawing::Raster).width, 0);
}

TEST(DrawingText, RasterTextIsHardEdgedVectorTextAntialiased) {
  const auto font = Font::open(FontRequest{"Arial", 20});
  ASSERT_TRUE(font);
  const TextExtent extent = measure_text(*font, "Kodak 13", TextDrawing::Raster);
  Layer raster(extent.width, extent.height);
  fill_box(raster, 0, 0, extent.width, extent.height, Rgba{0, 0, 0, 60});
  draw_text(raster, *font, "Kodak 13", 0, 0, Rgba{255, 255, 255, 180}, TextDrawing::Raster);
  // Text pixels replace the box: its alpha, not a blend of the two.
  EXPECT_EQ(alphas_of(raster), (std::set<int>{60, 180}));

  Layer vector(extent.width + 4, extent.height);
  draw_text(vector, *font, "Kodak 13", 0, 0, Rgba{255, 255, 255, 255}, TextDrawing::Vector);
  const std::set<int> blended = alphas_of(vector);
  EXPECT_TRUE(blended.count(0));
  EXPECT_TRUE(blended.count(255));
  EXPECT_GT(blended.size(), 10u);

  // Underline and strike-out add ink.
  const auto underlined = Font::open(FontRequest{"Arial", 20, false, false, true, false});
  const auto struck = Font::open(FontRequest{"Arial", 20, false, false, false, true});
  const auto ink = [&](const Font& f) {
    Layer layer(extent.width, extent.height);
    draw_text(layer, f, "Kodak 13", 0, 0, kOpaqueRed, TextDrawing::Raster);
    int count = 0;
    for (int y = 0; y < layer.height(); ++y) {
      for (int x = 0; x < layer.width(); ++x) count += layer.pixel(x, y).alpha != 0;
    }
    return count;
  };
  const int plain_ink = ink(*font);
  EXPECT_GT(plain_ink, 50);
  EXPECT_GT(ink(*underlined), plain_ink + extent.width / 2);
  EXPECT_GT(ink(*struck), plain_ink + extent.width / 2);
}

}  // namespace
}  // namespace pixmera

// The drawing layer: layers and their limits, fills and alpha blits, PNG
// hand-over, pictures copied in through a filter, font resolution and text.
// The same tests run on every system: shapes, places, colours and opacities
// are exact; text, whose pixels depend on the renderer, is checked by its
// extent, place, colour and coverage.
#include "platform/drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

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

// The smallest box holding every pixel that is not fully transparent.
struct InkBox {
  int left = INT_MAX;
  int top = INT_MAX;
  int right = -1;  // inclusive
  int bottom = -1;
  int pixels = 0;
};

InkBox ink_of(const Layer& layer) {
  InkBox box;
  for (int y = 0; y < layer.height(); ++y) {
    for (int x = 0; x < layer.width(); ++x) {
      if (layer.pixel(x, y).alpha == 0) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
      ++box.pixels;
    }
  }
  return box;
}

// Rows in which at least `share` of the pixels between `from` and `to`
// carry ink: the rows an underline or a strike-out fills.
std::vector<int> full_rows(const Layer& layer, int from, int to, double share) {
  std::vector<int> rows;
  for (int y = 0; y < layer.height(); ++y) {
    int inked = 0;
    for (int x = from; x < to; ++x) inked += layer.pixel(x, y).alpha != 0;
    if (inked >= share * (to - from)) rows.push_back(y);
  }
  return rows;
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

TEST(DrawingLayer, ShapesCoverExactlyTheirPixels) {
  // Edges on whole pixels: nothing of the neighbours is touched.
  Layer layer(20, 20);
  fill_box(layer, 4, 6, 10, 5, kOpaqueRed);
  EXPECT_EQ(layer.pixel(4, 6), kOpaqueRed);
  EXPECT_EQ(layer.pixel(13, 10), kOpaqueRed);
  EXPECT_EQ(layer.pixel(3, 8), (Rgba{}));
  EXPECT_EQ(layer.pixel(14, 8), (Rgba{}));
  EXPECT_EQ(layer.pixel(8, 5), (Rgba{}));
  EXPECT_EQ(layer.pixel(8, 11), (Rgba{}));
  EXPECT_EQ(ink_of(layer).pixels, 50);

  // A box given by its far corner and negative sides is the same box.
  Layer backwards(20, 20);
  fill_box(backwards, 14, 11, -10, -5, kOpaqueRed);
  EXPECT_EQ(ink_of(backwards).pixels, 50);
  EXPECT_EQ(backwards.pixel(4, 6), kOpaqueRed);

  // A band whose corners lie two thousand million pixels away, as frame
  // widths from the settings can put them, still fills what lies in the
  // layer, and only that.
  Layer far(20, 20);
  const Point band[] = {{0, 0}, {2e9, 0}, {2e9 - 10, 10}, {10, 10}};
  fill_polygon(far, band, kOpaqueRed);
  EXPECT_EQ(far.pixel(15, 5), kOpaqueRed);
  EXPECT_EQ(far.pixel(19, 9), kOpaqueRed);
  EXPECT_EQ(far.pixel(15, 10), (Rgba{}));
  EXPECT_EQ(far.pixel(2, 8), (Rgba{})) << "left of the band's slanted inner end";

  // Translucent fills keep their alpha exactly and their colour as far as
  // the storage allows (Cairo keeps premultiplied levels).
  Layer translucent(8, 8);
  fill_box(translucent, 0, 0, 8, 8, Rgba{10, 200, 30, 90});
  EXPECT_EQ(alphas_of(translucent), std::set<int>{90});
  const Rgba filled = translucent.pixel(3, 3);
  EXPECT_NEAR(filled.red, 10, 3);
  EXPECT_NEAR(filled.green, 200, 3);
  EXPECT_NEAR(filled.blue, 30, 3);
}

TEST(DrawingLayer, AlphaBlitsMixWithWhatIsThere) {
  // Red at alpha 128 over opaque blue: half of each, still opaque.
  Layer red(4, 4);
  fill_box(red, 0, 0, 4, 4, kOpaqueRed);
  Layer blue(4, 4);
  fill_box(blue, 0, 0, 4, 4, Rgba{0, 0, 255, 255});
  paint_layer(blue, red, 128);
  const Rgba mixed = blue.pixel(1, 1);
  EXPECT_EQ(mixed.alpha, 255);
  EXPECT_NEAR(mixed.red, 128, 1);
  EXPECT_EQ(mixed.green, 0);
  EXPECT_NEAR(mixed.blue, 127, 1);

  // Translucent over translucent: alpha 100 over alpha 100 covers
  // 100 + 100 x 155 / 255 = 161 of 255; the colour leans to the upper one.
  Layer lower(4, 4);
  fill_box(lower, 0, 0, 4, 4, Rgba{0, 0, 255, 100});
  Layer upper(4, 4);
  fill_box(upper, 0, 0, 4, 4, Rgba{255, 0, 0, 255});
  paint_layer(lower, upper, 100);
  const Rgba stacked = lower.pixel(2, 2);
  EXPECT_NEAR(stacked.alpha, 161, 1);
  EXPECT_NEAR(stacked.red, 255 * 100 / 161, 2);
  EXPECT_NEAR(stacked.blue, 255 * 61 / 161, 2);

  // Every opacity, over a transparent layer, is that opacity.
  for (int alpha = 0; alpha <= 255; ++alpha) {
    Layer target(1, 1);
    paint_layer(target, red, alpha);
    ASSERT_EQ(target.pixel(0, 0).alpha, alpha);
    if (alpha > 0) {
      ASSERT_EQ(target.pixel(0, 0).red, 255) << alpha;
    }
  }
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
  EXPECT_FALSE(unknown.family.empty()) << "the system always offers some fallback";
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

TEST(DrawingText, InkLiesInItsLogicalBoxInItsColour) {
  const auto font = Font::open(FontRequest{"Arial", 20});
  ASSERT_TRUE(font);
  constexpr Rgba kSky{0, 128, 255, 255};
  for (const TextDrawing drawing : {TextDrawing::Raster, TextDrawing::Vector}) {
    SCOPED_TRACE(drawing == TextDrawing::Raster ? "raster" : "vector");
    const TextExtent extent = measure_text(*font, "Kodak", drawing);
    // "Kodak" at 20 points (about 27 pixels to the em) is some 60 pixels wide.
    EXPECT_GT(extent.width, 50);
    EXPECT_LT(extent.width, 85);

    Layer layer(200, 80);
    draw_text(layer, *font, "Kodak", 50, 10, kSky, drawing);
    const InkBox ink = ink_of(layer);
    // The K starts at the left of the box, less its side bearing; the k
    // ends at its right.
    EXPECT_GE(ink.left, 50);
    EXPECT_LE(ink.left, 50 + 5);
    EXPECT_LE(ink.right, 50 + extent.width + 1);
    EXPECT_GE(ink.right, 50 + extent.width - 5);
    // Capitals and ascenders reach from below the line's top to the
    // baseline, some four fifths down the line; "Kodak" has no descender.
    EXPECT_GE(ink.top, 10 + 2);
    EXPECT_LE(ink.top, 10 + extent.height / 4);
    EXPECT_GE(ink.bottom, 10 + extent.height * 2 / 3);
    EXPECT_LT(ink.bottom, 10 + extent.height - 2);

    // Coverage: the strokes of five letters, not a box.
    EXPECT_GT(ink.pixels, 150);
    EXPECT_LT(ink.pixels, (ink.right - ink.left + 1) * (ink.bottom - ink.top + 1) / 2);

    // Fully covered pixels are the text colour exactly; pixels at the edges
    // keep its hue.
    int solid = 0;
    for (int y = ink.top; y <= ink.bottom; ++y) {
      for (int x = ink.left; x <= ink.right; ++x) {
        const Rgba p = layer.pixel(x, y);
        if (p.alpha == 255) {
          ASSERT_EQ(p, kSky) << x << "," << y;
          ++solid;
        } else if (p.alpha >= 64) {
          ASSERT_LE(p.red, 3) << x << "," << y;
          ASSERT_NEAR(p.green, 128, 3) << x << "," << y;
          ASSERT_GE(p.blue, 250) << x << "," << y;
        }
      }
    }
    EXPECT_GT(solid, 100);
  }
}

TEST(DrawingText, UnderlineBelowTheLettersStrikeOutThroughThem) {
  const auto plain = Font::open(FontRequest{"Arial", 20});
  const auto underlined = Font::open(FontRequest{"Arial", 20, false, false, true, false});
  const auto struck = Font::open(FontRequest{"Arial", 20, false, false, false, true});
  ASSERT_TRUE(plain && underlined && struck);
  for (const TextDrawing drawing : {TextDrawing::Raster, TextDrawing::Vector}) {
    SCOPED_TRACE(drawing == TextDrawing::Raster ? "raster" : "vector");
    const TextExtent extent = measure_text(*plain, "Kodak", drawing);
    const auto drawn = [&](const Font& font) {
      Layer layer(extent.width + 20, extent.height + 20);
      draw_text(layer, font, "Kodak", 10, 10, kOpaqueRed, drawing);
      return layer;
    };
    const Layer letters = drawn(*plain);
    const InkBox ink = ink_of(letters);
    // The strokes run the width of the text: rows nearly full between the
    // box's ends, which letters alone never fill.
    EXPECT_TRUE(full_rows(letters, 10, 10 + extent.width, 0.9).empty());

    const std::vector<int> under = full_rows(drawn(*underlined), 10, 10 + extent.width, 0.9);
    ASSERT_FALSE(under.empty());
    EXPECT_LE(under.size(), 4u) << "one thin stroke";
    EXPECT_GT(under.front(), ink.bottom - 2) << "at or below the baseline";
    EXPECT_LT(under.back(), 10 + extent.height) << "inside the line";

    const std::vector<int> through = full_rows(drawn(*struck), 10, 10 + extent.width, 0.9);
    ASSERT_FALSE(through.empty());
    EXPECT_LE(through.size(), 4u);
    // Through the lower-case letters: between the baseline and the x-height.
    const int x_height_top = ink.bottom - (ink.bottom - ink.top) / 2;
    EXPECT_GT(through.front(), x_height_top);
    EXPECT_LT(through.back(), ink.bottom);
  }
}

}  // namespace
}  // namespace pixmera

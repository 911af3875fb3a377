// Drawing for the frame and the watermark: 32-bit layers with straight
// shapes, text and alpha blits, handed on as PNG bytes. Cairo draws, Pango
// with fontconfig sets the text; callers see plain C++ types only.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct _cairo_surface;
struct _PangoFontDescription;
struct _PangoFontMap;

namespace pixmera {

// A colour with straight (not premultiplied) alpha; alpha 0 is invisible.
struct Rgba {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t alpha = 0;

  friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Point {
  double x = 0;
  double y = 0;
};

// Layers larger than this are refused: a frame or watermark on a bigger area
// would need gigabytes for its layers and their PNG.
inline constexpr int64_t kMaxLayerPixels = 100'000'000;

struct CairoSurfaceRelease {
  void operator()(_cairo_surface* surface) const;
};

// A 32-bit drawing layer, fully transparent when made. A layer that cannot be
// made (a side of 0 or less, too many pixels, no memory) tests false; every
// drawing function leaves such a layer alone.
class Layer {
 public:
  Layer() = default;
  Layer(int64_t width, int64_t height);

  explicit operator bool() const { return surface_ != nullptr; }
  int width() const;
  int height() const;
  // The pixel at (x, y), (0, 0) being the top left; transparent black
  // outside the layer.
  Rgba pixel(int x, int y) const;

  _cairo_surface* native() const { return surface_.get(); }

 private:
  std::unique_ptr<_cairo_surface, CairoSurfaceRelease> surface_;
};

// Shapes are filled antialiased, over what the layer already holds.
void fill_box(Layer& layer, double x, double y, double width, double height, Rgba colour);
void fill_polygon(Layer& layer, std::span<const Point> corners, Rgba colour);

// Draws `source` with its top left at (0, 0) of `target`, its alpha scaled by
// `alpha` (0 to 255; values outside are clamped).
void paint_layer(Layer& target, const Layer& source, int32_t alpha);

// The layer as PNG bytes (RGBA, straight alpha); empty when it cannot be
// encoded.
std::vector<uint8_t> encode_png(const Layer& layer);

// A per-pixel filter applied while a picture is copied into a layer; it sees
// and returns straight colours.
using PixelFilter = Rgba (*)(Rgba);

// A layer holding a 32-bit FreeImage picture (FIT_BITMAP), each pixel through
// `filter` when one is given. An invalid layer for any other picture.
Layer layer_from_picture(FIBITMAP* picture, PixelFilter filter = nullptr);

// The face a font request gets, and whether it counts as the face that was
// asked for. Fontconfig resolves the name with the system's substitution
// rules; the result opens when its family is the name itself or one the rules
// bind strongly to it, which is how the metric-compatible aliases are written
// (Arial gives Liberation Sans). The generic fallback that any unknown name
// reaches (DejaVu Sans) is weakly bound and does not count.
struct FontResolution {
  std::string family;  // the family fontconfig picked; empty when none
  bool opens = false;
};
FontResolution resolve_font(std::string_view face, bool bold, bool italic);

struct FontRequest {
  std::string face;
  int32_t size = 0;  // points at 96 dots per inch, as on a desktop
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
};

struct PangoFontDescriptionFree {
  void operator()(_PangoFontDescription* description) const;
};
struct PangoFontMapRelease {
  void operator()(_PangoFontMap* font_map) const;
};

// A resolved font, ready to measure and draw text. It keeps the glyph caches
// of its own font map, so releasing the font releases them; it may move
// between threads but is used by one at a time.
class Font {
 public:
  // The font, or nothing when the face does not open or the size is not
  // positive.
  static std::optional<Font> open(const FontRequest& request);

  const std::string& family() const { return family_; }
  _PangoFontDescription* native() const { return description_.get(); }
  _PangoFontMap* font_map() const { return font_map_.get(); }
  bool underline() const { return underline_; }
  bool strike_out() const { return strike_out_; }

 private:
  std::string family_;
  std::unique_ptr<_PangoFontDescription, PangoFontDescriptionFree> description_;
  std::unique_ptr<_PangoFontMap, PangoFontMapRelease> font_map_;
  bool underline_ = false;
  bool strike_out_ = false;
};

// Raster text is drawn without antialiasing and replaces the pixels it
// covers with the text colour and its alpha; vector text is antialiased and
// drawn over what is there.
enum class TextDrawing { Raster, Vector };

struct TextExtent {
  int32_t width = 0;
  int32_t height = 0;  // the font's line height, also for an empty text
};

// The logical size of one line of text, as `draw_text` would set it.
TextExtent measure_text(const Font& font, std::string_view text, TextDrawing drawing);
// Draws one line with the top left of its logical box at (x, y).
void draw_text(Layer& layer, const Font& font, std::string_view text, double x, double y,
               Rgba colour, TextDrawing drawing);

}  // namespace pixmera

// Drawing for the frame and the watermark: 32-bit layers with straight
// shapes, text and alpha blits, handed on as PNG bytes. Each system draws
// with its own library behind this header: Cairo with Pango and fontconfig
// on Linux (drawing_cairo.cpp), GDI+ on Windows (drawing_gdiplus.cpp).
// Callers see plain C++ types only; the library's objects stay inside the
// implementation.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// The library that draws on this system: "Cairo" or "GDI+". Shapes, places,
// colours and opacities are the same with either; the pixels of text and of
// smoothed edges are each library's own, so a picture kept for comparison
// holds for the library that made it.
std::string_view drawing_library();
// Every library the drawing layer is built on, for the about box: Cairo and
// Pango, or GDI+.
std::vector<std::string_view> drawing_credits();

// Layers larger than this are refused: a frame or watermark on a bigger area
// would need gigabytes for its layers and their PNG.
inline constexpr int64_t kMaxLayerPixels = 100'000'000;

// A 32-bit drawing layer, fully transparent when made. A layer that cannot be
// made (a side of 0 or less, too many pixels, no memory) tests false; every
// drawing function leaves such a layer alone.
class Layer {
 public:
  Layer();
  Layer(int64_t width, int64_t height);
  ~Layer();
  Layer(Layer&& other) noexcept;
  Layer& operator=(Layer&& other) noexcept;

  explicit operator bool() const { return surface_ != nullptr; }
  int width() const;
  int height() const;
  // The pixel at (x, y), (0, 0) being the top left; transparent black
  // outside the layer and wherever the alpha is 0.
  Rgba pixel(int x, int y) const;

  // The drawing library's own picture, defined by the implementation.
  struct Surface;
  Surface* surface() const { return surface_.get(); }

 private:
  std::unique_ptr<Surface> surface_;
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
// asked for. The system resolves the name with its own substitution rules;
// the result opens when its family is the name itself or one the system
// binds to it as a stand-in, which is how the metric-compatible aliases are
// written (on Debian, fontconfig gives Liberation Sans for Arial; under wine,
// the prefix's font replacements do). The generic fallback that any unknown
// name reaches (DejaVu Sans through fontconfig, the font mapper's default
// face on Windows) does not count.
struct FontResolution {
  std::string family;  // the family the system picked; empty when none
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

// A resolved font, ready to measure and draw text. Releasing the font
// releases whatever the drawing library keeps for it (glyph caches); it may
// move between threads but is used by one at a time.
class Font {
 public:
  // The font, or nothing when the face does not open or the size is not
  // positive.
  static std::optional<Font> open(const FontRequest& request);

  ~Font();
  Font(Font&& other) noexcept;
  Font& operator=(Font&& other) noexcept;

  const std::string& family() const { return family_; }

  // The drawing library's own font, defined by the implementation.
  struct Face;
  const Face& face() const { return *face_; }

 private:
  Font();

  std::string family_;
  std::unique_ptr<Face> face_;
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

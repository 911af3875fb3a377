// Drawing on Windows with GDI+.
//
// A layer's pixels belong to this file: one 32-bit word per pixel, 0xAARRGGBB
// with straight alpha, rows from the top, which is GDI+'s own
// PixelFormat32bppARGB. GDI+ draws into them through a Bitmap made over the
// buffer for the length of one call, so no GDI+ object outlives the call that
// made it and the order in which the program's static objects end does not
// matter.
//
// GDI+ rasterises (shape fills, glyphs); where a result must not depend on the
// GDI+ at hand, this file does the arithmetic itself. Text is drawn as a
// coverage mask first and laid on the layer here, because wine's GDI+ draws
// every text antialiased, ignores the compositing mode for text and leaves
// out underline and strike-out; and the alpha blit is an integer blend,
// because GDI+ scales alpha through a floating-point colour matrix that
// truncates under wine (1 of 255 becomes 0). Shapes are left to GDI+ with
// antialiasing asked for: Windows smooths their edges, wine fills them
// hard-edged.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// The GDI+ headers need IStream and PROPID, which the lean header leaves out.
#include <objidl.h>
// clang-format off
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/drawing.h"

namespace pixmera {

struct Layer::Surface {
  int width = 0;
  int height = 0;
  std::unique_ptr<uint32_t[]> pixels;

  uint32_t* row(int y) { return pixels.get() + static_cast<ptrdiff_t>(y) * width; }
  const uint32_t* row(int y) const { return pixels.get() + static_cast<ptrdiff_t>(y) * width; }
};

// What a font needs to be opened again by GDI+ for each call, and the metrics
// of its face at its size, in pixels.
struct Font::Face {
  std::wstring name;  // the name GDI+ found the family by
  int style = Gdiplus::FontStyleRegular;
  float em = 0;  // pixels
  double ascent = 0;
  double descent = 0;
  // Tops of the two strokes, above the baseline (negative below it).
  double underline_top = 0;
  double underline_size = 0;
  double strike_top = 0;
  double strike_size = 0;
  bool underline = false;
  bool strike_out = false;
};

namespace {

// Text is laid out at the resolution of a desktop screen, so a font size in
// points gives the pixel size users know from there.
constexpr double kScreenDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;
// Pango takes sizes up to some million points; past this many pixels an em
// would only make layers that cannot be made.
constexpr float kLargestEm = 100'000.0f;

// GDI+ is started on first use, once, whichever thread comes first, and
// stopped with the program's other static objects. It runs without its
// background thread: drawing into memory needs no message loop to hook, and
// stopping has no thread to wait for, also when it happens while the DLL
// that holds this file is being unloaded.
class GdiplusSession {
 public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    input.SuppressBackgroundThread = TRUE;
    Gdiplus::GdiplusStartupOutput output{};
    started_ = Gdiplus::GdiplusStartup(&token_, &input, &output) == Gdiplus::Ok;
    // The GDI+ headers keep the typographic string format in a global they
    // fill on first use without a lock; filling it here, once, keeps later
    // reads from racing.
    if (started_) Gdiplus::StringFormat::GenericTypographic();
  }
  ~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  bool started() const { return started_; }

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

bool gdiplus_ready() {
  static const GdiplusSession session;
  return session.started();
}

// Invalid UTF-8 becomes U+FFFD, as Pango shows it on Linux.
std::wstring utf16_of(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring result(static_cast<size_t>(std::max(wide, 0)), L'\0');
  if (wide > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), wide);
  return result;
}

std::string utf8_of(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return {};
  std::string result(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), bytes, nullptr, nullptr);
  result.pop_back();  // the terminator
  return result;
}

constexpr uint32_t pack(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue) {
  return alpha << 24 | red << 16 | green << 8 | blue;
}

Rgba unpack(uint32_t value) {
  const auto alpha = static_cast<uint8_t>(value >> 24);
  if (alpha == 0) return {};
  return Rgba{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
              static_cast<uint8_t>(value), alpha};
}

// `colour` at `coverage` (0 to 255) laid over `under`, both with straight
// alpha: the Porter-Duff "over" in premultiplied terms, rounded once at the
// end.
uint32_t blend_over(uint32_t under, Rgba colour, uint32_t coverage) {
  const uint32_t top_alpha = (colour.alpha * coverage + 127) / 255;
  if (top_alpha == 0) return under;
  if (top_alpha == 255) return pack(255, colour.red, colour.green, colour.blue);
  const uint32_t under_alpha = under >> 24;
  // Alphas in 1/65025 steps, so that no intermediate value is rounded.
  const uint32_t top_weight = top_alpha * 255;
  const uint32_t under_weight = under_alpha * (255 - top_alpha);
  const uint32_t total = top_weight + under_weight;
  if (total == 0) return 0;
  const auto mix = [&](uint32_t top, uint32_t bottom) {
    return (top * top_weight + bottom * under_weight + total / 2) / total;
  };
  return pack((total + 127) / 255, mix(colour.red, (under >> 16) & 0xFF),
              mix(colour.green, (under >> 8) & 0xFF), mix(colour.blue, under & 0xFF));
}

// A GDI+ bitmap over pixels this file owns; it draws straight into them.
class BitmapView {
 public:
  BitmapView(int width, int height, uint32_t* pixels)
      : bitmap_(width, height, width * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(pixels)) {}

  bool ok() { return bitmap_.GetLastStatus() == Gdiplus::Ok; }
  Gdiplus::Bitmap* get() { return &bitmap_; }

 private:
  Gdiplus::Bitmap bitmap_;
};

// Zeroed 32-bit pixels for a scratch picture; empty when there is no memory.
std::unique_ptr<uint32_t[]> cleared_pixels(int64_t count) {
  return std::unique_ptr<uint32_t[]>(new (std::nothrow) uint32_t[static_cast<size_t>(count)]());
}

bool is_valid_size(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= INT_MAX && height <= INT_MAX &&
         width * height <= kMaxLayerPixels;
}

// The part of a polygon that lies inside the box (one edge at a time,
// Sutherland-Hodgman). GDI+ works in single-precision floats and fails or
// wraps on coordinates far outside the layer, which the frame's band widths
// can give; the clipped polygon fills exactly the same pixels of the layer.
std::vector<Gdiplus::PointF> clipped(std::span<const Point> corners, double left, double top,
                                     double right, double bottom) {
  std::vector<Point> polygon(corners.begin(), corners.end());
  struct Edge {
    int axis;  // 0: x, 1: y
    double limit;
    bool keep_above;
  };
  const Edge edges[] = {{0, left, true}, {0, right, false}, {1, top, true}, {1, bottom, false}};
  for (const Edge& edge : edges) {
    const auto value = [&](const Point& p) { return edge.axis == 0 ? p.x : p.y; };
    const auto inside = [&](const Point& p) {
      return edge.keep_above ? value(p) >= edge.limit : value(p) <= edge.limit;
    };
    std::vector<Point> kept;
    for (size_t i = 0; i < polygon.size(); ++i) {
      const Point& from = polygon[i];
      const Point& to = polygon[(i + 1) % polygon.size()];
      if (inside(from)) kept.push_back(from);
      if (inside(from) != inside(to)) {
        const double t = (edge.limit - value(from)) / (value(to) - value(from));
        kept.push_back(Point{from.x + t * (to.x - from.x), from.y + t * (to.y - from.y)});
      }
    }
    polygon = std::move(kept);
    if (polygon.empty()) break;
  }
  std::vector<Gdiplus::PointF> points;
  for (const Point& p : polygon) {
    points.emplace_back(static_cast<Gdiplus::REAL>(p.x), static_cast<Gdiplus::REAL>(p.y));
  }
  return points;
}

void fill_shape(Layer& layer, std::span<const Point> corners, Rgba colour) {
  if (!layer || corners.size() < 3 || !gdiplus_ready()) return;
  // A pixel's own square reaches one step past its index; one more pixel of
  // margin keeps the clipped edges off the layer.
  const std::vector<Gdiplus::PointF> points =
      clipped(corners, -1.0, -1.0, layer.width() + 1.0, layer.height() + 1.0);
  if (points.size() < 3) return;
  Layer::Surface& surface = *layer.surface();
  BitmapView view(surface.width, surface.height, surface.pixels.get());
  if (!view.ok()) return;
  Gdiplus::Graphics graphics(view.get());
  // Pixel centres at half steps, as Cairo has them: a box from 0 to 20 covers
  // pixels 0 to 19 exactly.
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const Gdiplus::SolidBrush brush(
      Gdiplus::Color(colour.alpha, colour.red, colour.green, colour.blue));
  graphics.FillPolygon(&brush, points.data(), static_cast<INT>(points.size()),
                       Gdiplus::FillModeWinding);
}

// ---------------------------------------------------------------------------
// Fonts

int style_of(bool bold, bool italic) {
  return (bold ? Gdiplus::FontStyleBold : 0) | (italic ? Gdiplus::FontStyleItalic : 0);
}

// The face the font mapper gives for a name that GDI+ does not know: what a
// request for it would get drawn with.
std::string mapped_face(const std::wstring& name, bool bold, bool italic) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return {};
  LOGFONTW wanted{};
  wanted.lfHeight = -16;
  wanted.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  wanted.lfItalic = italic ? TRUE : FALSE;
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, name.c_str(), LF_FACESIZE - 1);
  std::string result;
  if (HFONT font = CreateFontIndirectW(&wanted)) {
    const HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = L"";
    if (GetTextFaceW(dc, LF_FACESIZE, face) > 0) result = utf8_of(face);
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  DeleteDC(dc);
  return result;
}

// Underline and strike-out strokes from the face's own tables, read through
// GDI at one pixel per design unit and scaled to the em.
void read_stroke_metrics(const Gdiplus::Font& font, Gdiplus::Graphics& graphics, UINT16 em_units,
                         Font::Face& face) {
  // Defaults in the proportions of common sans-serif faces, for a face whose
  // tables GDI cannot read.
  face.underline_top = -0.10 * face.em;
  face.underline_size = 0.07 * face.em;
  face.strike_top = 0.30 * face.em;
  face.strike_size = 0.05 * face.em;

  LOGFONTW logical{};
  if (font.GetLogFontW(&graphics, &logical) != Gdiplus::Ok) return;
  logical.lfHeight = -static_cast<LONG>(em_units);
  logical.lfWidth = 0;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return;
  if (HFONT handle = CreateFontIndirectW(&logical)) {
    const HGDIOBJ previous = SelectObject(dc, handle);
    OUTLINETEXTMETRICW metrics{};
    metrics.otmSize = sizeof metrics;
    if (GetOutlineTextMetricsW(dc, sizeof metrics, &metrics) != 0) {
      const double scale = face.em / em_units;
      face.underline_top = metrics.otmsUnderscorePosition * scale;
      face.underline_size = std::max<double>(metrics.otmsUnderscoreSize, 1) * scale;
      face.strike_top = metrics.otmsStrikeoutPosition * scale;
      face.strike_size = std::max<UINT>(metrics.otmsStrikeoutSize, 1) * scale;
    }
    SelectObject(dc, previous);
    DeleteObject(handle);
  }
  DeleteDC(dc);
}

// The font as GDI+ needs it for one call.
class OpenedFont {
 public:
  explicit OpenedFont(const Font::Face& face)
      : family_(face.name.c_str()), font_(&family_, face.em, face.style, Gdiplus::UnitPixel) {}

  bool ok() const {
    return family_.GetLastStatus() == Gdiplus::Ok && font_.GetLastStatus() == Gdiplus::Ok;
  }
  const Gdiplus::Font* get() const { return &font_; }

 private:
  Gdiplus::FontFamily family_;
  Gdiplus::Font font_;
};

// One line: no wrapping, no clipping, no padding around the glyphs, trailing
// spaces counted, as Pango lays out a single paragraph.
class LineFormat {
 public:
  LineFormat() : format_(Gdiplus::StringFormat::GenericTypographic()) {
    format_.SetFormatFlags(format_.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap |
                           Gdiplus::StringFormatFlagsNoClip |
                           Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
  }
  const Gdiplus::StringFormat* get() const { return &format_; }

 private:
  Gdiplus::StringFormat format_;
};

Gdiplus::TextRenderingHint hint_of(TextDrawing drawing) {
  return drawing == TextDrawing::Raster ? Gdiplus::TextRenderingHintSingleBitPerPixelGridFit
                                        : Gdiplus::TextRenderingHintAntiAlias;
}

// The line height in whole pixels, as Pango gives it on Linux: raster text
// rounds ascent and descent up one by one, as hinted metrics do; vector text
// rounds their sum.
int32_t line_height(const Font::Face& face, TextDrawing drawing) {
  const double height = drawing == TextDrawing::Raster
                            ? std::ceil(face.ascent) + std::ceil(face.descent)
                            : std::ceil(face.ascent + face.descent);
  return static_cast<int32_t>(std::min<double>(height, INT_MAX / 2));
}

double text_width(const Font::Face& face, const std::wstring& text, TextDrawing drawing) {
  if (text.empty() || text.size() > INT_MAX) return 0;
  const OpenedFont font(face);
  if (!font.ok()) return 0;
  uint32_t pixel = 0;
  BitmapView view(1, 1, &pixel);
  if (!view.ok()) return 0;
  Gdiplus::Graphics graphics(view.get());
  graphics.SetTextRenderingHint(hint_of(drawing));
  const LineFormat format;
  Gdiplus::RectF box;
  if (graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), font.get(),
                             Gdiplus::PointF(0, 0), format.get(), &box) != Gdiplus::Ok) {
    return 0;
  }
  return box.Width;
}

int32_t whole_pixels(double width) {
  // A float width a hair above a whole number is that number.
  return static_cast<int32_t>(std::clamp(std::ceil(width - 1e-3), 0.0, double{INT_MAX / 2}));
}

}  // namespace

// ---------------------------------------------------------------------------
// Layers

std::string_view drawing_library() { return "GDI+"; }

std::vector<std::string_view> drawing_credits() { return {"GDI+"}; }

Layer::Layer() = default;

Layer::Layer(int64_t width, int64_t height) {
  if (!is_valid_size(width, height)) return;
  auto surface = std::make_unique<Surface>();
  surface->pixels = cleared_pixels(width * height);
  if (!surface->pixels) return;
  surface->width = static_cast<int>(width);
  surface->height = static_cast<int>(height);
  surface_ = std::move(surface);
}

Layer::~Layer() = default;
Layer::Layer(Layer&& other) noexcept = default;
Layer& Layer::operator=(Layer&& other) noexcept = default;

int Layer::width() const { return surface_ ? surface_->width : 0; }

int Layer::height() const { return surface_ ? surface_->height : 0; }

Rgba Layer::pixel(int x, int y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width() || y >= height()) return {};
  return unpack(surface_->row(y)[x]);
}

void fill_box(Layer& layer, double x, double y, double width, double height, Rgba colour) {
  const Point corners[] = {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
  fill_shape(layer, corners, colour);
}

void fill_polygon(Layer& layer, std::span<const Point> corners, Rgba colour) {
  fill_shape(layer, corners, colour);
}

void paint_layer(Layer& target, const Layer& source, int32_t alpha) {
  if (!target || !source) return;
  const auto scale = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
  if (scale == 0) return;
  const int width = std::min(target.width(), source.width());
  const int height = std::min(target.height(), source.height());
  for (int y = 0; y < height; ++y) {
    const uint32_t* from = source.surface()->row(y);
    uint32_t* to = target.surface()->row(y);
    for (int x = 0; x < width; ++x) {
      if (from[x] >> 24 == 0) continue;
      to[x] = blend_over(to[x], unpack(from[x]), scale);
    }
  }
}

std::vector<uint8_t> encode_png(const Layer& layer) {
  std::vector<uint8_t> bytes;
  if (!layer || !gdiplus_ready()) return bytes;

  UINT count = 0;
  UINT size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return bytes;
  std::vector<BYTE> storage(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
  if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return bytes;
  const Gdiplus::ImageCodecInfo* png = nullptr;
  for (UINT i = 0; i < count; ++i) {
    if (encoders[i].FormatID == Gdiplus::ImageFormatPNG) png = &encoders[i];
  }
  if (png == nullptr) return bytes;

  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return bytes;
  Layer::Surface& surface = *layer.surface();
  BitmapView view(surface.width, surface.height, surface.pixels.get());
  HGLOBAL memory = nullptr;
  STATSTG status{};
  if (view.ok() && view.get()->Save(stream, &png->Clsid, nullptr) == Gdiplus::Ok &&
      SUCCEEDED(stream->Stat(&status, STATFLAG_NONAME)) &&
      SUCCEEDED(GetHGlobalFromStream(stream, &memory))) {
    const auto length = static_cast<size_t>(status.cbSize.QuadPart);
    if (const void* data = GlobalLock(memory)) {
      const auto* first = static_cast<const uint8_t*>(data);
      bytes.assign(first, first + length);
      GlobalUnlock(memory);
    }
  }
  stream->Release();
  return bytes;
}

Layer layer_from_picture(FIBITMAP* picture, PixelFilter filter) {
  if (picture == nullptr || FreeImage_GetImageType(picture) != FIT_BITMAP ||
      FreeImage_GetBPP(picture) != 32) {
    return {};
  }
  const int width = static_cast<int>(FreeImage_GetWidth(picture));
  const int height = static_cast<int>(FreeImage_GetHeight(picture));
  Layer layer(width, height);
  if (!layer) return layer;
  for (int y = 0; y < height; ++y) {
    // FreeImage keeps the bottom row first.
    const BYTE* source = FreeImage_GetScanLine(picture, height - 1 - y);
    uint32_t* target = layer.surface()->row(y);
    for (int x = 0; x < width; ++x, source += 4) {
      Rgba colour{source[FI_RGBA_RED], source[FI_RGBA_GREEN], source[FI_RGBA_BLUE],
                  source[FI_RGBA_ALPHA]};
      if (filter != nullptr) colour = filter(colour);
      target[x] = colour.alpha == 0 ? 0 : pack(colour.alpha, colour.red, colour.green, colour.blue);
    }
  }
  return layer;
}

// ---------------------------------------------------------------------------
// Text

// GDI+ finds a family only by a name Windows has installed, or by one the
// system's font replacements give to an installed family; it never falls back
// to another face, so a family that it finds opens.
FontResolution resolve_font(std::string_view face, bool bold, bool italic) {
  FontResolution result;
  if (face.empty() || !gdiplus_ready()) return result;
  const std::wstring name = utf16_of(face);
  const Gdiplus::FontFamily family(name.c_str());
  if (family.GetLastStatus() == Gdiplus::Ok) {
    wchar_t found[LF_FACESIZE] = L"";
    family.GetFamilyName(found);
    const Gdiplus::Font font(&family, 12.0f, style_of(bold, italic), Gdiplus::UnitPixel);
    if (font.GetLastStatus() == Gdiplus::Ok) {
      result.family = utf8_of(found);
      result.opens = true;
      return result;
    }
  }
  result.family = mapped_face(name, bold, italic);
  return result;
}

Font::Font() : face_(std::make_unique<Face>()) {}
Font::~Font() = default;
Font::Font(Font&& other) noexcept = default;
Font& Font::operator=(Font&& other) noexcept = default;

std::optional<Font> Font::open(const FontRequest& request) {
  if (request.size <= 0) return std::nullopt;
  const FontResolution resolution = resolve_font(request.face, request.bold, request.italic);
  if (!resolution.opens) return std::nullopt;

  Font font;
  font.family_ = resolution.family;
  Face& face = *font.face_;
  face.name = utf16_of(request.face);
  face.style = style_of(request.bold, request.italic);
  face.em =
      std::min(static_cast<float>(request.size * kScreenDotsPerInch / kPointsPerInch), kLargestEm);
  face.underline = request.underline;
  face.strike_out = request.strike_out;

  const Gdiplus::FontFamily family(face.name.c_str());
  const Gdiplus::Font gdiplus_font(&family, face.em, face.style, Gdiplus::UnitPixel);
  if (family.GetLastStatus() != Gdiplus::Ok || gdiplus_font.GetLastStatus() != Gdiplus::Ok) {
    return std::nullopt;
  }
  const UINT16 em_units = family.GetEmHeight(face.style);
  if (em_units == 0) return std::nullopt;
  face.ascent = face.em * family.GetCellAscent(face.style) / em_units;
  face.descent = face.em * family.GetCellDescent(face.style) / em_units;

  uint32_t pixel = 0;
  BitmapView view(1, 1, &pixel);
  if (!view.ok()) return std::nullopt;
  Gdiplus::Graphics graphics(view.get());
  read_stroke_metrics(gdiplus_font, graphics, em_units, face);
  return font;
}

TextExtent measure_text(const Font& font, std::string_view text, TextDrawing drawing) {
  if (!gdiplus_ready()) return {};
  const Font::Face& face = font.face();
  return TextExtent{whole_pixels(text_width(face, utf16_of(text), drawing)),
                    line_height(face, drawing)};
}

void draw_text(Layer& layer, const Font& font, std::string_view text, double x, double y,
               Rgba colour, TextDrawing drawing) {
  if (!layer || text.empty() || !gdiplus_ready()) return;
  const Font::Face& face = font.face();
  const std::wstring wide = utf16_of(text);
  const double width = text_width(face, wide, drawing);
  const double height = line_height(face, drawing);

  // The mask covers the line's box with an em to spare on every side for
  // glyphs that reach out of it (italics, accents), cut to the layer.
  const double spare = face.em;
  const auto within = [](double value, int limit) {
    return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(limit)));
  };
  const int left = within(std::floor(x - spare), layer.width());
  const int top = within(std::floor(y - spare), layer.height());
  const int right = within(std::ceil(x + width + spare), layer.width());
  const int bottom = within(std::ceil(y + height + spare), layer.height());
  if (right <= left || bottom <= top) return;
  const int mask_width = right - left;
  const int mask_height = bottom - top;
  const std::unique_ptr<uint32_t[]> mask = cleared_pixels(int64_t{mask_width} * mask_height);
  if (!mask) return;

  {
    const OpenedFont gdiplus_font(face);
    BitmapView view(mask_width, mask_height, mask.get());
    if (!gdiplus_font.ok() || !view.ok()) return;
    Gdiplus::Graphics graphics(view.get());
    graphics.SetTextRenderingHint(hint_of(drawing));
    const Gdiplus::SolidBrush ink(Gdiplus::Color(255, 255, 255, 255));
    const LineFormat format;
    const double origin_x = x - left;
    const double origin_y = y - top;
    graphics.DrawString(
        wide.c_str(), static_cast<INT>(wide.size()), gdiplus_font.get(),
        Gdiplus::PointF(static_cast<Gdiplus::REAL>(origin_x), static_cast<Gdiplus::REAL>(origin_y)),
        format.get(), &ink);

    // Underline and strike-out run the width of the line, from the face's
    // own metrics; raster strokes sit on whole pixels.
    const double baseline = origin_y + face.ascent;
    const auto stroke = [&](double stroke_top, double size) {
      double from_x = origin_x;
      double to_x = origin_x + width;
      double from_y = baseline - stroke_top;
      double to_y = from_y + size;
      if (drawing == TextDrawing::Raster) {
        from_x = std::round(from_x);
        to_x = std::round(to_x);
        from_y = std::round(from_y);
        to_y = from_y + std::max(1.0, std::round(size));
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
      } else {
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
      }
      graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
      graphics.FillRectangle(
          &ink, static_cast<Gdiplus::REAL>(from_x), static_cast<Gdiplus::REAL>(from_y),
          static_cast<Gdiplus::REAL>(to_x - from_x), static_cast<Gdiplus::REAL>(to_y - from_y));
    };
    if (face.underline) stroke(face.underline_top, face.underline_size);
    if (face.strike_out) stroke(face.strike_top, face.strike_size);
  }

  // Raster text replaces what it covers; a pixel is covered when the glyph
  // takes at least half of it, which is what a one-bit rasteriser decides
  // and what wine's always-smoothed glyphs are cut back to.
  const uint32_t replacement =
      colour.alpha == 0 ? 0 : pack(colour.alpha, colour.red, colour.green, colour.blue);
  for (int row = 0; row < mask_height; ++row) {
    const uint32_t* coverage = mask.get() + static_cast<ptrdiff_t>(row) * mask_width;
    uint32_t* target = layer.surface()->row(top + row) + left;
    for (int column = 0; column < mask_width; ++column) {
      const uint32_t amount = coverage[column] >> 24;
      if (amount == 0) continue;
      if (drawing == TextDrawing::Raster) {
        if (amount >= 128) target[column] = replacement;
      } else {
        target[column] = blend_over(target[column], colour, amount);
      }
    }
  }
}

}  // namespace pixmera

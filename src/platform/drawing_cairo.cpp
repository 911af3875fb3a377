// Drawing on Linux: Cairo image surfaces for the layers, Pango with
// PangoCairo and fontconfig for the text.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <glib-object.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>

#include "platform/drawing.h"
#include "util/text.h"

namespace pixmera {

struct Layer::Surface {
  explicit Surface(cairo_surface_t* cairo) : surface(cairo) {}
  ~Surface() { cairo_surface_destroy(surface); }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  cairo_surface_t* surface;
};

// The font's description and a font map of its own, whose glyph caches go
// with the font.
struct Font::Face {
  Face() = default;
  ~Face() {
    if (description != nullptr) pango_font_description_free(description);
    if (font_map != nullptr) g_object_unref(font_map);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  PangoFontDescription* description = nullptr;
  PangoFontMap* font_map = nullptr;
  bool underline = false;
  bool strike_out = false;
};

namespace {

// Text is laid out at the resolution of a desktop screen, so a font size in
// points gives the pixel size users know from there.
constexpr double kScreenDotsPerInch = 96.0;

struct CairoRelease {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using CairoContext = std::unique_ptr<cairo_t, CairoRelease>;

struct FontOptionsRelease {
  void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
using FontOptions = std::unique_ptr<cairo_font_options_t, FontOptionsRelease>;

struct ObjectRelease {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using PangoLayoutHandle = std::unique_ptr<PangoLayout, ObjectRelease>;

struct PatternRelease {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternRelease>;

struct GFree {
  void operator()(gchar* text) const { g_free(text); }
};

cairo_surface_t* surface_of(const Layer& layer) { return layer.surface()->surface; }

CairoContext context_on(const Layer& layer) {
  if (!layer) return nullptr;
  cairo_t* context = cairo_create(surface_of(layer));
  if (cairo_status(context) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(context);
    return nullptr;
  }
  return CairoContext(context);
}

void set_source(cairo_t* context, Rgba colour) {
  cairo_set_source_rgba(context, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                        colour.alpha / 255.0);
}

uint8_t premultiply(uint8_t channel, uint8_t alpha) {
  return static_cast<uint8_t>((channel * alpha + 127) / 255);
}

uint8_t unpremultiply(uint32_t channel, uint32_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<uint8_t>(std::min<uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

// Explicit options, so that the look of the text does not depend on the
// desktop settings of whoever runs the conversion.
FontOptions font_options(TextDrawing drawing) {
  FontOptions options(cairo_font_options_create());
  if (drawing == TextDrawing::Raster) {
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_ON);
  } else {
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  }
  return options;
}

// One line of text laid out for `context`. Pango needs valid UTF-8; stray
// bytes in a watermark text become replacement characters.
PangoLayoutHandle layout_line(cairo_t* context, const Font& font, std::string_view text,
                              TextDrawing drawing) {
  const Font::Face& face = font.face();
  PangoContext* pango_context = pango_font_map_create_context(face.font_map);
  pango_cairo_update_context(context, pango_context);
  const FontOptions options = font_options(drawing);
  pango_cairo_context_set_font_options(pango_context, options.get());
  pango_cairo_context_set_resolution(pango_context, kScreenDotsPerInch);
  PangoLayoutHandle layout(pango_layout_new(pango_context));
  g_object_unref(pango_context);

  pango_layout_set_font_description(layout.get(), face.description);
  pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  PangoAttrList* attributes = pango_attr_list_new();
  if (face.underline)
    pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (face.strike_out) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout.get(), attributes);
  pango_attr_list_unref(attributes);

  const std::unique_ptr<gchar, GFree> valid(
      g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
  pango_layout_set_text(layout.get(), valid.get(), -1);
  return layout;
}

}  // namespace

std::string_view drawing_library() { return "Cairo"; }

std::vector<std::string_view> drawing_credits() { return {"Cairo", "Pango"}; }

Layer::Layer(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX ||
      width * height > kMaxLayerPixels) {
    return;
  }
  cairo_surface_t* surface = cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return;
  }
  surface_ = std::make_unique<Surface>(surface);
}

Layer::Layer() = default;
Layer::~Layer() = default;
Layer::Layer(Layer&& other) noexcept = default;
Layer& Layer::operator=(Layer&& other) noexcept = default;

int Layer::width() const { return surface_ ? cairo_image_surface_get_width(surface_->surface) : 0; }

int Layer::height() const {
  return surface_ ? cairo_image_surface_get_height(surface_->surface) : 0;
}

Rgba Layer::pixel(int x, int y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width() || y >= height()) return {};
  cairo_surface_flush(surface_->surface);
  const unsigned char* row =
      cairo_image_surface_get_data(surface_->surface) +
      static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_->surface);
  const uint32_t value = reinterpret_cast<const uint32_t*>(row)[x];
  const uint32_t alpha = value >> 24;
  return Rgba{unpremultiply((value >> 16) & 0xFF, alpha), unpremultiply((value >> 8) & 0xFF, alpha),
              unpremultiply(value & 0xFF, alpha), static_cast<uint8_t>(alpha)};
}

void fill_box(Layer& layer, double x, double y, double width, double height, Rgba colour) {
  const CairoContext context = context_on(layer);
  if (!context) return;
  set_source(context.get(), colour);
  cairo_rectangle(context.get(), x, y, width, height);
  cairo_fill(context.get());
}

void fill_polygon(Layer& layer, std::span<const Point> corners, Rgba colour) {
  const CairoContext context = context_on(layer);
  if (!context || corners.empty()) return;
  set_source(context.get(), colour);
  cairo_move_to(context.get(), corners.front().x, corners.front().y);
  for (const Point& corner : corners.subspan(1)) cairo_line_to(context.get(), corner.x, corner.y);
  cairo_close_path(context.get());
  cairo_fill(context.get());
}

void paint_layer(Layer& target, const Layer& source, int32_t alpha) {
  const CairoContext context = context_on(target);
  if (!context || !source) return;
  cairo_set_source_surface(context.get(), surface_of(source), 0, 0);
  cairo_paint_with_alpha(context.get(), std::clamp(alpha, 0, 255) / 255.0);
}

std::vector<uint8_t> encode_png(const Layer& layer) {
  std::vector<uint8_t> bytes;
  if (!layer) return bytes;
  const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
  };
  if (cairo_surface_write_to_png_stream(surface_of(layer), append, &bytes) !=
      CAIRO_STATUS_SUCCESS) {
    bytes.clear();
  }
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

  cairo_surface_t* surface = surface_of(layer);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    // FreeImage keeps the bottom row first.
    const BYTE* source = FreeImage_GetScanLine(picture, height - 1 - y);
    auto* target = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x, source += 4) {
      Rgba colour{source[FI_RGBA_RED], source[FI_RGBA_GREEN], source[FI_RGBA_BLUE],
                  source[FI_RGBA_ALPHA]};
      if (filter != nullptr) colour = filter(colour);
      target[x] = static_cast<uint32_t>(colour.alpha) << 24 |
                  static_cast<uint32_t>(premultiply(colour.red, colour.alpha)) << 16 |
                  static_cast<uint32_t>(premultiply(colour.green, colour.alpha)) << 8 |
                  premultiply(colour.blue, colour.alpha);
    }
  }
  cairo_surface_mark_dirty(surface);
  return layer;
}

FontResolution resolve_font(std::string_view face, bool bold, bool italic) {
  FontResolution result;
  if (face.empty()) return result;
  const std::string name(face);
  const Pattern pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return result;
  FcDefaultSubstitute(pattern.get());

  // After substitution the family list holds the name, the families the
  // configuration binds strongly to it (the metric aliases), then the weakly
  // bound generic fallbacks.
  std::vector<std::string> accepted;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0;
       FcPatternGetWithBinding(pattern.get(), FC_FAMILY, i, &value, &binding) == FcResultMatch;
       ++i) {
    if (value.type == FcTypeString && binding != FcValueBindingWeak) {
      accepted.emplace_back(reinterpret_cast<const char*>(value.u.s));
    }
  }

  FcResult outcome = FcResultNoMatch;
  const Pattern match(FcFontMatch(nullptr, pattern.get(), &outcome));
  if (!match) return result;
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    const std::string_view candidate(reinterpret_cast<const char*>(family));
    if (result.family.empty()) result.family = candidate;
    for (const std::string& wanted : accepted) {
      if (equals_ignore_case(wanted, candidate)) {
        result.family = candidate;
        result.opens = true;
        return result;
      }
    }
  }
  return result;
}

std::optional<Font> Font::open(const FontRequest& request) {
  if (request.size <= 0) return std::nullopt;
  const FontResolution resolution = resolve_font(request.face, request.bold, request.italic);
  if (!resolution.opens) return std::nullopt;

  Font font;
  font.family_ = resolution.family;
  Face& face = *font.face_;
  face.description = pango_font_description_new();
  pango_font_description_set_family(face.description, resolution.family.c_str());
  pango_font_description_set_weight(face.description,
                                    request.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(face.description,
                                   request.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_size(
      face.description,
      static_cast<gint>(std::min<int64_t>(int64_t{request.size} * PANGO_SCALE, INT_MAX / 2)));
  face.font_map = pango_cairo_font_map_new();
  if (face.font_map == nullptr) return std::nullopt;
  face.underline = request.underline;
  face.strike_out = request.strike_out;
  return font;
}

Font::Font() : face_(std::make_unique<Face>()) {}
Font::~Font() = default;
Font::Font(Font&& other) noexcept = default;
Font& Font::operator=(Font&& other) noexcept = default;

TextExtent measure_text(const Font& font, std::string_view text, TextDrawing drawing) {
  const Layer scratch(1, 1);
  const CairoContext context = context_on(scratch);
  if (!context) return {};
  const PangoLayoutHandle layout = layout_line(context.get(), font, text, drawing);
  PangoRectangle logical{};
  pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
  return TextExtent{logical.width, logical.height};
}

void draw_text(Layer& layer, const Font& font, std::string_view text, double x, double y,
               Rgba colour, TextDrawing drawing) {
  const CairoContext context = context_on(layer);
  if (!context) return;
  if (drawing == TextDrawing::Raster) {
    cairo_set_operator(context.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_antialias(context.get(), CAIRO_ANTIALIAS_NONE);
  }
  const PangoLayoutHandle layout = layout_line(context.get(), font, text, drawing);
  set_source(context.get(), colour);
  cairo_move_to(context.get(), x, y);
  pango_cairo_show_layout(context.get(), layout.get());
}

}  // namespace pixmera

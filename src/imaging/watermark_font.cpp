#include "imaging/watermark_font.h"

#include <array>
#include <optional>

#include "settings/settings.h"

namespace pixmera {

namespace {

struct StyleFlags {
  bool bold = false;
  bool italic = false;
};

// Indexed by "Font Style".
constexpr std::array<StyleFlags, 4> kFontStyles{{
    {false, false},
    {true, false},
    {false, true},
    {true, true},
}};

constexpr uint8_t kUnderline = 1;
constexpr uint8_t kStrikeOut = 2;

// Prepared on the main thread before the worker starts and released after it
// has ended, so the worker only ever reads it.
std::optional<Font> g_watermark_font;

}  // namespace

FontRequest watermark_font_request() {
  const Settings& s = g_settings;
  FontRequest request;
  request.face = s.font;
  request.size = s.font_size;
  if (s.font_style < kFontStyles.size()) {
    request.bold = kFontStyles[s.font_style].bold;
    request.italic = kFontStyles[s.font_style].italic;
  }
  request.underline = s.font_effect == kUnderline;
  request.strike_out = s.font_effect == kStrikeOut;
  return request;
}

FontResolution resolve_watermark_face(std::string_view face, uint8_t style) {
  const StyleFlags flags = style < kFontStyles.size() ? kFontStyles[style] : StyleFlags{};
  return resolve_font(face, flags.bold, flags.italic);
}

bool prepare_watermark_font() {
  g_watermark_font = Font::open(watermark_font_request());
  return g_watermark_font.has_value();
}

void release_watermark_font() { g_watermark_font.reset(); }

const Font* watermark_font() { return g_watermark_font ? &*g_watermark_font : nullptr; }

}  // namespace pixmera

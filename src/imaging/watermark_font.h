// The watermark font: made once before a run from "Font", "Font Size",
// "Font Style" and "Font Effect", used by every text watermark of the run,
// released after it.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/drawing.h"

namespace pixmera {

// The request the font settings make: "Font Style" 0 regular, 1 bold,
// 2 italic, 3 bold italic; "Font Effect" 1 underline, 2 strike-out. Other
// codes add nothing.
FontRequest watermark_font_request();

// What fontconfig makes of a face in a "Font Style" (the check of
// prepare_watermark_font() before a font is chosen).
FontResolution resolve_watermark_face(std::string_view face, uint8_t style);

// True when the font opens (an installed family of that name, or a
// metric-compatible alias of it; a generic fallback does not count).
bool prepare_watermark_font();
void release_watermark_font();

// The prepared font, or nullptr outside a run or when it did not open.
const Font* watermark_font();

}  // namespace pixmera

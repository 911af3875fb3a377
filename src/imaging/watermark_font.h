// The watermark font: made once before a run from "Font", "Font Size",
// "Font Style" and "Font Effect", used by every text watermark of the run,
// released after it.
#pragma once

namespace pixmera {

// True when the font opens (an installed family of that name, or a
// metric-compatible alias of it; a generic fallback does not count).
bool prepare_watermark_font();
void release_watermark_font();

}  // namespace pixmera

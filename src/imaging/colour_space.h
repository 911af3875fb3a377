// The colour space of the output: its ICC profile, written into every file
// made from a PhotoCD, and the conversion of a picture that arrived in sRGB
// (from ImageMagick or FreeImage's own loader) into the chosen space, so
// the profile always tells the truth about the pixels. Profiles and that
// conversion are Little CMS 2's.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/image.h"
#include "photocd/colour_rendering.h"
#include "settings/settings.h"

namespace pixmera {

// The settings' "PhotoCD Highlights" and "PhotoCD Color Space"; a code
// outside its family's words is read as the family's first word, as an
// unknown keyword is.
photocd::ColourChoice photocd_colour_choice(const Settings& settings);

// The space's ICC profile: RGB, or for a grey picture grey with the space's
// curve and white. Built once; the same bytes for the whole run.
const std::vector<uint8_t>& icc_profile(photocd::ColourSpace space, bool grey);

// An sRGB picture re-expressed in `space` at its own depth (relative
// colorimetric, which for these matrix profiles is plain colorimetry with
// Bradford's adaptation where the whites differ). sRGB hands the picture
// back untouched; an empty picture when the conversion fails.
Image convert_from_srgb(Image picture, photocd::ColourSpace space);

// Puts the space's profile on the picture (FreeImage's ICC profile, which
// its TIFF, JPEG and PNG writers store), grey or RGB by the picture's kind.
// `separated`: the writer will store CMYK (or LogLuv) samples that no RGB
// or grey profile describes, so none is put on.
void attach_icc_profile(FIBITMAP* picture, photocd::ColourSpace space, bool separated);

}  // namespace pixmera

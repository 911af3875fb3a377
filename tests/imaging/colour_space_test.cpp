// The converter's own colour arithmetic held to Little CMS working on the
// very profiles the output files carry, and those profiles to the
// published colorants of their spaces.
#include "imaging/colour_space.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <array>
#include <vector>

#include "settings/keywords.h"

namespace pixmera {
namespace {

using photocd::ColourChoice;
using photocd::ColourRendering;
using photocd::ColourSpace;
using photocd::Highlights;

cmsHPROFILE open(ColourSpace space, bool grey = false) {
  const std::vector<uint8_t>& bytes = icc_profile(space, grey);
  return cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
}

// Little CMS's floating-point transform (not clipped) between two profiles.
std::vector<float> lcms(cmsHPROFILE from, cmsHPROFILE to, const std::vector<float>& rgb) {
  const cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_RGB_FLT, to, TYPE_RGB_FLT,
                                             INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
  std::vector<float> out(rgb.size());
  cmsDoTransform(t, rgb.data(), out.data(), static_cast<cmsUInt32Number>(rgb.size() / 3));
  cmsDeleteTransform(t);
  cmsCloseProfile(from);
  cmsCloseProfile(to);
  return out;
}

std::vector<float> ours(ColourSpace space, bool bounded, std::vector<float> rgb) {
  std::vector<float> r, g, b;
  for (size_t i = 0; i < rgb.size(); i += 3) {
    r.push_back(rgb[i]);
    g.push_back(rgb[i + 1]);
    b.push_back(rgb[i + 2]);
  }
  ColourRendering(ColourChoice{space, Highlights::clip}, bounded)
      .apply(r.data(), g.data(), b.data(), static_cast<int>(r.size()));
  for (size_t i = 0; i < r.size(); ++i)
    rgb[3 * i] = r[i], rgb[3 * i + 1] = g[i], rgb[3 * i + 2] = b[i];
  return rgb;
}

TEST(ColourSpace, TheConvertersArithmeticIsLittleCmsOnTheFilesOwnProfiles) {
  // sRGB-encoded values of a 0..1 grid, and highlights up to what PhotoYCC
  // holds (floats only).
  std::vector<float> grid;
  for (int r = 0; r <= 16; ++r) {
    for (int g = 0; g <= 16; ++g) {
      for (int b = 0; b <= 16; ++b) grid.insert(grid.end(), {r / 16.0f, g / 16.0f, b / 16.0f});
    }
  }
  std::vector<float> bright = grid;
  for (float& v : bright) v *= 1.402f;
  // Saturated film colours sRGB cannot hold, given to Little CMS as linear
  // light (its sRGB curve does not mirror values below 0, ours does).
  const std::vector<float> outside = {-0.368f, 0.934f, 0.495f, 0.9f, -0.2f, 0.1f, 0.1f, 0.6f, 1.2f};
  std::vector<float> outside_linear;
  for (float v : outside) outside_linear.push_back(static_cast<float>(photocd::srgb_to_linear(v)));

  constexpr float kQuarterStep = 0.25f / 255.0f;
  for (ColourSpace space : {ColourSpace::adobe_rgb, ColourSpace::prophoto, ColourSpace::linear}) {
    SCOPED_TRACE(static_cast<int>(space));
    const auto check = [&](const std::vector<float>& got, const std::vector<float>& want) {
      for (size_t i = 0; i < got.size(); ++i) {
        // Near black a pure power curve magnifies Little CMS's own rounding
        // of the colorants (to 1/65536) into whole 8-bit steps, and it
        // stops its power curves at 0.
        if (want[i] < 1.0f / 64) continue;
        ASSERT_NEAR(got[i], want[i], kQuarterStep) << i;
      }
    };
    check(ours(space, true, grid), lcms(open(ColourSpace::srgb), open(space), grid));
    check(ours(space, false, bright), lcms(open(ColourSpace::srgb), open(space), bright));
    check(ours(space, false, outside),
          lcms(open(ColourSpace::linear), open(space), outside_linear));
  }
}

TEST(ColourSpace, ProfilesHoldThePublishedColorantsAndCurves) {
  struct Published {
    ColourSpace space;
    std::array<double, 9> colorants;  // red, green, blue XYZ, adapted to D50
    double curve_at_half;
  };
  const Published spaces[] = {
      {ColourSpace::srgb,
       {0.4361, 0.2225, 0.0139, 0.3851, 0.7169, 0.0971, 0.1431, 0.0606, 0.7141},
       0.2140},
      {ColourSpace::adobe_rgb,
       {0.6097, 0.3111, 0.0195, 0.2053, 0.6257, 0.0609, 0.1492, 0.0632, 0.7446},
       0.2176},
      {ColourSpace::prophoto,
       {0.7977, 0.2880, 0.0000, 0.1352, 0.7119, 0.0000, 0.0313, 0.0001, 0.8249},
       0.2872},
      {ColourSpace::linear,
       {0.4361, 0.2225, 0.0139, 0.3851, 0.7169, 0.0971, 0.1431, 0.0606, 0.7141},
       0.5}};
  const cmsTagSignature tags[] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                  cmsSigBlueColorantTag};
  for (const Published& p : spaces) {
    SCOPED_TRACE(static_cast<int>(p.space));
    const cmsHPROFILE rgb = open(p.space);
    const cmsHPROFILE grey = open(p.space, true);
    ASSERT_NE(rgb, nullptr);
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(cmsGetColorSpace(rgb), cmsSigRgbData);
    EXPECT_EQ(cmsGetColorSpace(grey), cmsSigGrayData);
    for (int c = 0; c < 3; ++c) {
      const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(rgb, tags[c]));
      ASSERT_NE(xyz, nullptr);
      EXPECT_NEAR(xyz->X, p.colorants[3 * c], 0.0015) << c;
      EXPECT_NEAR(xyz->Y, p.colorants[3 * c + 1], 0.0015) << c;
      EXPECT_NEAR(xyz->Z, p.colorants[3 * c + 2], 0.0015) << c;
    }
    for (const auto& [profile, tag] : {std::pair{rgb, cmsSigRedTRCTag}, {grey, cmsSigGrayTRCTag}}) {
      const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(profile, tag));
      ASSERT_NE(curve, nullptr);
      EXPECT_NEAR(cmsEvalToneCurveFloat(curve, 0.5f), p.curve_at_half, 0.0005);
    }
    cmsCloseProfile(rgb);
    cmsCloseProfile(grey);
  }
}

// The settings' codes reach the converter as its own words: the two keyword
// families and the converter's lists are one order.
TEST(ColourSpace, SettingsCodesNameTheConvertersChoices) {
  Settings settings;
  for (const Keyword& k : keyword_family(kFamilyPhotoCdColorSpace)) {
    settings.photocd_color_space = static_cast<uint8_t>(k.code);
    EXPECT_EQ(photocd::colour_space_word(photocd_colour_choice(settings).space), k.word);
  }
  for (const Keyword& k : keyword_family(kFamilyPhotoCdHighlights)) {
    settings.photocd_highlights = static_cast<uint8_t>(k.code);
    EXPECT_EQ(photocd::highlights_word(photocd_colour_choice(settings).highlights), k.word);
  }
  // A code a hand-edited file made up is the first word, as an unknown
  // keyword is.
  settings.photocd_color_space = 7;
  settings.photocd_highlights = 200;
  EXPECT_EQ(photocd_colour_choice(settings), ColourChoice{});
}

}  // namespace
}  // namespace pixmera

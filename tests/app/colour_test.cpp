// The PhotoCD colour choices end to end: highlights kept, the colour space
// asked for with its profile in the file, whichever decoder gave the
// picture. The fixture kodak_gain_base.pcd is coded 1.35 times brighter, so
// about 5 % of it lies above reference white.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>
#include <fstream>
#include <set>

#include "imaging/colour_space.h"
#include "support/pictures.h"
#include "support/process_runner.h"
#include "support/temp_folder.h"

namespace pixmera {
namespace {

const std::string kPixmera = PIXMERA_BINARY_DIR "/bin/pixmera";
const std::string kOurConverter = PIXMERA_BINARY_DIR "/lib/pixmera/convert";
const std::string kGain = PIXMERA_TEST_DATA "/pcd/kodak_gain_base.pcd";
constexpr int kWhite = 65535;
constexpr int kKnee = 52428;  // 0.8 of white

// Red, green, blue of every pixel on the 16-bit scale (8-bit samples times
// 257), the bottom row first.
std::vector<int> samples_of(const std::string& path) {
  const Image picture = test::load_picture(path);
  std::vector<int> values;
  for (int y = 0; y < height_of(picture); ++y) {
    const BYTE* row = FreeImage_GetScanLine(picture.get(), y);
    for (int x = 0; x < width_of(picture); ++x) {
      if (is_rgb16(picture)) {
        const FIRGB16& p = reinterpret_cast<const FIRGB16*>(row)[x];
        values.insert(values.end(), {p.red, p.green, p.blue});
      } else {
        const BYTE* p = row + 3 * x;
        values.insert(values.end(),
                      {p[FI_RGBA_RED] * 257, p[FI_RGBA_GREEN] * 257, p[FI_RGBA_BLUE] * 257});
      }
    }
  }
  return values;
}

std::vector<uint8_t> embedded_profile(const std::string& path) {
  const Image picture = test::load_picture(path);
  const FIICCPROFILE* icc = FreeImage_GetICCProfile(picture.get());
  const auto* bytes = static_cast<const uint8_t*>(icc->data);
  return std::vector<uint8_t>(bytes, bytes + icc->size);
}

// The pixels where `srgb` holds the colour (every channel clear of 0 and
// white), and how many of them `other` misses by more than 1 %.
std::pair<size_t, size_t> misses(const std::vector<int>& srgb, const std::vector<int>& other) {
  size_t held = 0, missed = 0;
  for (size_t i = 0; i + 2 < srgb.size(); i += 3) {
    if (*std::min_element(&srgb[i], &srgb[i + 3]) < 655 ||
        *std::max_element(&srgb[i], &srgb[i + 3]) > kWhite - 655) {
      continue;
    }
    ++held;
    for (int c = 0; c < 3; ++c) {
      if (std::abs(srgb[i + c] - other[i + c]) > 655) {
        ++missed;
        break;
      }
    }
  }
  return {held, missed};
}

class Colour : public testing::Test {
 protected:
  // Converts `input` into the folder `out` with the options; the TIFF's path.
  std::string convert(const std::string& input, const std::string& out,
                      std::vector<std::string> options,
                      const std::string& converter = kOurConverter) const {
    options.insert(options.begin(), {"-q", "-i", input, "-o", folder_.file(out)});
    std::filesystem::create_directories(folder_.file(out));
    const test::ProcessResult r = test::run_process(kPixmera, options,
                                                    {{"XDG_CONFIG_HOME", folder_.file("config")},
                                                     {"XDG_RUNTIME_DIR", folder_.folder()},
                                                     {"PIXMERA_CONVERTER", converter}});
    EXPECT_EQ(r.exit_status, 0) << r.output;
    const std::string name = std::filesystem::path(input).stem().string();
    return folder_.file(out + "/" + name + ".tiff");
  }
  // The picture back in sRGB, through its own profile: Little CMS's tificc,
  // evaluated exactly (-c0; its precalculated 16-bit tables miss dark
  // saturated colours by a few percent).
  std::string to_srgb(const std::string& tiff) const {
    const std::string back = tiff + ".srgb.tiff";
    EXPECT_EQ(test::run_process("/usr/bin/tificc", {"-c0", "-t1", "-w16", tiff, back}).exit_status,
              0);
    return back;
  }

  test::TempFolder folder_;
};

TEST_F(Colour, ClipIsTodaysPictureAndRollOffKeepsTheHighlights) {
  for (const std::string bpp : {"24", "48"}) {
    SCOPED_TRACE(bpp + " bits");
    const std::string depth = "--tiff-bpp=" + bpp;
    const std::string plain = convert(kGain, "plain" + bpp, {depth});
    const std::vector<int> clipped =
        samples_of(convert(kGain, "clip" + bpp, {depth, "--photocd-highlights=CLIP"}));
    const std::string rolled_off =
        convert(kGain, "rolloff" + bpp, {depth, "--photocd-highlights=rolloff"});
    const std::vector<int> rolled = samples_of(rolled_off);
    ASSERT_EQ(clipped, samples_of(plain));
    ASSERT_EQ(rolled.size(), clipped.size());
    EXPECT_NE(test::tiff_tag(plain, 34675), -1) << "ICC profile";
    EXPECT_EQ(embedded_profile(rolled_off), icc_profile(photocd::ColourSpace::srgb, false));

    size_t white_before = 0, white_after = 0, below_knee_changed = 0;
    std::set<std::array<int, 3>> kept;  // colours where the clipped picture is flat white
    for (size_t i = 0; i < clipped.size(); i += 3) {
      const bool white =
          clipped[i] == kWhite && clipped[i + 1] == kWhite && clipped[i + 2] == kWhite;
      white_before += white ? 1 : 0;
      white_after += rolled[i] == kWhite && rolled[i + 1] == kWhite && rolled[i + 2] == kWhite;
      if (white) kept.insert({rolled[i], rolled[i + 1], rolled[i + 2]});
      if (*std::max_element(&clipped[i], &clipped[i + 3]) < kKnee) {
        below_knee_changed += !std::equal(&clipped[i], &clipped[i + 3], &rolled[i]);
      }
    }
    const size_t pixels = clipped.size() / 3;
    EXPECT_GT(white_before, pixels * 3 / 100);
    EXPECT_LE(white_after, pixels * 2 / 1000);
    EXPECT_EQ(below_knee_changed, 0u);
    EXPECT_GT(kept.size(), bpp == "24" ? 1000u : 4000u);
  }
  // Floats keep the highlights above white whatever the setting.
  const Image floats = test::load_picture(
      convert(kGain, "rolloff96", {"--tiff-bpp=96", "--photocd-highlights=ROLLOFF"}));
  ASSERT_EQ(type_of(floats), FIT_RGBF);
  float brightest = 0;
  for (int y = 0; y < height_of(floats); ++y) {
    const auto* row = reinterpret_cast<const float*>(FreeImage_GetScanLine(floats.get(), y));
    brightest = std::max(brightest, *std::max_element(row, row + 3 * width_of(floats)));
  }
  EXPECT_GT(brightest, 1.2f);
}

TEST_F(Colour, WideSpacesTurnBackIntoTheSrgbPictureAndKeepWhatSrgbCannotHold) {
  // A 64x64 patch of a saturated cyan-green, as slide film holds it:
  // Y 90, C1 156, C2 20 decodes to sRGB (-0.368, 0.934, 0.495).
  std::string bytes = test::read_bytes(kGain);
  for (size_t pair = 0; pair < 32; ++pair) {
    const size_t at = 96 * 2048 + pair * 2304;  // Base: two luma rows, C1 row, C2 row
    std::fill_n(&bytes[at], 64, 90);
    std::fill_n(&bytes[at + 768], 64, 90);
    std::fill_n(&bytes[at + 1536], 32, static_cast<char>(156));
    std::fill_n(&bytes[at + 1920], 32, 20);
  }
  const std::string input = folder_.write("patched.pcd", bytes);
  const std::string srgb_tiff = convert(input, "srgb", {"--tiff-bpp=48"});
  const std::vector<int> srgb = samples_of(srgb_tiff);

  // The patch's colour in CIELAB (D50): as decoded, unclipped, and as each
  // file holds it through its own profile.
  const auto lab_of = [](const std::vector<uint8_t>& profile, std::array<double, 3> rgb) {
    const cmsHPROFILE from =
        cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    const cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    const cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_RGB_DBL, lab, TYPE_Lab_DBL,
                                               INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
    cmsCIELab out{};
    cmsDoTransform(t, rgb.data(), &out, 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(lab);
    cmsCloseProfile(from);
    return out;
  };
  const auto patch_lab = [&](const std::string& tiff) {
    const std::vector<int> s = samples_of(tiff);
    const size_t at = (static_cast<size_t>(511 - 16) * 768 + 16) * 3;  // (16, 16) from the top
    return lab_of(embedded_profile(tiff),
                  {s[at] / 65535.0, s[at + 1] / 65535.0, s[at + 2] / 65535.0});
  };
  std::array<double, 3> decoded{};
  for (int c = 0; c < 3; ++c) {
    const double v =
        1.402 * 90 / 255 + std::array{-117 / 135.64, 0.299 / 0.587 * 117 / 135.64, 0.0}[c];
    decoded[c] = photocd::srgb_to_linear(v);
  }
  const cmsCIELab truth = lab_of(icc_profile(photocd::ColourSpace::linear, false), decoded);
  const cmsCIELab clipped = patch_lab(srgb_tiff);
  const auto chroma = [](const cmsCIELab& lab) { return std::hypot(lab.a, lab.b); };

  for (const char* space : {"ADOBE_RGB", "PROPHOTO"}) {
    SCOPED_TRACE(space);
    const std::string tiff =
        convert(input, space, {"--tiff-bpp=48", std::string("--photocd-color-space=") + space});
    const auto [held, missed] = misses(srgb, samples_of(to_srgb(tiff)));
    EXPECT_GT(held, srgb.size() / 3 / 2);
    EXPECT_EQ(missed, 0u) << "of " << held;
    if (std::string(space) == "PROPHOTO") {
      const cmsCIELab wide = patch_lab(tiff);
      EXPECT_LT(cmsDeltaE(&wide, &truth), 1.0) << chroma(wide) << " against " << chroma(truth);
      EXPECT_GT(chroma(wide), chroma(clipped) + 5)
          << chroma(wide) << " against " << chroma(clipped);
      EXPECT_GT(cmsDeltaE(&clipped, &truth), 5.0);
    }
  }
}

// ImageMagick and FreeImage's loader give sRGB; the chain converts it, so
// the profile is true, and ImageMagick never sees a word it does not know.
TEST_F(Colour, OtherDecodersGetTheirOwnWordsAndTheChainConvertsTheirPicture) {
  const std::string log = folder_.file("arguments");
  const std::string stand_in =
      folder_.write("convert", "#!/bin/sh\necho \"$#\" \"$@\" >> '" + log + "'\nexec '" +
                                   kOurConverter + "' \"$@\"\n");
  std::filesystem::permissions(stand_in, std::filesystem::perms::owner_all);
  const std::string profile = folder_.write(
      "wide.ini",
      "[CLI]\r\n--photocd-color-space = PROPHOTO\r\n--photocd-highlights = ROLLOFF\r\n");
  const std::string tiff =
      convert(kGain, "other", {"--tiff-bpp=48", "--profile=" + profile}, stand_in);
  std::ifstream calls(log);
  std::string call;
  while (std::getline(calls, call)) {
    EXPECT_TRUE(call.starts_with("9 -quiet -colorspace sRGB -orient TopLeft -depth 16 ")) << call;
    EXPECT_EQ(call.find("photocd"), std::string::npos) << call;
  }
  EXPECT_EQ(embedded_profile(tiff), icc_profile(photocd::ColourSpace::prophoto, false));
  const std::vector<int> srgb = samples_of(convert(kGain, "srgb", {"--tiff-bpp=48"}));
  EXPECT_EQ(misses(srgb, samples_of(to_srgb(tiff))).second, 0u);

  const std::string none = folder_.file("no-converter");
  const std::string fallback =
      convert(kGain, "fallback", {"--photocd-color-space=ADOBE_RGB"}, none);
  EXPECT_EQ(embedded_profile(fallback), icc_profile(photocd::ColourSpace::adobe_rgb, false));
  const std::vector<int> fallback_srgb = samples_of(convert(kGain, "fallback-srgb", {}, none));
  EXPECT_EQ(misses(fallback_srgb, samples_of(to_srgb(fallback))).second, 0u);

  // A grey picture carries the space's grey profile.
  const std::string grey =
      convert(kGain, "grey", {"--greyscale", "--tiff-bpp=8", "--photocd-color-space=LINEAR"});
  EXPECT_EQ(embedded_profile(grey), icc_profile(photocd::ColourSpace::linear, true));
}

}  // namespace
}  // namespace pixmera

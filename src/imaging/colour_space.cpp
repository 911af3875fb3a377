#include "imaging/colour_space.h"

#include <lcms2.h>

#include <array>
#include <memory>
#include <mutex>
#include <string>

namespace pixmera {

namespace {

using photocd::ColourSpace;

constexpr int kSpaces = 4;

struct ProfileClose {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

struct CurveFree {
  void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using Curve = std::unique_ptr<cmsToneCurve, CurveFree>;

struct TransformDelete {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDelete>;

// What each profile says it is.
constexpr std::array<const char*, kSpaces> kDescriptions = {
    "sRGB IEC61966-2.1", "Adobe RGB (1998) compatible", "ROMM RGB (ProPhoto RGB)",
    "Linear sRGB (sRGB primaries, gamma 1.0)"};

Curve curve_of(ColourSpace space) {
  switch (space) {
    case ColourSpace::adobe_rgb:
      return Curve(cmsBuildGamma(nullptr, 563.0 / 256.0));
    case ColourSpace::prophoto:
      return Curve(cmsBuildGamma(nullptr, 1.8));
    case ColourSpace::linear:
      return Curve(cmsBuildGamma(nullptr, 1.0));
    case ColourSpace::srgb:
      break;
  }
  // IEC 61966-2.1: a straight line up to 0.04045, then the 2.4 power.
  const cmsFloat64Number srgb[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  return Curve(cmsBuildParametricToneCurve(nullptr, 4, srgb));
}

Profile build_profile(ColourSpace space, bool grey) {
  const std::array<double, 8> xy = photocd::chromaticities(space);
  const cmsCIExyY white{xy[6], xy[7], 1.0};
  const Curve curve = curve_of(space);
  if (!curve) return Profile();
  Profile profile;
  if (grey) {
    profile.reset(cmsCreateGrayProfile(&white, curve.get()));
  } else {
    const cmsCIExyYTRIPLE primaries{{xy[0], xy[1], 1.0}, {xy[2], xy[3], 1.0}, {xy[4], xy[5], 1.0}};
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    profile.reset(cmsCreateRGBProfile(&white, &primaries, curves));
  }
  if (!profile) return profile;
  cmsMLU* description = cmsMLUalloc(nullptr, 1);
  if (description != nullptr) {
    const std::string text =
        std::string(kDescriptions[static_cast<size_t>(space)]) + (grey ? ", grey" : "");
    cmsMLUsetASCII(description, "en", "US", text.c_str());
    cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
  }
  return profile;
}

// The profiles carry this creation date (year, month, day, hour, minute,
// second) rather than the moment they were built, so the same picture
// gives the same file on every run.
constexpr std::array<uint16_t, 6> kCreated = {2026, 12, 9, 0, 0, 0};
constexpr size_t kCreatedOffset = 24;

std::vector<uint8_t> profile_bytes(ColourSpace space, bool grey) {
  const Profile profile = build_profile(space, grey);
  cmsUInt32Number size = 0;
  if (!profile || !cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0) return {};
  std::vector<uint8_t> bytes(size);
  if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size) || size < 128) return {};
  for (size_t i = 0; i < kCreated.size(); ++i) {
    bytes[kCreatedOffset + 2 * i] = static_cast<uint8_t>(kCreated[i] >> 8);
    bytes[kCreatedOffset + 2 * i + 1] = static_cast<uint8_t>(kCreated[i] & 0xFF);
  }
  return bytes;
}

// RGB then grey for each space, in the order of the codes. Each is built
// the first time it is asked for (Little CMS tabulates the sRGB curve, a
// millisecond's work), so a run makes only the profiles it writes.
struct ProfileSet {
  std::array<std::once_flag, 2 * kSpaces> built;
  std::array<std::vector<uint8_t>, 2 * kSpaces> bytes;
};

ProfileSet& profiles() {
  static ProfileSet set;
  return set;
}

Profile open_profile(ColourSpace space, bool grey) {
  const std::vector<uint8_t>& bytes = icc_profile(space, grey);
  return Profile(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

// The pictures Little CMS converts in place, by FreeImage's type and depth.
// FreeImage keeps 8-bit colour in the machine's order, blue first on
// little-endian machines; its deeper types are always red first.
constexpr cmsUInt32Number kBgr8 = FI_RGBA_RED == 2 ? TYPE_BGR_8 : TYPE_RGB_8;
constexpr cmsUInt32Number kBgra8 = FI_RGBA_RED == 2 ? TYPE_BGRA_8 : TYPE_RGBA_8;

struct Layout {
  FREE_IMAGE_TYPE type;
  unsigned bpp;
  bool grey;
  cmsUInt32Number format;
};

constexpr Layout kLayouts[] = {
    {FIT_BITMAP, 24, false, kBgr8},        {FIT_BITMAP, 32, false, kBgra8},
    {FIT_BITMAP, 8, true, TYPE_GRAY_8},    {FIT_RGB16, 48, false, TYPE_RGB_16},
    {FIT_RGBA16, 64, false, TYPE_RGBA_16}, {FIT_UINT16, 16, true, TYPE_GRAY_16},
    {FIT_RGBF, 96, false, TYPE_RGB_FLT},   {FIT_RGBAF, 128, false, TYPE_RGBA_FLT},
};

const Layout* layout_of(const Image& picture) {
  const bool grey = FreeImage_GetColorType(picture.get()) == FIC_MINISBLACK;
  for (const Layout& layout : kLayouts) {
    if (layout.type == type_of(picture) && layout.bpp == bpp_of(picture) &&
        (layout.type != FIT_BITMAP || layout.bpp != 8 || grey)) {
      return &layout;
    }
  }
  return nullptr;
}

}  // namespace

photocd::ColourChoice photocd_colour_choice(const Settings& settings) {
  photocd::ColourChoice choice;
  // The codes are the words' places in their families, which are the
  // enumerations' own order.
  if (settings.photocd_highlights == 1) choice.highlights = photocd::Highlights::rolloff;
  if (settings.photocd_color_space < kSpaces) {
    choice.space = static_cast<ColourSpace>(settings.photocd_color_space);
  }
  return choice;
}

const std::vector<uint8_t>& icc_profile(ColourSpace space, bool grey) {
  ProfileSet& set = profiles();
  const auto at = static_cast<size_t>(2 * static_cast<int>(space) + (grey ? 1 : 0));
  std::call_once(set.built[at], [&] { set.bytes[at] = profile_bytes(space, grey); });
  return set.bytes[at];
}

Image convert_from_srgb(Image picture, ColourSpace space) {
  if (!picture || space == ColourSpace::srgb) return picture;
  // Palettes and the rarer depths go through 24 bits, as the operations
  // take them.
  if (layout_of(picture) == nullptr) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }
  const Layout& layout = *layout_of(picture);
  const Profile from = open_profile(ColourSpace::srgb, layout.grey);
  const Profile to = open_profile(space, layout.grey);
  if (!from || !to) return Image();
  const Transform transform(cmsCreateTransform(from.get(), layout.format, to.get(), layout.format,
                                               INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_COPY_ALPHA));
  if (!transform) return Image();
  const auto width = static_cast<cmsUInt32Number>(width_of(picture));
  for (int y = 0; y < height_of(picture); ++y) {
    BYTE* row = FreeImage_GetScanLine(picture.get(), y);
    cmsDoTransform(transform.get(), row, row, width);
  }
  return picture;
}

void attach_icc_profile(FIBITMAP* picture, ColourSpace space, bool separated) {
  if (picture == nullptr || separated) return;
  const FREE_IMAGE_COLOR_TYPE kind = FreeImage_GetColorType(picture);
  if (kind == FIC_CMYK) return;
  const std::vector<uint8_t>& bytes =
      icc_profile(space, kind == FIC_MINISBLACK || kind == FIC_MINISWHITE);
  if (bytes.empty()) return;
  // FreeImage copies the bytes; its interface only lacks the const.
  FreeImage_CreateICCProfile(picture, const_cast<uint8_t*>(bytes.data()),
                             static_cast<long>(bytes.size()));
}

}  // namespace pixmera

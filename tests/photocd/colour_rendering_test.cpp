#include "photocd/colour_rendering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "photocd/ycc_to_rgb.h"

namespace pixmera::photocd {
namespace {

// One row of every luma level 0..255 at one chroma pair, so each pixel is
// exactly (Y, C1, C2): both chroma planes hold one value throughout.
YccPlanes luma_ramp(std::uint8_t c1, std::uint8_t c2) {
  YccPlanes planes{Plane(256, 2), Plane(128, 1), Plane(128, 1)};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 256; ++x) planes.luma.row(y)[x] = static_cast<std::uint8_t>(x);
  }
  std::fill(planes.chroma1.samples.begin(), planes.chroma1.samples.end(), c1);
  std::fill(planes.chroma2.samples.begin(), planes.chroma2.samples.end(), c2);
  return planes;
}

// The ramp's samples, channel after channel per pixel, on the 0..65535
// scale whatever the form.
std::vector<int> samples(const YccPlanes& planes, PixelForm form, const ColourRendering* r) {
  std::vector<std::uint8_t> bytes(256 * bytes_per_pixel(form));
  convert_pixels(planes, 0, 0, 256, form, bytes.data(), r);
  std::vector<int> values;
  for (std::size_t i = 0; i < 256 * 3; ++i) {
    values.push_back(form == PixelForm::rgb48 ? bytes[2 * i] << 8 | bytes[2 * i + 1]
                                              : bytes[i] * 257);
  }
  return values;
}

TEST(ColourRendering, RollOffLeavesTheKneeAndBelowAloneAndBringsEveryCodeUnderWhite) {
  const ColourRendering rolloff({ColourSpace::srgb, Highlights::rolloff}, true);
  const ColourRendering floats({ColourSpace::srgb, Highlights::rolloff}, false);
  const int knee = static_cast<int>(highlight_knee * 65535);
  for (const PixelForm form : {PixelForm::rgb24, PixelForm::rgb48}) {
    SCOPED_TRACE(form == PixelForm::rgb24 ? "8 bits" : "16 bits");
    for (int c1 = 0; c1 < 256; c1 += 5) {
      for (int c2 = 0; c2 < 256; c2 += 5) {
        const YccPlanes planes =
            luma_ramp(static_cast<std::uint8_t>(c1), static_cast<std::uint8_t>(c2));
        const std::vector<int> clipped = samples(planes, form, nullptr);
        const std::vector<int> rolled = samples(planes, form, &rolloff);
        for (std::size_t i = 0; i < clipped.size(); ++i) {
          if (clipped[i] < knee) {
            ASSERT_EQ(rolled[i], clipped[i]) << c1 << " " << c2 << " " << i;
          }
          ASSERT_LE(rolled[i], clipped[i]);
        }
      }
    }
    // Neutral grey up to the largest code: every luma step still shows, no
    // step is larger than the clipped conversion's (no edge at the knee),
    // and the brightest code stays under white.
    const std::vector<int> grey = samples(luma_ramp(156, 137), form, &rolloff);
    const int step = form == PixelForm::rgb24 ? 257 : 1;
    const int largest_step = samples(luma_ramp(156, 137), form, nullptr)[3 * 101] -
                             samples(luma_ramp(156, 137), form, nullptr)[3 * 100];
    for (int y = 1; y < 256; ++y) {
      const int rise = grey[3 * y] - grey[3 * (y - 1)];
      EXPECT_LE(rise, largest_step + step) << y;
      if (form == PixelForm::rgb48) {
        EXPECT_GT(rise, 0) << y;
      }
    }
    EXPECT_LE(grey[3 * 255], 65535 - 2 * step);
  }
  // Floating point keeps what PhotoYCC holds, the highlight choice aside.
  std::vector<float> white(3 * 256);
  convert_pixels(luma_ramp(156, 137), 0, 0, 256, PixelForm::rgb96f,
                 reinterpret_cast<std::uint8_t*>(white.data()), &floats);
  EXPECT_NEAR(white[3 * 255], 1.402f, 1e-4f);
  EXPECT_NEAR(white[3 * 182], 1.0f, 0.002f);
}

// The pixel loops round every product and every sum on their own, as the
// IEEE rules say, in every copy of them: a fused multiply-add rounds a
// product and a sum once, so the same picture would come out otherwise on a
// processor with AVX2 than on one without, or on Windows. Linear light in
// floating point is the decoding table's interpolation followed by the
// matrix; both are worked here as the header describes them, one product
// and one sum at a time (this file is compiled without contraction).
TEST(ColourRendering, ThePixelLoopsRoundEachProductAndSumAsWrittenOnEveryProcessor) {
  const ColourRendering rendering({ColourSpace::linear, Highlights::clip}, false);
  std::vector<float> red, green, blue;
  // Decoded values run from about -1.4 to 2.3.
  for (int k = 0; k < 4000; ++k) {
    red.push_back(-1.4f + 3.7f * static_cast<float>(k) / 4000.0f);
    green.push_back(-1.4f + 3.7f * static_cast<float>((k * 7 + 1234) % 4000) / 4000.0f);
    blue.push_back(-1.4f + 3.7f * static_cast<float>((k * 13 + 2345) % 4000) / 4000.0f);
  }
  std::vector<float> out_red = red, out_green = green, out_blue = blue;
  rendering.apply(out_red.data(), out_green.data(), out_blue.data(), static_cast<int>(red.size()));

  // The table over -2..3 in steps of 1/1280, each node the sRGB curve's
  // linear light.
  const auto node = [](int i) {
    return static_cast<float>(srgb_to_linear(static_cast<double>(i - 2 * 1280) / 1280));
  };
  const auto decode = [&node](float v) {
    const float at = (v - -2.0f) * 1280.0f;
    const int i = static_cast<int>(at);
    const float fraction = at - static_cast<float>(i);
    const float low = node(i);
    return low + fraction * (node(i + 1) - low);
  };
  const std::array<double, 9> precise = linear_srgb_to(ColourSpace::linear);
  std::array<float, 9> m{};
  std::transform(precise.begin(), precise.end(), m.begin(),
                 [](double v) { return static_cast<float>(v); });
  const auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
  int differing = 0;
  for (std::size_t i = 0; i < red.size(); ++i) {
    const float r = decode(red[i]), g = decode(green[i]), b = decode(blue[i]);
    differing += bits(m[0] * r + m[1] * g + m[2] * b) != bits(out_red[i]);
    differing += bits(m[3] * r + m[4] * g + m[5] * b) != bits(out_green[i]);
    differing += bits(m[6] * r + m[7] * g + m[8] * b) != bits(out_blue[i]);
  }
  EXPECT_EQ(differing, 0) << "of " << 3 * red.size() << " values";
}

}  // namespace
}  // namespace pixmera::photocd

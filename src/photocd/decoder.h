// Decodes one level of a Kodak Photo CD Image Pac to an upright sRGB picture.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "photocd/image_pac_header.h"
#include "photocd/level.h"
#include "photocd/plane.h"

namespace pixmera::photocd {

enum class DecodeFailure {
  none,
  not_an_image_pac,   // no Image Pac header
  level_absent,       // the header says the file stops below this level
  level_damaged,      // the level's data is missing, cut short or inconsistent
  level_unsupported,  // 64Base lives in extension files that are not read
};

struct DecodeResult {
  DecodeFailure failure = DecodeFailure::none;
  std::string why;  // for developers: what was expected and what was found
  RgbImage image;   // upright; empty unless failure == none

  explicit operator bool() const { return failure == DecodeFailure::none; }
};

// Whether `level` can be decoded at all from a file with this header: 64Base
// never (it lives in extension files), a level above the header's highest
// not. Says why in `why` when it cannot. Needs only the header, so a caller
// can refuse a request before reading the whole file.
DecodeFailure check_level_request(const ImagePacHeader& header, Level level, std::string& why);

// Decodes `level` of the Image Pac held in `file`. Every offset, table and
// code is checked against the data, so any byte sequence is safe to pass.
DecodeResult decode_image_pac(std::span<const std::uint8_t> file, Level level,
                              ChannelOrder order = ChannelOrder::rgb);

// The same at 16 bits per channel (see ycc_to_rgb48).
struct DeepDecodeResult {
  DecodeFailure failure = DecodeFailure::none;
  std::string why;
  Rgb48Image image;  // upright; empty unless failure == none

  explicit operator bool() const { return failure == DecodeFailure::none; }
};
DeepDecodeResult decode_image_pac_48(std::span<const std::uint8_t> file, Level level);

// The YCC planes of `level` as stored (landscape, not turned), for callers
// that check the decoder below the colour conversion. Luma at the level's
// size, chroma at half width and height.
struct DecodedPlanes {
  DecodeFailure failure = DecodeFailure::none;
  std::string why;
  YccPlanes planes;
  int quarter_turns = 0;

  explicit operator bool() const { return failure == DecodeFailure::none; }
};
DecodedPlanes decode_image_pac_planes(std::span<const std::uint8_t> file, Level level);

}  // namespace pixmera::photocd

// Decodes one level of a Kodak Photo CD Image Pac to an upright sRGB picture.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "photocd/image_pac_extension.h"
#include "photocd/image_pac_header.h"
#include "photocd/level.h"
#include "photocd/parallel.h"
#include "photocd/plane.h"

namespace pixmera::photocd {

enum class DecodeFailure {
  none,
  not_an_image_pac,  // no Image Pac header
  level_absent,      // the header says the file stops below this level, or
                     // 64Base without its extension
  level_damaged,     // the level's data is missing, cut short or inconsistent
};

struct DecodeResult {
  DecodeFailure failure = DecodeFailure::none;
  std::string why;  // for developers: what was expected and what was found
  RgbImage image;   // upright; empty unless failure == none

  explicit operator bool() const { return failure == DecodeFailure::none; }
};

// Whether `level` can be decoded at all from a file with this header: not a
// level above the header's highest, and 64Base only from a 16Base Image Pac
// whose extension bit is set. Says why in `why` when it cannot. Needs only
// the header, so a caller can refuse a request before reading the whole file.
DecodeFailure check_level_request(const ImagePacHeader& header, Level level, std::string& why);

// Decodes `level` of the Image Pac held in `file`; 64Base also needs the
// picture's extension (without it 64Base is absent). Every offset, table and
// code is checked against the data, so any byte sequence is safe to pass.
// The work is shared out among `threads` threads; the result, failures and
// their reasons included, is the same for any number.
DecodeResult decode_image_pac(std::span<const std::uint8_t> file, Level level,
                              ChannelOrder order = ChannelOrder::rgb,
                              const ExtensionData* extension = nullptr,
                              int threads = thread_count());

// The same at 16 bits per channel (see ycc_to_rgb48).
struct DeepDecodeResult {
  DecodeFailure failure = DecodeFailure::none;
  std::string why;
  Rgb48Image image;  // upright; empty unless failure == none

  explicit operator bool() const { return failure == DecodeFailure::none; }
};
DeepDecodeResult decode_image_pac_48(std::span<const std::uint8_t> file, Level level,
                                     const ExtensionData* extension = nullptr,
                                     int threads = thread_count());

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
DecodedPlanes decode_image_pac_planes(std::span<const std::uint8_t> file, Level level,
                                      const ExtensionData* extension = nullptr,
                                      int threads = thread_count());

// The upright picture from decoded planes, converted and turned in one pass
// (orientation.h), in bands on the decoder's threads.
DecodeResult image_from_planes(DecodedPlanes planes, ChannelOrder order,
                               int threads = thread_count());
DeepDecodeResult deep_image_from_planes(DecodedPlanes planes, int threads = thread_count());

}  // namespace pixmera::photocd

// The resolutions an Image Pac holds and how the converter's sub-image index
// picks one of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pixmera::photocd {

// Ordered from smallest to largest; the numeric order is relied on when a
// request is compared with the highest level a file declares.
enum class Level : std::uint8_t {
  base_over_16,     // 192x128, stored plainly
  base_over_4,      // 384x256, stored plainly
  base,             // 768x512, stored plainly
  four_base,        // 1536x1024, luma deltas over Base upsampled
  sixteen_base,     // 3072x2048, luma and chroma deltas over 4Base upsampled
  sixty_four_base,  // 6144x4096, luma and chroma deltas over 16Base upsampled, in the
                    // Image Pac extension beside the file
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// The landscape size a level is stored in.
Size stored_size(Level level);
std::string_view level_name(Level level);

// The sub-image index of "file.pcd[n]": 0 and 1 both give Base/16, 6 and above
// 64Base. No index means Base.
Level level_for_index(std::optional<std::uint64_t> index);

}  // namespace pixmera::photocd

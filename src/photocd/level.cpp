#include "photocd/level.h"

#include <array>

namespace pixmera::photocd {

namespace {

struct LevelRow {
  Level level;
  Size size;
  std::string_view name;
};

constexpr std::array<LevelRow, 6> level_table{{
    {Level::base_over_16, {192, 128}, "Base/16"},
    {Level::base_over_4, {384, 256}, "Base/4"},
    {Level::base, {768, 512}, "Base"},
    {Level::four_base, {1536, 1024}, "4Base"},
    {Level::sixteen_base, {3072, 2048}, "16Base"},
    {Level::sixty_four_base, {6144, 4096}, "64Base"},
}};

const LevelRow& row_for(Level level) { return level_table[static_cast<std::size_t>(level)]; }

}  // namespace

Size stored_size(Level level) { return row_for(level).size; }

std::string_view level_name(Level level) { return row_for(level).name; }

Level level_for_index(std::optional<std::uint64_t> index) {
  if (!index) return Level::base;
  switch (*index) {
    case 0:
    case 1:
      return Level::base_over_16;
    case 2:
      return Level::base_over_4;
    case 3:
      return Level::base;
    case 4:
      return Level::four_base;
    case 5:
      return Level::sixteen_base;
    default:
      return Level::sixty_four_base;
  }
}

}  // namespace pixmera::photocd

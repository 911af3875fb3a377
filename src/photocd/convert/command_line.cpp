#include "photocd/convert/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

namespace pixmera::photocd {

namespace {

constexpr std::array<std::string_view, 3> leading_options{"-quiet", "-colorspace", "sRGB"};
constexpr std::array<std::string_view, 2> orient_option{"-orient", "TopLeft"};
constexpr std::array<std::string_view, 2> depth16_option{"-depth", "16"};
constexpr std::array<std::string_view, 2> depth32_option{"-depth", "32"};
constexpr std::string_view highlights_option = "-photocd-highlights";
constexpr std::string_view colour_space_option = "-photocd-color-space";

bool has_extension(std::string_view path, std::string_view extension) {
  if (path.size() <= extension.size()) return false;
  const std::string_view tail = path.substr(path.size() - extension.size());
  return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

}  // namespace

void split_sub_image_index(std::string_view argument, std::string& path,
                           std::optional<std::uint64_t>& index) {
  path.assign(argument);
  index.reset();
  if (argument.size() < 3 || argument.back() != ']') return;
  const std::size_t open = argument.rfind('[');
  if (open == std::string_view::npos || open == 0) return;
  const std::string_view digits = argument.substr(open + 1, argument.size() - open - 2);
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return;
  }
  constexpr std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (char c : digits) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
  }
  path.assign(argument.substr(0, open));
  index = value;
}

std::optional<ConvertRequest> parse_convert_arguments(std::span<const std::string_view> arguments) {
  const auto starts_with = [&arguments](std::size_t at, std::span<const std::string_view> option) {
    return arguments.size() >= at + option.size() &&
           std::equal(option.begin(), option.end(), arguments.begin() + at);
  };
  if (!starts_with(0, leading_options)) return std::nullopt;
  std::size_t next = leading_options.size();
  if (starts_with(next, orient_option)) next += orient_option.size();
  ConvertRequest request;
  if (starts_with(next, depth16_option)) {
    request.sixteen_bits = true;
    next += depth16_option.size();
  } else if (starts_with(next, depth32_option)) {
    request.float_samples = true;
    next += depth32_option.size();
  }
  // The colour options take a word each; a word they do not know is a usage
  // error like any other.
  const auto word_after = [&](std::string_view option) -> std::optional<std::string_view> {
    if (arguments.size() < next + 2 || arguments[next] != option) return std::nullopt;
    next += 2;
    return arguments[next - 1];
  };
  if (const auto word = word_after(highlights_option)) {
    const auto highlights = highlights_from_word(*word);
    if (!highlights) return std::nullopt;
    request.colour.highlights = *highlights;
  }
  if (const auto word = word_after(colour_space_option)) {
    const auto space = colour_space_from_word(*word);
    if (!space) return std::nullopt;
    request.colour.space = *space;
  }
  if (arguments.size() != next + 2) return std::nullopt;

  split_sub_image_index(arguments[next], request.input_path, request.index);
  request.output_path.assign(arguments[next + 1]);
  // The output's name says what is written, as it does for ImageMagick.
  const std::string_view extension =
      request.float_samples ? ".pfm" : (request.sixteen_bits ? ".ppm" : ".tga");
  if (request.input_path.empty() || !has_extension(request.output_path, extension))
    return std::nullopt;
  return request;
}

}  // namespace pixmera::photocd

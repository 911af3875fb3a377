#include "photocd/convert/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

namespace pixmera::photocd {

namespace {

constexpr std::array<std::string_view, 3> leading_options{"-quiet", "-colorspace", "sRGB"};
constexpr std::array<std::string_view, 2> orient_option{"-orient", "TopLeft"};

bool has_tga_extension(std::string_view path) {
  constexpr std::string_view extension = ".tga";
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
  if (arguments.size() != 5 && arguments.size() != 7) return std::nullopt;
  if (!std::equal(leading_options.begin(), leading_options.end(), arguments.begin()))
    return std::nullopt;
  std::size_t next = leading_options.size();
  if (arguments.size() == 7) {
    if (!std::equal(orient_option.begin(), orient_option.end(), arguments.begin() + 3))
      return std::nullopt;
    next += orient_option.size();
  }

  ConvertRequest request;
  split_sub_image_index(arguments[next], request.input_path, request.index);
  request.output_path.assign(arguments[next + 1]);
  if (request.input_path.empty() || !has_tga_extension(request.output_path)) return std::nullopt;
  return request;
}

}  // namespace pixmera::photocd

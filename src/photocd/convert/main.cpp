// The PhotoCD converter shipped in the program's private folder as "convert".
// The conversion step calls it as it would call ImageMagick's convert and
// relies on three exit statuses: 0 picture written, 1 no picture, 2 usage.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "photocd/convert/run_convert.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string message;
  int status = pixmera::photocd::convert_exit_failure;
  try {
    status = pixmera::photocd::run_convert(arguments, message);
  } catch (const std::bad_alloc&) {
    message = "out of memory";
  } catch (const std::exception& error) {
    message = error.what();
  }
  if (status != pixmera::photocd::convert_exit_success && !message.empty()) {
    std::fprintf(stderr, "convert: %s\n", message.c_str());
  }
  return status;
}

// The PhotoCD converter shipped in the program's private folder as "convert"
// (convert.exe beside the program on Windows). The conversion step calls it
// as it would call ImageMagick's convert and relies on three exit statuses:
// 0 picture written, 1 no picture, 2 usage.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "photocd/convert/run_convert.h"

#ifdef _WIN32
#include <filesystem>

#include "photocd/convert/file_io.h"
#endif

namespace {

int convert_arguments(const std::vector<std::string>& words) {
  const std::vector<std::string_view> arguments(words.begin(), words.end());
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

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over in UTF-16 (wmain, linked with -municode);
// they become the UTF-8 the rest of the converter reads, so any file name
// converts whatever the ANSI code page.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> words;
  try {
    for (int i = 1; i < argc; ++i) {
      words.push_back(pixmera::photocd::utf8_of(std::filesystem::path(argv[i])));
    }
  } catch (const std::exception&) {
    // A lone surrogate has no UTF-8 form; no file of ours can have it.
    std::fprintf(stderr, "convert: an argument is not valid UTF-16\n");
    return pixmera::photocd::convert_exit_usage;
  }
  return convert_arguments(words);
}
#else
int main(int argc, char** argv) {
  return convert_arguments(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
#endif

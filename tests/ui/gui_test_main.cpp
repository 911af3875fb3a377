// The GUI tests run in-process on the display of xvfb-run: the toolkit is
// started once, as the window module starts it, then every test opens its
// own windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "pipeline/format_tables.h"
#include "platform/libraries.h"
#include "settings/catalogue.h"
#include "ui/toolkit.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  std::string why;
  if (!pixmera::ui::start_toolkit(why)) {
    std::fprintf(stderr, "The GUI tests need a display: %s\n", why.c_str());
    return 1;
  }
  pixmera::quiet_library_warnings();
  pixmera::build_input_format_table();
  pixmera::build_output_format_table();
  pixmera::build_catalogue();
  const int status = RUN_ALL_TESTS();
  pixmera::ui::stop_toolkit();
  return status;
}

#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  return pixmera::run_program_main(argc > 0 ? argv[0] : "pixmera",
                                   pixmera::program_parameters(argc, argv));
}

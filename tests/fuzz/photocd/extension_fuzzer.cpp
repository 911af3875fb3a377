// The Image Pac extension reader on a small level whose size the input
// picks: INFO.IC's header, layers, names, pointers and tables, then the
// sequence search and decoding in the .ICR files, on one or two threads.
// Input layout: fuzz_inputs.h.
#include "fuzz_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)pixmera::photocd::fuzzing::decode_extension_input({data, size});
  return 0;
}

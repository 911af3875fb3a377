// Whole files straight into the decoder, every level: the header and
// plain-level checks. The coded levels need large, mostly valid inputs; the
// rows and patch fuzzers reach them.
#include "fuzz_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pixmera::photocd::fuzzing::decode_file_input({data, size});
  return 0;
}

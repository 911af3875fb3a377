// Huffman tables and coded rows on their own, over a small level whose size
// the input picks, so every execution reaches the table parser, the sync
// search and the row decoder. Input layout: fuzz_inputs.h.
#include "fuzz_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pixmera::photocd::fuzzing::decode_rows_input({data, size});
  return 0;
}

// Real Image Pacs with small hostile changes, so the coded levels, their
// tables and the header fields that locate them are attacked inside an
// otherwise valid file. Input layout: fuzz_inputs.h. The fixtures come from
// tests/data/pcd, or from the folder PIXMERA_PHOTOCD_FUZZ_DATA names.
#include <cstdlib>

#include "fuzz_inputs.h"

namespace {

const pixmera::photocd::fuzzing::PatchTemplates& templates() {
  static const auto loaded = [] {
    const char* dir = std::getenv("PIXMERA_PHOTOCD_FUZZ_DATA");
    auto t = pixmera::photocd::fuzzing::load_patch_templates(
        dir != nullptr ? dir : PIXMERA_TEST_DATA "/pcd");
    if (t.four_base.empty() || t.sixteen_base.empty()) std::abort();
    return t;
  }();
  return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pixmera::photocd::fuzzing::decode_patch_input({data, size}, templates());
  return 0;
}

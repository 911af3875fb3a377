// Any bytes as the answer of the update server. Besides not crashing: what
// the reader accepts is a document it would accept again when written out
// plainly, its version compares equal to itself, and two version texts
// compare the same way whichever is named first.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/version_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pixmera;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  VersionDocument document;
  std::string why;
  if (parse_version_document(bytes, document, why)) {
    if (!is_version_text(document.version) || !document.download.starts_with("https://")) {
      std::abort();
    }
    if (compare_versions(document.version, document.version) != 0) std::abort();
    const std::string plain = "version = " + document.version + "\ndate = " + document.date +
                              "\ndownload = " + document.download + "\n";
    VersionDocument again;
    if (!parse_version_document(plain, again, why) || again.version != document.version ||
        again.date != document.date || again.download != document.download) {
      std::abort();
    }
  } else if (why.empty()) {
    std::abort();  // a refusal always says why
  }

  const size_t cut = bytes.find('\n');
  if (cut != std::string_view::npos) {
    const std::string_view a = bytes.substr(0, cut);
    const std::string_view b = bytes.substr(cut + 1);
    if (is_version_text(a) && is_version_text(b)) {
      const int forward = compare_versions(a, b);
      const int backward = compare_versions(b, a);
      if ((forward > 0) != (backward < 0) || (forward == 0) != (backward == 0)) std::abort();
    }
  }
  return 0;
}

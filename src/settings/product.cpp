#include "settings/product.h"

namespace pixmera {

const std::vector<std::string>& input_type_list() {
  static const std::vector<std::string> list{"pcd"};
  return list;
}

const std::vector<std::string>& accepted_conversion_list() {
  static const std::vector<std::string> list{"tiff"};
  return list;
}

std::string version_text(int32_t version) {
  // 310 -> "3.10" -> "3.1.0" -> "3.1"; 311 -> "3.1.1". The dots go before the
  // second and fourth characters of the decimal number.
  std::string text = std::to_string(version);
  if (text.size() >= 1) text.insert(1, ".");
  if (text.size() > 3) text.insert(3, ".");
  if (!text.empty() && text.back() == '0') text = text.substr(0, 3);
  return text;
}

std::string title_text() { return std::string(kProductName) + " " + version_text(kVersion); }

}  // namespace pixmera

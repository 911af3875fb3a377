#include "util/text.h"

#include <mutex>
#include <random>

#include "platform/paths.h"

namespace pixmera {

namespace {
char upper_char(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char lower_char(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::string to_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upper_char(c);
  return out;
}

std::string to_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lower_char(c);
  return out;
}

bool equals_ignore_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (upper_char(a[i]) != upper_char(b[i])) return false;
  }
  return true;
}

std::string_view trim_spaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string_view trim_blanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit = text.find(from); hit != std::string_view::npos; hit = text.find(from, pos)) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string replace_all_ignore_case(std::string_view text, std::string_view from,
                                    std::string_view to) {
  if (from.empty()) return std::string(text);
  const std::string folded_text = to_upper(text);
  const std::string folded_from = to_upper(from);
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit = folded_text.find(folded_from); hit != std::string::npos;
       hit = folded_text.find(folded_from, pos)) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.emplace_back(text.substr(start));
      return parts;
    }
    parts.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::string format_placeholders(std::string_view tmpl, std::string_view s1, std::string_view s2,
                                std::string_view s3, std::string_view s4) {
  std::string out = replace_all(tmpl, "%s1%", s1);
  out = replace_all(out, "%s2%", s2);
  out = replace_all(out, "%s3%", s3);
  return replace_all(out, "%s4%", s4);
}

std::string_view file_name_of(std::string_view path) {
  const size_t slash = path.find_last_of(kPathSeparators);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view folder_of(std::string_view path) {
  const size_t slash = path.find_last_of(kPathSeparators);
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view extension_of(std::string_view path) {
  const std::string_view name = file_name_of(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

std::string url_encoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int32_t random_between(int32_t low, int32_t high) {
  static std::mutex mutex;
  static std::mt19937 engine{std::random_device{}()};
  std::lock_guard lock(mutex);
  return std::uniform_int_distribution<int32_t>(low, high)(engine);
}

}  // namespace pixmera

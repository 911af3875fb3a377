#include "settings/version_document.h"

#include <algorithm>
#include <array>
#include <vector>

namespace pixmera {

namespace {

constexpr size_t kMaxVersionParts = 4;
constexpr size_t kMaxPartDigits = 4;
constexpr size_t kMaxDownloadLength = 300;
constexpr int64_t kSecondsPerDay = 86400;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The numbers of a version text; empty when it is none.
std::vector<int> version_parts(std::string_view text) {
  std::vector<int> parts;
  size_t start = 0;
  for (;;) {
    const size_t dot = text.find('.', start);
    const std::string_view part =
        text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (part.empty() || part.size() > kMaxPartDigits || parts.size() == kMaxVersionParts) return {};
    int value = 0;
    for (const char c : part) {
      if (!is_digit(c)) return {};
      value = value * 10 + (c - '0');
    }
    parts.push_back(value);
    if (dot == std::string_view::npos) return parts;
    start = dot + 1;
  }
}

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// YYYY-MM-DD, a day that exists, from 2000 on.
bool is_date_text(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (const size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (!is_digit(text[i])) return false;
  }
  auto number = [text](size_t at, size_t length) {
    int value = 0;
    for (size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const int year = number(0, 4);
  const int month = number(5, 2);
  const int day = number(8, 2);
  constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 2000 || month < 1 || month > 12 || day < 1) return false;
  const int last = kDays[static_cast<size_t>(month - 1)] + (month == 2 && is_leap_year(year));
  return day <= last;
}

// An https:// address with a host, of the characters an address may hold
// unescaped: no blanks, quotes, angle brackets or control characters.
bool is_download_address(std::string_view text) {
  constexpr std::string_view kScheme = "https://";
  if (!text.starts_with(kScheme) || text.size() > kMaxDownloadLength) return false;
  const std::string_view rest = text.substr(kScheme.size());
  if (rest.empty() || rest[0] == '/' || rest[0] == '.' || rest[0] == '-') return false;
  constexpr std::string_view kMarks = "-._~:/?#[]@!$&'()*+,;=%";
  for (const char c : rest) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c);
    if (!letter && kMarks.find(c) == std::string_view::npos) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// One known key: its name, where its value goes and how it is checked.
struct DocumentKey {
  std::string_view name;
  std::string VersionDocument::*field;
  bool (*valid)(std::string_view);
  std::string_view expected;
};

constexpr std::array kKeys = {
    DocumentKey{"version", &VersionDocument::version, is_version_text, "numbers separated by dots"},
    DocumentKey{"date", &VersionDocument::date, is_date_text, "a date YYYY-MM-DD"},
    DocumentKey{"download", &VersionDocument::download, is_download_address, "an https:// address"},
};

}  // namespace

bool parse_version_document(std::string_view text, VersionDocument& document, std::string& why) {
  if (text.size() > kMaxVersionDocumentBytes) {
    why = "longer than " + std::to_string(kMaxVersionDocumentBytes) + " bytes";
    return false;
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  VersionDocument found;
  std::array<bool, kKeys.size()> seen{};
  size_t line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::string where = "line " + std::to_string(line_number) + ": ";
    for (const char c : line) {
      if ((c < ' ' && c != '\t') || c > '~') {
        why = where + "a character that is not printable ASCII";
        return false;
      }
    }
    line = trimmed(line);
    if (line.empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      why = where + "no \"key = value\"";
      return false;
    }
    const std::string_view key = trimmed(line.substr(0, equals));
    const std::string_view value = trimmed(line.substr(equals + 1));
    size_t index = 0;
    while (index < kKeys.size() && kKeys[index].name != key) ++index;
    if (index == kKeys.size()) {
      why = where + "unknown key \"" + std::string(key) + "\"";
      return false;
    }
    const DocumentKey& known = kKeys[index];
    if (seen[index]) {
      why = where + "\"" + std::string(key) + "\" a second time";
      return false;
    }
    if (!known.valid(value)) {
      why = where + "\"" + std::string(key) + "\" is not " + std::string(known.expected);
      return false;
    }
    seen[index] = true;
    found.*known.field = std::string(value);
  }
  for (size_t i = 0; i < kKeys.size(); ++i) {
    if (!seen[i]) {
      why = "no \"" + std::string(kKeys[i].name) + "\"";
      return false;
    }
  }
  document = std::move(found);
  return true;
}

bool is_version_text(std::string_view text) { return !version_parts(text).empty(); }

int compare_versions(std::string_view a, std::string_view b) {
  const std::vector<int> left = version_parts(a);
  const std::vector<int> right = version_parts(b);
  for (size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
    const int x = i < left.size() ? left[i] : 0;
    const int y = i < right.size() ? right[i] : 0;
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

int32_t update_interval_days(int32_t range) {
  constexpr std::array<int32_t, 6> kDays = {1, 7, 30, 90, 180, 0};
  if (range < 0 || range >= static_cast<int32_t>(kDays.size())) return 30;
  return kDays[static_cast<size_t>(range)];
}

bool update_check_due(int32_t range, int64_t last, int64_t now) {
  const int64_t days = update_interval_days(range);
  if (days == 0) return false;
  if (last > now + kSecondsPerDay) return true;
  return now - last >= days * kSecondsPerDay;
}

}  // namespace pixmera

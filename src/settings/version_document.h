// The version document the update check fetches from the vendor's site
// (docs/update-check.md), the numeric comparison of versions, and when the
// automatic check is due. Plain C++: the window module fetches the text and
// shows the answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pixmera {

// The update address; PIXMERA_UPDATE_URL replaces it.
inline constexpr const char* kUpdateAddress = "https://www.varnelo.example/pixmera/version.txt";
// A longer answer is no version document; the fetch stops there.
inline constexpr size_t kMaxVersionDocumentBytes = 4096;

struct VersionDocument {
  std::string version;   // "3.2", "3.10.1"
  std::string date;      // its release date, "2027-03-01"
  std::string download;  // the download page, an https:// address
};

// Reads the document; anything but its exact form is refused: false, with the
// line and the reason in `why` (for the debug output), and `document` left
// as it was.
bool parse_version_document(std::string_view text, VersionDocument& document, std::string& why);

// One to four numbers of one to four digits, separated by dots.
bool is_version_text(std::string_view text);
// Compares two version texts number by number ("3.10" is above "3.9",
// "3.1" equals "3.1.0"): negative, 0 or positive. Both must pass
// is_version_text.
int compare_versions(std::string_view a, std::string_view b);

// The days between automatic checks for an "Update Range" code: 0 one day,
// 1 seven, 2 thirty, 3 ninety, 4 a hundred and eighty, 5 never (0 days);
// any other code counts as thirty.
int32_t update_interval_days(int32_t range);
// True when the automatic check should run at `now` (seconds since 1970)
// after the last check at `last`: the interval has passed, or the last check
// lies more than a day in the future (a clock that was wrong once must not
// silence the check for years).
bool update_check_due(int32_t range, int64_t last, int64_t now);

}  // namespace pixmera

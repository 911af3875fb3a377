#include <windows.h>

#include <cerrno>

#include "platform/win32_edge.h"

namespace pixmera {

std::wstring utf16_text(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string utf8_text(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int size = static_cast<int>(utf16.size());
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

bool failed_with_last_error() {
  struct Match {
    DWORD win32;
    int error;
  };
  static constexpr Match kMatches[] = {
      {ERROR_FILE_NOT_FOUND, ENOENT},    {ERROR_PATH_NOT_FOUND, ENOENT},
      {ERROR_INVALID_NAME, ENOENT},      {ERROR_ACCESS_DENIED, EACCES},
      {ERROR_SHARING_VIOLATION, EACCES}, {ERROR_LOCK_VIOLATION, EACCES},
      {ERROR_WRITE_PROTECT, EROFS},      {ERROR_DISK_FULL, ENOSPC},
      {ERROR_HANDLE_DISK_FULL, ENOSPC},  {ERROR_FILE_EXISTS, EEXIST},
      {ERROR_ALREADY_EXISTS, EEXIST},    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
      {ERROR_DIRECTORY, ENOTDIR},        {ERROR_CRC, EIO},
  };
  const DWORD code = ::GetLastError();
  errno = EIO;
  for (const Match& match : kMatches) {
    if (match.win32 == code) errno = match.error;
  }
  return false;
}

}  // namespace pixmera

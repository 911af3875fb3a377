// The file services on Windows: every path goes to the ...W functions as
// UTF-16, so a name no ANSI code page holds still opens.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/win32_edge.h"
#include "settings/product.h"
#include "util/text.h"

namespace pixmera {

namespace {

// 100-nanosecond steps from 1601 to 1970.
constexpr int64_t kUnixEpochInFileTime = 116444736000000000LL;
constexpr int64_t kFileTimeStepsPerSecond = 10000000LL;

struct HandleClose {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};
using FileHandle = std::unique_ptr<void, HandleClose>;

FileHandle open_handle(const std::string& path, DWORD access, DWORD disposition, DWORD flags = 0) {
  HANDLE handle =
      ::CreateFileW(utf16_text(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    disposition, flags | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    failed_with_last_error();
    return FileHandle(nullptr);
  }
  return FileHandle(handle);
}

bool attributes_of(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  if (path.empty()) return false;
  if (::GetFileAttributesExW(utf16_text(path).c_str(), GetFileExInfoStandard, &data) == 0) {
    return failed_with_last_error();
  }
  return true;
}

}  // namespace

int64_t file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!attributes_of(path, data)) return kFileMissing;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kFileIsFolder;
  return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                              data.nFileSizeLow);
}

bool file_exists(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return attributes_of(path, data);
}

bool delete_file(const std::string& path) {
  return ::DeleteFileW(utf16_text(path).c_str()) != 0 || failed_with_last_error();
}

bool file_modified_time(const std::string& path, int64_t& seconds) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!attributes_of(path, data)) return false;
  const int64_t steps =
      static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime);
  // Whole seconds, rounded down also before 1970.
  const int64_t since_epoch = steps - kUnixEpochInFileTime;
  seconds = since_epoch >= 0
                ? since_epoch / kFileTimeStepsPerSecond
                : -((-since_epoch + kFileTimeStepsPerSecond - 1) / kFileTimeStepsPerSecond);
  return true;
}

bool set_file_modified_time(const std::string& path, int64_t seconds) {
  // FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened too.
  const FileHandle file =
      open_handle(path, FILE_WRITE_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (!file) return false;
  const uint64_t steps =
      static_cast<uint64_t>(seconds * kFileTimeStepsPerSecond + kUnixEpochInFileTime);
  FILETIME written{static_cast<DWORD>(steps & 0xFFFFFFFFu), static_cast<DWORD>(steps >> 32)};
  // Null times are left as they are: only the modification time changes.
  return ::SetFileTime(file.get(), nullptr, nullptr, &written) != 0 || failed_with_last_error();
}

std::string make_temporary_file(const std::string& folder, std::string_view prefix,
                                std::string_view suffix) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = folder + std::string(prefix);
    for (int i = 0; i < 8; ++i) name += kLetters[random_between(0, sizeof kLetters - 2)];
    name += suffix;
    if (open_handle(name, GENERIC_WRITE, CREATE_NEW)) return name;
    if (errno != EEXIST) return {};
  }
  return {};
}

std::FILE* open_file(const std::string& path, const char* mode) {
  return ::_wfopen(utf16_text(path).c_str(), utf16_text(mode).c_str());
}

bool rename_file(const std::string& from, const std::string& to) {
  return ::MoveFileExW(utf16_text(from).c_str(), utf16_text(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0 ||
         failed_with_last_error();
}

bool same_file(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION info[2]{};
  const std::string* paths[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    const FileHandle file = open_handle(*paths[i], 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (!file || ::GetFileInformationByHandle(file.get(), &info[i]) == 0) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
         info[0].nFileIndexLow == info[1].nFileIndexLow;
}

bool write_file_atomically(const std::string& path, std::string_view bytes) {
  const size_t cut = path.find_last_of(kPathSeparators) + 1;
  const std::string folder = path.substr(0, cut);
  const std::string temp = make_temporary_file(folder, "." + path.substr(cut) + ".", ".tmp");
  if (temp.empty()) return false;
  bool ok = false;
  {
    const FileHandle file = open_handle(temp, GENERIC_WRITE, TRUNCATE_EXISTING);
    ok = static_cast<bool>(file);
    size_t done = 0;
    while (ok && done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) == 0 ||
          written == 0) {
        ok = failed_with_last_error();
      }
      done += written;
    }
    if (ok && ::FlushFileBuffers(file.get()) == 0) ok = failed_with_last_error();
  }
  if (ok && ::MoveFileExW(utf16_text(temp).c_str(), utf16_text(path).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    ok = failed_with_last_error();
  }
  if (!ok) {
    const int error = errno;
    ::DeleteFileW(utf16_text(temp).c_str());
    errno = error;
  }
  return ok;
}

int file_read_error(const std::string& path) {
  const FileHandle file = open_handle(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
  if (!file) return errno;
  static constexpr DWORD kChunk = DWORD{1} << 16;
  auto buffer = std::make_unique<char[]>(kChunk);
  for (;;) {
    DWORD got = 0;
    if (::ReadFile(file.get(), buffer.get(), kChunk, &got, nullptr) == 0) {
      failed_with_last_error();
      return errno;
    }
    if (got == 0) return 0;
  }
}

std::string program_folder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return ".\\";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);  // a long path: the name was cut short
  }
  const std::string exe = utf8_text(buffer);
  return exe.substr(0, exe.find_last_of(kPathSeparators) + 1);
}

// Ours is installed beside the program, as the converter always was.
std::string private_folder() { return program_folder(); }

namespace {

// SHGetKnownFolderPath, with shell32 loaded only here: linked, it would load
// user32, gdi32 and ole32 at every start, which under wine costs more than
// the whole of "pixmeracmd -v". Empty when the system does not answer.
std::string known_folder(const GUID& id, DWORD flags) {
  using KnownFolderPath = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
  using TaskMemFree = void(WINAPI*)(void*);
  const HMODULE shell = ::LoadLibraryW(L"shell32.dll");
  const HMODULE ole = ::LoadLibraryW(L"ole32.dll");
  if (shell == nullptr || ole == nullptr) return {};
  const auto known_folder_path = reinterpret_cast<KnownFolderPath>(
      reinterpret_cast<void*>(::GetProcAddress(shell, "SHGetKnownFolderPath")));
  const auto task_mem_free = reinterpret_cast<TaskMemFree>(
      reinterpret_cast<void*>(::GetProcAddress(ole, "CoTaskMemFree")));
  if (known_folder_path == nullptr || task_mem_free == nullptr) return {};
  PWSTR known = nullptr;
  std::string folder;
  if (known_folder_path(id, flags, nullptr, &known) == S_OK) folder = utf8_text(known);
  task_mem_free(known);
  return with_trailing_separator(std::move(folder));
}

constexpr DWORD kCreate = 0x00008000;      // KF_FLAG_CREATE
constexpr DWORD kDontVerify = 0x00004000;  // KF_FLAG_DONT_VERIFY: the path even if missing
constexpr GUID kRoamingAppData = {
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
constexpr GUID kProfile = {
    0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}};
constexpr GUID kPictures = {
    0x33E28130, 0x4E1E, 0x4676, {0x83, 0x5A, 0x98, 0x39, 0x5C, 0x3B, 0xC3, 0xBB}};

}  // namespace

std::string documentation_folder() { return program_folder() + "docs\\"; }

std::string home_folder() {
  const std::string folder = known_folder(kProfile, kDontVerify);
  return folder.empty() ? std::string("C:\\") : folder;
}

std::string pictures_folder_text() {
  const std::string folder = known_folder(kPictures, kDontVerify);
  return folder.empty() ? home_folder() + "Pictures\\" : folder;
}

std::string disc_folder_text() { return "D:\\"; }

std::string configuration_folder() {
  std::string base = known_folder(kRoamingAppData, kCreate);
  if (base.empty()) base = program_folder();
  const std::string folder = base + kVendorName + "\\" + kShortName + "\\";
  make_folders(folder);
  return folder;
}

}  // namespace pixmera

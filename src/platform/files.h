// File system services: sizes, folders, deletion, times, atomic replacement.
// Paths are UTF-8; folder texts end in the system's separator ("/" on Linux,
// "\" on Windows, platform/paths.h). Failures leave errno set, so callers
// can report why.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace pixmera {

inline constexpr int64_t kFileMissing = -1;
inline constexpr int64_t kFileIsFolder = -2;

// The size in bytes of a regular file; kFileMissing when there is nothing
// readable at the path, kFileIsFolder for a folder.
int64_t file_size(const std::string& path);
bool file_exists(const std::string& path);
bool is_folder(const std::string& path);
bool delete_file(const std::string& path);
// Creates the folder and its parents; true when it exists afterwards.
bool make_folders(const std::string& path);

// Modification time in seconds since 1970; false when it cannot be read.
bool file_modified_time(const std::string& path, int64_t& seconds);
bool set_file_modified_time(const std::string& path, int64_t seconds);

// Writes the bytes to a temporary file in the same folder, flushes it to disk
// and renames it over `path`, so a crash or a full disk leaves either the old
// file or the new one, never a half-written one.
bool write_file_atomically(const std::string& path, std::string_view bytes);
bool read_file(const std::string& path, std::string& bytes);
// std::fopen by a UTF-8 path (_wfopen on Windows); nullptr on failure.
std::FILE* open_file(const std::string& path, const char* mode);
// Reads the whole file and throws the bytes away: 0 when every byte could be
// read, else the errno of the open or read that failed ("Permission denied",
// "Input/output error" on a damaged disc).
int file_read_error(const std::string& path);

// A fresh, unused file name in `folder` (created empty) that
// starts with `prefix`; empty when none could be made.
std::string make_temporary_file(const std::string& folder, std::string_view prefix,
                                std::string_view suffix);
bool rename_file(const std::string& from, const std::string& to);
// True when both paths name the same existing file (same device and inode,
// same volume and file index on Windows).
bool same_file(const std::string& a, const std::string& b);

// The folder of the running executable, with a trailing separator.
std::string program_folder();
// The folder that holds the private helper programs and modules:
// <prefix>/lib/pixmera/ on Linux, the program's own folder on Windows.
std::string private_folder();
// The folder of the installed documentation (the HTML manual), with a
// trailing separator: <prefix>/share/doc/pixmera/ beside bin/ on Linux, the
// program's docs\ on Windows.
std::string documentation_folder();
// The user's home folder, with a trailing separator: $HOME on Linux (the
// root when unset), the user's profile folder on Windows
// ("C:\Users\<name>\").
std::string home_folder();
// The user's pictures folder as the user writes it, with a trailing
// separator: "~/Pictures/" on Linux (a path the window takes from the home
// folder), the Pictures known folder on Windows
// ("C:\Users\<name>\Pictures\").
std::string pictures_folder_text();
// The folder a disc in the drive is read from, as the user writes it, for
// sample paths: "/media/cdrom/" on Linux, "D:\" on Windows.
std::string disc_folder_text();
// Linux: $XDG_CONFIG_HOME/Varnelo/pixmera/ (or ~/.config/...). Windows:
// <Roaming AppData>\Varnelo\pixmera\. Created when missing.
std::string configuration_folder();

}  // namespace pixmera

// Path texts as the running system writes them: "/" on Linux; "\" on
// Windows, where "/" typed by a user is read as "\" and a drive letter or a
// leading "\" (UNC "\\server\share\" included) makes a path absolute. Paths
// are UTF-8 everywhere inside the program.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pixmera {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// Both are separators when a path is taken apart.
inline constexpr std::string_view kPathSeparators = "\\/";
// Programs end in ".exe"; modules are DLLs without a "lib" prefix.
inline constexpr std::string_view kProgramSuffix = ".exe";
inline constexpr std::string_view kModulePrefix = "";
inline constexpr std::string_view kModuleSuffix = ".dll";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kPathSeparators = "/";
inline constexpr std::string_view kProgramSuffix = "";
inline constexpr std::string_view kModulePrefix = "lib";
inline constexpr std::string_view kModuleSuffix = ".so";
#endif

inline bool is_path_separator(char c) { return kPathSeparators.find(c) != std::string_view::npos; }

// Linux: begins with "/". Windows: holds ":" (a drive letter) or begins with
// "\" or "/".
bool is_absolute_path(std::string_view path);

// The path with every separator written the system's way ("/" as "\" on
// Windows; unchanged on Linux).
std::string native_separators(std::string path);

// A folder text as folders are kept: ending in the system's separator
// ("C:\x" becomes "C:\x\", "/x" "/x/"); an empty text stays empty.
std::string with_trailing_separator(std::string folder);

// The file name of a loadable module: "libNAME.so" or "NAME.dll".
std::string module_file_name(std::string_view name);

// A std::filesystem path from a UTF-8 text and back. Windows' narrow
// std::filesystem conversions use the ANSI code page, which cannot hold
// every name; these keep every character on both systems.
std::filesystem::path file_system_path(std::string_view utf8);
std::string utf8_path(const std::filesystem::path& path);

}  // namespace pixmera

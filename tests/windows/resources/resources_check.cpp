// Prints what Windows reads from this program's own resources, one
// "name=value" line each, for tests/windows/resources_test.sh to compare:
// the version information (GetFileVersionInfoW), the manifest and what it
// switches on (common controls 6, DPI awareness, long paths), and every
// picture of the application icon. Given a file, it reads that program's
// resources instead (all but what the loader made of the manifest).

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The program whose resources are read: this one, or the file given.
HMODULE module = nullptr;
std::wstring module_path;

std::string utf8(const wchar_t* text, int length = -1) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), bytes, nullptr, nullptr);
  if (length < 0 && !out.empty()) out.pop_back();
  return out;
}

void print(const char* name, const std::string& value) {
  std::printf("%s=%s\n", name, value.c_str());
}

void version_information() {
  const wchar_t* path = module_path.c_str();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) {
    print("version", "missing");
    return;
  }
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(path, 0, size, block.data())) {
    print("version", "unreadable");
    return;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    auto dotted = [](DWORD high, DWORD low) {
      return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
             std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
    };
    print("fixed.file_version", dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    print("fixed.product_version", dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    print("fixed.file_type",
          fixed->dwFileType == VFT_APP ? "app" : std::to_string(fixed->dwFileType));
  }
  // The string table the translation record names.
  struct Translation {
    WORD language, code_page;
  }* translation = nullptr;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(Translation)) {
    print("version.translation", "missing");
    return;
  }
  wchar_t table[64];
  wsprintfW(table, L"\\StringFileInfo\\%04x%04x\\", translation->language, translation->code_page);
  print("version.translation", utf8(table));
  for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                              L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
    std::wstring query = std::wstring(table) + name;
    wchar_t* value = nullptr;
    std::string key = "version." + utf8(name);
    if (VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) &&
        value) {
      print(key.c_str(), utf8(value));
    } else {
      print(key.c_str(), "(none)");
    }
  }
}

void manifest() {
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  if (!resource) {
    print("manifest", "missing");
    return;
  }
  const char* text = static_cast<const char*>(LockResource(LoadResource(module, resource)));
  std::string xml(text, SizeofResource(module, resource));
  // The settings as written, so a test sees each one.
  auto between = [&](const std::string& open, const std::string& close) {
    std::size_t at = xml.find(open);
    if (at == std::string::npos) return std::string("(none)");
    at = xml.find('>', at) + 1;
    return xml.substr(at, xml.find(close, at) - at);
  };
  print("manifest.dpiAware", between("<dpiAware", "</dpiAware>"));
  print("manifest.dpiAwareness", between("<dpiAwareness", "</dpiAwareness>"));
  print("manifest.longPathAware", between("<longPathAware", "</longPathAware>"));
  print("manifest.activeCodePage", between("<activeCodePage", "</activeCodePage>"));
  print("manifest.common_controls",
        xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") !=
                std::string::npos
            ? "6.0.0.0"
            : "(none)");

  if (module != GetModuleHandleW(nullptr)) return;

  // What the loader made of it: the common controls this process got (the
  // side-by-side assembly the manifest asked for, not the system folder's
  // version 5), and its DPI awareness.
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  if (!comctl) comctl = LoadLibraryW(L"comctl32.dll");
  wchar_t comctl_path[MAX_PATH] = L"";
  if (comctl) GetModuleFileNameW(comctl, comctl_path, MAX_PATH);
  std::string loaded = utf8(comctl_path);
  CharLowerBuffA(loaded.data(), static_cast<DWORD>(loaded.size()));
  const std::string assembly = "microsoft.windows.common-controls_6595b64144ccf1df_";
  std::size_t at = loaded.find(assembly);
  print("loaded.common_controls",
        at == std::string::npos
            ? "system (" + loaded + ")"
            : loaded.substr(at + assembly.size(),
                            loaded.find('_', at + assembly.size()) - at - assembly.size()));
  DPI_AWARENESS awareness = GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext());
  print("loaded.dpi_awareness", awareness == DPI_AWARENESS_PER_MONITOR_AWARE ? "per-monitor"
                                : awareness == DPI_AWARENESS_SYSTEM_AWARE    ? "system"
                                : awareness == DPI_AWARENESS_UNAWARE         ? "unaware"
                                                                             : "invalid");
}

// The first icon group, as Explorer takes it, and each of its pictures
// loaded at its own size.
void icon() {
  std::wstring first;
  EnumResourceNamesW(
      module, RT_GROUP_ICON,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
        auto* result = reinterpret_cast<std::wstring*>(found);
        *result = IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name))
                                       : std::wstring(name);
        return FALSE;
      },
      reinterpret_cast<LONG_PTR>(&first));
  print("icon.first_group", first.empty() ? "(none)" : utf8(first.c_str()));
  if (first.empty() || first[0] == L'#') return;

  HRSRC resource = FindResourceW(module, first.c_str(), RT_GROUP_ICON);
  const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
  const DWORD group_size = SizeofResource(module, resource);
  if (!group || group_size < 6) return;
  const WORD count = *reinterpret_cast<const WORD*>(group + 4);
  std::string sizes;
  // Group entries are 14 bytes: width, height, colours, reserved, planes,
  // bit count, bytes in the picture, picture id.
  for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= group_size; ++i) {
    const BYTE* entry = group + 6 + 14 * i;
    const int size = entry[0] == 0 ? 256 : entry[0];
    const int depth = *reinterpret_cast<const WORD*>(entry + 6);
    HICON handle = static_cast<HICON>(LoadImageW(module, first.c_str(), IMAGE_ICON, size, size, 0));
    int loaded = 0;
    ICONINFO parts{};
    if (handle && GetIconInfo(handle, &parts)) {
      BITMAP bitmap{};
      GetObjectW(parts.hbmColor ? parts.hbmColor : parts.hbmMask, sizeof bitmap, &bitmap);
      loaded = bitmap.bmWidth;
      if (parts.hbmColor) DeleteObject(parts.hbmColor);
      if (parts.hbmMask) DeleteObject(parts.hbmMask);
    }
    if (handle) DestroyIcon(handle);
    if (!sizes.empty()) sizes += ',';
    sizes += std::to_string(size) + "x" + std::to_string(depth) + (loaded == size ? "" : "!");
  }
  print("icon.pictures", sizes);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1) {
    module_path = argv[1];
    module =
        LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
      print("file", "unreadable");
      return 1;
    }
  } else {
    module = GetModuleHandleW(nullptr);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    module_path = path;
  }
  version_information();
  manifest();
  icon();
  return 0;
}

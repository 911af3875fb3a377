/* Stands in for a program of the Windows build that is not built yet
 * (pixmera.exe, pixmeracmd.exe, convert.exe) when the installer is tested.
 * It does no work: it notes each start, its own path and its arguments, in
 * %TEMP%\pixmera-stand-in.log, so the test sees whether, how and from where
 * the installer or uninstaller ran it. When PIXMERA_STAND_IN_WATCH names a
 * file, the line also says whether that file existed at the start. */

#include <stdio.h>
#include <wchar.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  wchar_t log[MAX_PATH], self[MAX_PATH];
  DWORD length = GetTempPathW(MAX_PATH, log);
  if (length == 0 || length > MAX_PATH - 32) return 1;
  wcscat(log, L"pixmera-stand-in.log");
  GetModuleFileNameW(NULL, self, MAX_PATH);
  FILE* out = _wfopen(log, L"a, ccs=UTF-8");
  if (!out) return 1;
  fwprintf(out, L"%ls", self);
  for (int i = 1; i < argc; ++i) fwprintf(out, L" %ls", argv[i]);
  wchar_t watch[MAX_PATH];
  DWORD watch_length = GetEnvironmentVariableW(L"PIXMERA_STAND_IN_WATCH", watch, MAX_PATH);
  if (watch_length > 0 && watch_length < MAX_PATH) {
    fwprintf(out, L" (watched file %ls)",
             GetFileAttributesW(watch) == INVALID_FILE_ATTRIBUTES ? L"absent" : L"present");
  }
  fwprintf(out, L"\n");
  fclose(out);
  return 0;
}

/* Stands in for a converter that hangs, in the console test of the Windows
 * build: it starts a copy of itself (with any argument, so the copy does not
 * start another) and then, like that copy, writes a growing count to the
 * file %PIXMERA_TEST_BEAT% every 50 ms, forever. The program must end both
 * at its time limit, so the count stops. */

#include <stdio.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  (void)argv;
  if (argc > 1) {
    wchar_t self[MAX_PATH];
    wchar_t line[MAX_PATH + 16];
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION started;
    GetModuleFileNameW(NULL, self, MAX_PATH);
    swprintf(line, MAX_PATH + 16, L"\"%ls\"", self);
    if (CreateProcessW(self, line, NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &startup,
                       &started)) {
      CloseHandle(started.hProcess);
      CloseHandle(started.hThread);
    }
  }
  wchar_t beat[MAX_PATH];
  if (GetEnvironmentVariableW(L"PIXMERA_TEST_BEAT", beat, MAX_PATH) == 0) return 1;
  for (long count = 1;; ++count) {
    FILE* out = _wfopen(beat, L"w");
    if (out) {
      fprintf(out, "%ld", count);
      fclose(out);
    }
    Sleep(50);
  }
}

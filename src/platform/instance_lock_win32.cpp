// The single-instance lock on Windows: a mutex named by the title text in the
// session namespace, so copies in one logon session exclude each other and
// other users' sessions are left alone.
#include <windows.h>

#include <mutex>
#include <vector>

#include "platform/instance_lock.h"
#include "platform/win32_edge.h"

namespace pixmera {

namespace {

// The callers keep an int; the mutex handles live here, indexed by it.
std::mutex g_lock;
std::vector<HANDLE> g_mutexes;

}  // namespace

int take_instance_lock(const std::string& name) {
  // "\" separates a namespace from the name; none may stand in the name.
  std::wstring object = L"Local\\" + utf16_text(name);
  for (size_t i = 6; i < object.size(); ++i) {
    if (object[i] == L'\\') object[i] = L'_';
  }
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, object.c_str());
  if (mutex == nullptr) return -1;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return -1;
  }
  const std::lock_guard<std::mutex> hold(g_lock);
  g_mutexes.push_back(mutex);
  return static_cast<int>(g_mutexes.size() - 1);
}

void release_instance_lock(int handle) {
  const std::lock_guard<std::mutex> hold(g_lock);
  if (handle < 0 || static_cast<size_t>(handle) >= g_mutexes.size()) return;
  if (g_mutexes[static_cast<size_t>(handle)] != nullptr) {
    ::CloseHandle(g_mutexes[static_cast<size_t>(handle)]);
    g_mutexes[static_cast<size_t>(handle)] = nullptr;
  }
}

}  // namespace pixmera

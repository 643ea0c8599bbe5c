#include "core/image_lock.h"

#include <windows.h>

#include "core/win32_host.h"

namespace agat {

const char* const IMAGE_LOCK_SUFFIX = ".lock";

bool open_lock_file(const std::string& path, std::intptr_t& handle) {
  HANDLE h = CreateFileW(wide_of_utf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle = reinterpret_cast<std::intptr_t>(h);
  return true;
}

// The lock file is never replaced.
bool lock_names_file(std::intptr_t, const std::string&) {
  return true;
}

bool try_lock_file(std::intptr_t handle) {
  OVERLAPPED at{};
  return LockFileEx(reinterpret_cast<HANDLE>(handle),
                    LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

void close_lock_file(std::intptr_t handle) {
  CloseHandle(reinterpret_cast<HANDLE>(handle));
}

void pause_lock_wait(int ms) {
  Sleep(static_cast<DWORD>(ms));
}

}  // namespace agat

#include "core/host_calls_win32.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "core/host_file_faults.h"
#include "core/win32_host.h"

namespace agat {

namespace {

// A single ReadFile or WriteFile moves at most this much.
constexpr std::size_t kChunk = 1u << 30;

}  // namespace

HostHandle host_open_file(const std::string& path, bool create, unsigned long access,
                          unsigned long attributes) {
  HostFileFault fault;
  if (host_call_faulted(create ? HostFileCall::create : HostFileCall::open, fault))
    return INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileW(wide_of_utf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, create ? CREATE_NEW : OPEN_EXISTING,
                            attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) errno_from_last_error();
  return file;
}

bool host_read_file(HostHandle file, void* data, std::size_t size, std::size_t& got) {
  got = 0;
  HostFileFault fault;
  if (host_call_faulted(HostFileCall::read, fault)) return false;
  DWORD n = 0;
  const auto want = static_cast<DWORD>(std::min({size, fault.limit, kChunk}));
  if (!ReadFile(file, data, want, &n, nullptr)) {
    errno_from_last_error();
    return false;
  }
  got = n;
  return true;
}

bool host_write_file(HostHandle file, const void* data, std::size_t size, std::size_t& put) {
  put = 0;
  HostFileFault fault;
  if (host_call_faulted(HostFileCall::write, fault)) return false;
  DWORD n = 0;
  const auto want = static_cast<DWORD>(std::min({size, fault.limit, kChunk}));
  if (!WriteFile(file, data, want, &n, nullptr)) {
    errno_from_last_error();
    return false;
  }
  put = n;
  return true;
}

bool host_flush_file(HostHandle file) {
  HostFileFault fault;
  if (host_call_faulted(HostFileCall::sync, fault)) return false;
  if (FlushFileBuffers(file)) return true;
  errno_from_last_error();
  return false;
}

bool host_rename_over(const std::string& from, const std::string& to) {
  HostFileFault fault;
  if (host_call_faulted(HostFileCall::rename, fault)) return false;
  const std::wstring source = wide_of_utf8(from), target = wide_of_utf8(to);
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileW(target.c_str(), source.c_str(), nullptr,
                   REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                   nullptr))
    return true;
  // ReplaceFileW may refuse where a rename can do (some file systems and network shares),
  // and when it fails to move the new file in after taking the old one away, the name is
  // free for it: either way the rename puts the complete new file in place.
  if (MoveFileExW(source.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno_from_last_error();
  return false;
}

}  // namespace agat

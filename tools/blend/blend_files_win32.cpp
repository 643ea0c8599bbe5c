#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "blend_files.h"
#include "core/host_calls_win32.h"
#include "core/win32_host.h"

namespace blend {

namespace {

using agat::HostHandle;

// The attribute bits Windows keeps for a file: read-only, hidden, system, directory,
// archive. Directories are not listed, so 0x10 never appears.
constexpr DWORD kDosBits = 0x37;

}  // namespace

void list_directory(const std::function<void(const TDIRENTRY&)>& visit) {
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW(L"*", &found);
  if (listing == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return;
    throw_file_error("list", "the current directory", agat::errno_from_last_error());
  }
  struct CLOSER {
    HANDLE h;
    ~CLOSER() { FindClose(h); }
  } closer{listing};
  do {
    TDIRENTRY e;
    e.NAME = agat::utf8_of_wide(found.cFileName);
    e.DIRECTORY = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.REGULAR = !e.DIRECTORY && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    e.SIZE = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    e.ATTR = found.dwFileAttributes & kDosBits;
    visit(e);
  } while (FindNextFileW(listing, &found));
  if (GetLastError() != ERROR_NO_MORE_FILES)
    throw_file_error("list", "the current directory", agat::errno_from_last_error());
}

void read_whole_file(const std::string& name, void* data, std::size_t size) {
  HostHandle file = agat::host_open_file(name, false, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) throw_file_error("open", name, errno);
  auto* dst = static_cast<char*>(data);
  std::size_t got = 0;
  while (got < size) {
    std::size_t n = 0;
    if (!agat::host_read_file(file, dst + got, size - got, n)) {
      const int err = errno;
      CloseHandle(file);
      throw_file_error("read", name, err);
    }
    if (n == 0) {
      CloseHandle(file);
      throw_file_error("read", name, "the file is shorter than " + std::to_string(size) + " bytes");
    }
    got += n;
  }
  CloseHandle(file);
}

void write_whole_file(const std::string& name, const void* data, std::size_t size) {
  std::random_device random;
  std::string tmp;
  HostHandle file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%06x", random() & 0xFFFFFFu);
    tmp = std::string(".blend-") + suffix;
    file = agat::host_open_file(tmp, true, GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE && errno != EEXIST) break;
  }
  if (file == INVALID_HANDLE_VALUE) throw_file_error("create", name, errno);
  const auto* src = static_cast<const char*>(data);
  std::size_t put = 0;
  int err = 0;
  while (err == 0 && put < size) {
    std::size_t n = 0;
    if (!agat::host_write_file(file, src + put, size - put, n))
      err = errno;
    else if (n == 0)
      err = EIO;
    put += n;
  }
  const bool replaces =
      GetFileAttributesW(agat::wide_of_utf8(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  if (err == 0 && replaces && !agat::host_flush_file(file)) err = errno;
  if (!CloseHandle(file) && err == 0) err = agat::errno_from_last_error();
  if (err != 0) {
    DeleteFileW(agat::wide_of_utf8(tmp).c_str());
    throw_file_error("write", name, err);
  }
  if (!agat::host_rename_over(tmp, name)) {
    err = errno;
    DeleteFileW(agat::wide_of_utf8(tmp).c_str());
    throw_file_error("create", name, err);
  }
}

}  // namespace blend

#include "core/host_fs.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "core/host_paths.h"
#include "core/win32_host.h"

namespace agat {

namespace {

std::uint64_t size_of(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

HostStatus missing() {
  HostStatus s;
  s.error = errno_from_last_error();
  return s;
}

// What a symbolic link (a reparse point) leads to, through a handle of the target; a link
// that leads nowhere is `other`.
HostStatus followed(const std::wstring& path) {
  HostStatus s;
  s.kind = HostKind::other;
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return s;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(h, &info)) {
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      s.kind = HostKind::directory;
    } else if (GetFileType(h) == FILE_TYPE_DISK) {
      s.kind = HostKind::regular;
      s.size = size_of(info.nFileSizeHigh, info.nFileSizeLow);
    }
  }
  CloseHandle(h);
  return s;
}

HostStatus status_of(const std::wstring& path, DWORD attributes, std::uint64_t size, bool follow) {
  HostStatus s;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    return follow ? followed(path) : HostStatus{HostKind::other, 0, 0};
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    s.kind = HostKind::directory;
  } else {
    s.kind = HostKind::regular;
    s.size = size;
  }
  return s;
}

// Why PATH is missing: Windows says "no such path" alike for a folder that is not there and
// for a path that leads through a file, which POSIX tells apart as ENOTDIR.
HostStatus missing(const std::string& path) {
  HostStatus s = missing();
  const std::size_t start = host_name_start(path);
  if (s.error == ENOENT && GetLastError() == ERROR_PATH_NOT_FOUND && start > 1) {
    const DWORD parent = GetFileAttributesW(wide_of_utf8(path.substr(0, start - 1)).c_str());
    if (parent != INVALID_FILE_ATTRIBUTES && (parent & FILE_ATTRIBUTE_DIRECTORY) == 0)
      s.error = errno = ENOTDIR;
  }
  return s;
}

HostStatus status(const std::string& path, bool follow) {
  const std::wstring wide = wide_of_utf8(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return missing(path);
  return status_of(wide, data.dwFileAttributes, size_of(data.nFileSizeHigh, data.nFileSizeLow),
                   follow);
}

bool succeeded(BOOL done) {
  if (!done) errno_from_last_error();
  return done != 0;
}

HANDLE handle_of(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

bool identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileW(wide_of_utf8(path).c_str(), 0,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

}  // namespace

HostStatus host_status(const std::string& path) {
  return status(path, true);
}

HostStatus host_link_status(const std::string& path) {
  return status(path, false);
}

bool same_host_object(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!identity(a, ia) || !identity(b, ib)) return a == b;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

struct HostDirectory::Listing {
  HANDLE find = INVALID_HANDLE_VALUE;
  std::wstring dir;
  WIN32_FIND_DATAW data{};
  bool pending = false;  // `data` holds an entry not yet handed out
};

HostDirectory::~HostDirectory() {
  if (listing_ != nullptr && listing_->find != INVALID_HANDLE_VALUE) FindClose(listing_->find);
  delete listing_;
}

bool HostDirectory::open(const std::string& dir) {
  auto* listing = new Listing;
  listing->dir = wide_of_utf8(dir);
  listing->find = FindFirstFileExW((listing->dir + L"*").c_str(), FindExInfoBasic, &listing->data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  // A drive root without entries has not even "." to find.
  if (listing->find == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) {
    errno_from_last_error();
    delete listing;
    return false;
  }
  listing->pending = listing->find != INVALID_HANDLE_VALUE;
  listing_ = listing;
  return true;
}

bool HostDirectory::next(HostEntry& entry) {
  Listing& l = *listing_;
  while (l.pending) {
    const WIN32_FIND_DATAW found = l.data;
    l.pending = FindNextFileW(l.find, &l.data) != 0;
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const HostStatus s = status_of(l.dir + std::wstring(name), found.dwFileAttributes,
                                   size_of(found.nFileSizeHigh, found.nFileSizeLow), true);
    entry.name = utf8_of_wide(name);
    entry.kind = s.kind;
    entry.size = s.size;
    return true;
  }
  return false;
}

bool remove_host_file(const std::string& path) {
  return succeeded(DeleteFileW(wide_of_utf8(path).c_str()));
}

bool remove_host_directory(const std::string& path) {
  return succeeded(RemoveDirectoryW(wide_of_utf8(path).c_str()));
}

bool make_host_directory(const std::string& path) {
  return succeeded(CreateDirectoryW(wide_of_utf8(path).c_str(), nullptr));
}

bool rename_host_entry(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING an existing entry of the new name is never replaced.
  return succeeded(MoveFileExW(wide_of_utf8(from).c_str(), wide_of_utf8(to).c_str(), 0));
}

bool host_file_writable(const std::string& path) {
  HANDLE h = CreateFileW(wide_of_utf8(path).c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

HostFile::~HostFile() {
  if (handle_ != -1) CloseHandle(handle_of(handle_));
}

bool HostFile::open(const std::string& path, bool writable) {
  HANDLE h = CreateFileW(wide_of_utf8(path).c_str(), GENERIC_READ | (writable ? GENERIC_WRITE : 0),
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno_from_last_error();
    return false;
  }
  // A name Windows keeps for a device ("CON", "NUL" ...) opens the device, which may never
  // answer a read: it is no file.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    errno = ENXIO;
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return true;
}

bool HostFile::is_regular() const {
  return handle_ != -1;  // open takes nothing but files on disk
}

bool HostFile::read(void* data, std::size_t size, std::size_t& got) {
  got = 0;
  while (got < size) {
    DWORD n = 0;
    const auto want = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
    if (!ReadFile(handle_of(handle_), static_cast<char*>(data) + got, want, &n, nullptr)) {
      errno_from_last_error();
      return false;
    }
    if (n == 0) break;
    got += n;
  }
  return true;
}

bool HostFile::read_at(std::uint64_t offset, void* data, std::size_t size) {
  OVERLAPPED o = at(offset);
  DWORD n = 0;
  return ReadFile(handle_of(handle_), data, static_cast<DWORD>(size), &n, &o) && n == size;
}

bool HostFile::write_at(std::uint64_t offset, const void* data, std::size_t size) {
  OVERLAPPED o = at(offset);
  DWORD n = 0;
  return WriteFile(handle_of(handle_), data, static_cast<DWORD>(size), &n, &o) && n == size;
}

bool HostFile::close() {
  const HANDLE h = handle_of(handle_);
  handle_ = -1;
  return CloseHandle(h) != 0;
}

}  // namespace agat

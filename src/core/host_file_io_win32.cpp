#include "core/host_file_io.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#include "core/host_calls_win32.h"
#include "core/host_paths.h"
#include "core/save_copy_names.h"
#include "core/win32_host.h"

namespace agat {

namespace {

class Handle {
 public:
  explicit Handle(HostHandle h) : h_(h) {}
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HostHandle get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool close() {
    const HostHandle h = h_;
    h_ = INVALID_HANDLE_VALUE;
    if (CloseHandle(h)) return true;
    errno_from_last_error();
    return false;
  }

 private:
  HostHandle h_;
};

bool read_all(HostHandle file, std::uint8_t* data, std::size_t size, std::size_t& got) {
  got = 0;
  while (got < size) {
    std::size_t n = 0;
    if (!host_read_file(file, data + got, size - got, n)) return false;
    if (n == 0) break;
    got += n;
  }
  return true;
}

bool write_all(HostHandle file, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    std::size_t n = 0;
    if (!host_write_file(file, data + done, size - done, n)) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += n;
  }
  return true;
}

// Keeps the errno value of a failure for the caller, and answers the result.
FileIoResult failed(FileIoResult result, int* error, int value = errno) {
  if (error != nullptr) *error = value;
  return result;
}

DWORD attributes_of(const std::string& path) {
  return GetFileAttributesW(wide_of_utf8(path).c_str());
}

// An existing file opened for reading, and its length in LENGTH when asked for; invalid
// with the errno value in `why` when it cannot be, ENXIO for a device ("CON", "NUL" ...),
// which is no file and may never answer.
HostHandle open_for_reading(const std::string& path, int& why, std::uint64_t* length = nullptr) {
  why = 0;
  HostHandle file = host_open_file(path, false, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD attributes = attributes_of(path);
    why = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
              ? EISDIR
              : errno;
    return file;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    why = ENXIO;
    return INVALID_HANDLE_VALUE;
  }
  LARGE_INTEGER size;
  if (length != nullptr && !GetFileSizeEx(file, &size)) {
    why = errno_from_last_error();
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  if (length != nullptr) *length = static_cast<std::uint64_t>(size.QuadPart);
  return file;
}

// Removes the copies of `prefix` in `dir` that no save holds open: their saves were
// killed before they could put them in place or remove them. A copy being written is
// open without leave to remove it, so DeleteFileW refuses it.
void remove_stale_copies(const std::string& dir, const std::string& prefix) {
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW(wide_of_utf8(dir + prefix + "*").c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      DeleteFileW(wide_of_utf8(dir + utf8_of_wide(found.cFileName)).c_str());
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
}

// A new copy file beside `target`, with the attributes ATTRIBUTES; invalid (errno set)
// when none can be made.
HostHandle make_copy(const std::string& target, DWORD attributes, std::string& name) {
  const std::size_t start = host_name_start(target);
  const std::string stem = target.substr(0, start) + save_copy_prefix(target.substr(start));
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%06x", random() & 0xFFFFFFu);
    name = stem + suffix;
    HostHandle file = host_open_file(name, true, GENERIC_WRITE, attributes);
    if (file != INVALID_HANDLE_VALUE || errno != EEXIST) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

FileIoResult read_file(const std::string& path, std::vector<std::uint8_t>& data, int* error) {
  int why = 0;
  std::uint64_t length = 0;
  Handle file(open_for_reading(path, why, &length));
  if (!file.valid()) return failed(FileIoResult::open_failed, error, why);
  data.resize(static_cast<std::size_t>(length));
  std::size_t got = 0;
  if (!read_all(file.get(), data.data(), data.size(), got))
    return failed(FileIoResult::read_failed, error);
  // A read that ends before the length the file had is no whole file: a copy built on it
  // would drop the tail (an image's trailer).
  if (got != data.size()) return failed(FileIoResult::read_failed, error, 0);
  return FileIoResult::ok;
}

FileIoResult read_file_prefix(const std::string& path, std::size_t size,
                              std::vector<std::uint8_t>& data, int* error) {
  int why = 0;
  Handle file(open_for_reading(path, why));
  if (!file.valid()) return failed(FileIoResult::open_failed, error, why);
  data.resize(size);
  std::size_t got = 0;
  if (!read_all(file.get(), data.data(), size, got))
    return failed(FileIoResult::read_failed, error);
  if (got != size) return failed(FileIoResult::read_failed, error, 0);
  return FileIoResult::ok;
}

FileIoResult read_file_parts(const std::string& path, std::size_t offset,
                             std::span<const std::span<std::uint8_t>> parts, int* error) {
  int why = 0;
  std::uint64_t length = 0;
  Handle file(open_for_reading(path, why, &length));
  if (!file.valid()) return failed(FileIoResult::open_failed, error, why);
  std::uint64_t wanted = offset;
  for (const auto part : parts) wanted += part.size();
  if (length < wanted) return failed(FileIoResult::read_failed, error, 0);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN))
    return failed(FileIoResult::read_failed, error, errno_from_last_error());
  for (const auto part : parts) {
    std::size_t got = 0;
    if (!read_all(file.get(), part.data(), part.size(), got))
      return failed(FileIoResult::read_failed, error);
    if (got != part.size()) return failed(FileIoResult::read_failed, error, 0);  // cut short
  }
  return FileIoResult::ok;
}

FileIoResult create_file(const std::string& path, const std::uint8_t* data, std::size_t size,
                         int* error, FileSync sync) {
  if (attributes_of(path) != INVALID_FILE_ATTRIBUTES)
    return failed(FileIoResult::exists, error, EEXIST);
  Handle file(host_open_file(path, true, GENERIC_WRITE));
  if (!file.valid())
    return failed(errno == EEXIST ? FileIoResult::exists : FileIoResult::open_failed, error);
  // A name Windows keeps for a device ("CON", "NUL" ...) opens the device: nothing to
  // write a file into, and nothing to remove.
  if (GetFileType(file.get()) != FILE_TYPE_DISK)
    return failed(FileIoResult::open_failed, error, ENXIO);
  if (!write_all(file.get(), data, size) ||
      (sync == FileSync::durable && !host_flush_file(file.get())) || !file.close()) {
    const int reason = errno;
    if (file.valid()) file.close();
    DeleteFileW(wide_of_utf8(path).c_str());
    return failed(FileIoResult::write_failed, error, reason);
  }
  return FileIoResult::ok;
}

FileIoResult replace_file(const std::string& path, const std::uint8_t* data, std::size_t size,
                          int* error) {
  const DWORD attributes = attributes_of(path);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return failed(FileIoResult::open_failed, error, errno_from_last_error());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return failed(FileIoResult::open_failed, error, EISDIR);
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return failed(FileIoResult::open_failed, error, EACCES);
  {
    // The file must be one the user may write, and a file at all.
    HANDLE old = CreateFileW(wide_of_utf8(path).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (old == INVALID_HANDLE_VALUE)
      return failed(FileIoResult::open_failed, error, errno_from_last_error());
    const bool disk = GetFileType(old) == FILE_TYPE_DISK;
    CloseHandle(old);
    if (!disk) return failed(FileIoResult::open_failed, error, ENXIO);
  }

  const std::size_t start = host_name_start(path);
  remove_stale_copies(path.substr(0, start), save_copy_prefix(path.substr(start)));
  // The copy gets the old file's attributes (hidden, system ...), which the rename keeps.
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  std::string temp;
  Handle file(make_copy(path, attributes & kKept, temp));
  if (!file.valid()) {
    const bool read_only = errno == EACCES || errno == EPERM || errno == EROFS;
    return failed(read_only ? FileIoResult::folder_read_only : FileIoResult::write_failed, error);
  }
  if (!write_all(file.get(), data, size) || !host_flush_file(file.get()) || !file.close() ||
      !host_rename_over(temp, path)) {
    const int reason = errno;
    if (file.valid()) file.close();
    DeleteFileW(wide_of_utf8(temp).c_str());
    return failed(FileIoResult::write_failed, error, reason);
  }
  return FileIoResult::ok;
}

}  // namespace agat

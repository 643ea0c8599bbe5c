#include "core/host_file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/host_calls.h"
#include "core/save_copy_names.h"

namespace agat {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool read_all(int fd, std::uint8_t* data, std::size_t size, std::size_t& got) {
  got = 0;
  while (got < size) {
    const ssize_t n = host_read(fd, data + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

bool write_all(int fd, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = host_write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Keeps the errno value of a failure for the caller, and answers the result.
FileIoResult failed(FileIoResult result, int* error, int value = errno) {
  if (error != nullptr) *error = value;
  return result;
}

std::string directory_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The file a path names, following symbolic links, so that a replacement lands where
// the data lives and the link stays a link.
std::string resolved(const std::string& path) {
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf) != nullptr) return buf;
  return path;
}

// The start of the names of the copies made while `target` is replaced.
std::string copy_stem(const std::string& target) {
  return save_copy_prefix(target.substr(target.rfind('/') + 1));
}

// Removes the copies of `stem` in `dir` that no save holds locked: their saves were killed
// before they could rename or remove them. A copy is removed only while this process
// holds its lock and the name still leads to the file locked.
void remove_stale_copies(const std::string& dir, const std::string& stem) {
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return;
  const int dir_fd = ::dirfd(listing);
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(stem)) continue;
    Fd fd(::openat(dir_fd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat locked {
    }, named{};
    if (fd.get() < 0 || ::fstat(fd.get(), &locked) != 0 || !S_ISREG(locked.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
      continue;
    if (::fstatat(dir_fd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == locked.st_dev && named.st_ino == locked.st_ino)
      ::unlinkat(dir_fd, entry->d_name, 0);
  }
  ::closedir(listing);
}

// A new, locked copy file beside `target`; -1 (errno set) when none can be made. A copy
// that a concurrent clean-up removed between its creation and its lock is made again; on
// a file system without locks the copy goes unlocked.
int make_locked_copy(const std::string& target, std::string& name) {
  const std::string stem = directory_of(target) + "/" + copy_stem(target);
  for (int attempt = 0; attempt < 8; ++attempt) {
    name = stem + "XXXXXX";
    const int fd = host_mkstemp(name.data());
    if (fd < 0) return -1;
    ::flock(fd, LOCK_EX);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_nlink > 0) return fd;
    ::close(fd);
  }
  errno = EAGAIN;
  return -1;
}

}  // namespace

FileIoResult read_file(const std::string& path, std::vector<std::uint8_t>& data, int* error) {
  Fd fd(host_open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return failed(FileIoResult::open_failed, error);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return failed(FileIoResult::open_failed, error);
  if (!S_ISREG(st.st_mode))
    return failed(FileIoResult::open_failed, error, S_ISDIR(st.st_mode) ? EISDIR : ENXIO);
  data.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  if (!read_all(fd.get(), data.data(), data.size(), got))
    return failed(FileIoResult::read_failed, error);
  // A read that ends before the length the file had is no whole file: a copy built on it
  // would drop the tail (an image's trailer).
  if (got != data.size()) return failed(FileIoResult::read_failed, error, 0);
  return FileIoResult::ok;
}

FileIoResult read_file_prefix(const std::string& path, std::size_t size,
                              std::vector<std::uint8_t>& data, int* error) {
  Fd fd(host_open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return failed(FileIoResult::open_failed, error);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return failed(FileIoResult::open_failed, error);
  if (S_ISDIR(st.st_mode)) return failed(FileIoResult::open_failed, error, EISDIR);
  data.resize(size);
  std::size_t got = 0;
  if (!read_all(fd.get(), data.data(), size, got)) return failed(FileIoResult::read_failed, error);
  if (got != size) return failed(FileIoResult::read_failed, error, 0);
  return FileIoResult::ok;
}

FileIoResult read_file_parts(const std::string& path, std::size_t offset,
                             std::span<const std::span<std::uint8_t>> parts, int* error) {
  Fd fd(host_open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return failed(FileIoResult::open_failed, error);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return failed(FileIoResult::open_failed, error);
  if (S_ISDIR(st.st_mode)) return failed(FileIoResult::open_failed, error, EISDIR);
  std::vector<iovec> io;
  io.reserve(parts.size());
  std::size_t size = 0;
  for (const auto part : parts) {
    io.push_back({part.data(), part.size()});
    size += part.size();
  }
  if (static_cast<std::uint64_t>(st.st_size) < offset + size)
    return failed(FileIoResult::read_failed, error, 0);
  if (::lseek(fd.get(), static_cast<off_t>(offset), SEEK_SET) < 0)
    return failed(FileIoResult::read_failed, error);
  // readv may stop anywhere; the parts not yet filled are read again from where it stopped.
  for (std::size_t first = 0; first < io.size();) {
    const int count = static_cast<int>(std::min<std::size_t>(io.size() - first, IOV_MAX));
    const ssize_t n = host_readv(fd.get(), &io[first], count);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failed(FileIoResult::read_failed, error);
    if (n == 0) return failed(FileIoResult::read_failed, error, 0);  // cut short meanwhile
    for (auto left = static_cast<std::size_t>(n); left != 0 && first < io.size();) {
      const std::size_t step = std::min(left, io[first].iov_len);
      io[first].iov_base = static_cast<std::uint8_t*>(io[first].iov_base) + step;
      io[first].iov_len -= step;
      left -= step;
      if (io[first].iov_len == 0) ++first;
    }
    while (first < io.size() && io[first].iov_len == 0) ++first;
  }
  return FileIoResult::ok;
}

FileIoResult create_file(const std::string& path, const std::uint8_t* data, std::size_t size,
                         int* error, FileSync sync) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return failed(FileIoResult::exists, error, EEXIST);
  Fd fd(host_open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC));
  if (fd.get() < 0)
    return failed(errno == EEXIST ? FileIoResult::exists : FileIoResult::open_failed, error);
  if (!write_all(fd.get(), data, size) ||
      (sync == FileSync::durable && host_fsync(fd.get()) != 0) || !fd.close()) {
    const int reason = errno;
    ::unlink(path.c_str());
    return failed(FileIoResult::write_failed, error, reason);
  }
  return FileIoResult::ok;
}

FileIoResult replace_file(const std::string& path, const std::uint8_t* data, std::size_t size,
                          int* error) {
  const std::string target = resolved(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return failed(FileIoResult::open_failed, error);
  if (!S_ISREG(st.st_mode))
    return failed(FileIoResult::open_failed, error, S_ISDIR(st.st_mode) ? EISDIR : ENXIO);
  if (::access(target.c_str(), W_OK) != 0) return failed(FileIoResult::open_failed, error);

  remove_stale_copies(directory_of(target), copy_stem(target));
  std::string temp;
  Fd fd(make_locked_copy(target, temp));
  if (fd.get() < 0) {
    const bool read_only = errno == EACCES || errno == EPERM || errno == EROFS;
    return failed(read_only ? FileIoResult::folder_read_only : FileIoResult::write_failed, error);
  }
  if (::fchmod(fd.get(), st.st_mode & 07777) != 0) {
    // A file system without modes may refuse them; the copy is written all the same.
  }
  if (::fchown(fd.get(), st.st_uid, st.st_gid) != 0) {
    // Only a user allowed to give files away can keep another owner; the mode holds.
  }
  // The copy is renamed while still locked, so that no clean-up takes it for a stale one.
  if (!write_all(fd.get(), data, size) || host_fsync(fd.get()) != 0 ||
      host_rename(temp.c_str(), target.c_str()) != 0) {
    const int reason = errno;
    ::unlink(temp.c_str());
    return failed(FileIoResult::write_failed, error, reason);
  }
  fd.close();  // the data are synced and in place: nothing can be lost any more
  return FileIoResult::ok;
}

}  // namespace agat

#include "core/host_fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace agat {

namespace {

HostStatus status_of(const struct stat& st) {
  HostStatus s;
  if (S_ISDIR(st.st_mode)) {
    s.kind = HostKind::directory;
  } else if (S_ISREG(st.st_mode)) {
    s.kind = HostKind::regular;
    s.size = static_cast<std::uint64_t>(st.st_size);
  } else {
    s.kind = HostKind::other;
  }
  return s;
}

HostStatus missing() {
  HostStatus s;
  s.error = errno;
  return s;
}

int fd_of(std::intptr_t handle) {
  return static_cast<int>(handle);
}

}  // namespace

HostStatus host_status(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? status_of(st) : missing();
}

HostStatus host_link_status(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? status_of(st) : missing();
}

bool same_host_object(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return a == b;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

struct HostDirectory::Listing {
  DIR* dir;
  std::string path;
};

HostDirectory::~HostDirectory() {
  if (listing_ != nullptr) ::closedir(listing_->dir);
  delete listing_;
}

bool HostDirectory::open(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return false;
  listing_ = new Listing{d, dir};
  return true;
}

bool HostDirectory::next(HostEntry& entry) {
  while (const dirent* d = ::readdir(listing_->dir)) {
    entry.name = d->d_name;
    if (entry.name == "." || entry.name == "..") continue;
    // What a link leads to; a link that leads nowhere is taken as it is.
    struct stat st {};
    const std::string path = listing_->path + entry.name;
    if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) continue;
    const HostStatus s = status_of(st);
    entry.kind = s.kind;
    entry.size = s.size;
    return true;
  }
  return false;
}

bool remove_host_file(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool remove_host_directory(const std::string& path) {
  return ::rmdir(path.c_str()) == 0;
}

bool make_host_directory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

bool rename_host_entry(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool host_file_writable(const std::string& path) {
  return ::access(path.c_str(), W_OK) == 0;
}

HostFile::~HostFile() {
  if (handle_ >= 0) ::close(fd_of(handle_));
}

bool HostFile::open(const std::string& path, bool writable) {
  // O_NONBLOCK: a named pipe that took the place of a file never makes the open wait.
  handle_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
  return handle_ >= 0;
}

bool HostFile::is_regular() const {
  struct stat st {};
  return ::fstat(fd_of(handle_), &st) == 0 && S_ISREG(st.st_mode);
}

bool HostFile::read(void* data, std::size_t size, std::size_t& got) {
  got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd_of(handle_), static_cast<char*>(data) + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

bool HostFile::read_at(std::uint64_t offset, void* data, std::size_t size) {
  return ::pread(fd_of(handle_), data, size, static_cast<off_t>(offset)) ==
         static_cast<ssize_t>(size);
}

bool HostFile::write_at(std::uint64_t offset, const void* data, std::size_t size) {
  return ::pwrite(fd_of(handle_), data, size, static_cast<off_t>(offset)) ==
         static_cast<ssize_t>(size);
}

bool HostFile::close() {
  const int fd = fd_of(handle_);
  handle_ = -1;
  return ::close(fd) == 0;
}

}  // namespace agat

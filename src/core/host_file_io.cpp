#include "core/host_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

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
    const ssize_t n = ::read(fd, data + got, size - got);
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
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
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

FileIoResult overwrite_in_place(const std::string& path, const std::uint8_t* data,
                                std::size_t size) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.get() < 0) return FileIoResult::write_failed;
  if (!write_all(fd.get(), data, size) || ::fsync(fd.get()) != 0 || !fd.close())
    return FileIoResult::write_failed;
  return FileIoResult::ok;
}

}  // namespace

FileIoResult read_file(const std::string& path, std::vector<std::uint8_t>& data) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return FileIoResult::open_failed;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return FileIoResult::open_failed;
  data.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  if (!read_all(fd.get(), data.data(), data.size(), got)) return FileIoResult::read_failed;
  data.resize(got);  // a file that shrank meanwhile is read as it is now
  return FileIoResult::ok;
}

FileIoResult read_file_prefix(const std::string& path, std::size_t size,
                              std::vector<std::uint8_t>& data) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return FileIoResult::open_failed;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return FileIoResult::open_failed;
  data.resize(size);
  std::size_t got = 0;
  if (!read_all(fd.get(), data.data(), size, got) || got != size) return FileIoResult::read_failed;
  return FileIoResult::ok;
}

FileIoResult create_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return FileIoResult::exists;
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) return errno == EEXIST ? FileIoResult::exists : FileIoResult::open_failed;
  if (!write_all(fd.get(), data, size) || ::fsync(fd.get()) != 0 || !fd.close()) {
    ::unlink(path.c_str());
    return FileIoResult::write_failed;
  }
  return FileIoResult::ok;
}

FileIoResult replace_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const std::string target = resolved(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FileIoResult::open_failed;
  if (::access(target.c_str(), W_OK) != 0) return FileIoResult::open_failed;

  // Where no replacement can be made beside the file with the same mode (a directory
  // that does not allow new files, a file system without modes), the same-length
  // contents are written over the old ones instead.
  const bool same_length = static_cast<std::uint64_t>(st.st_size) == size;
  std::string temp = directory_of(target) + "/.agat-save-XXXXXX";
  Fd fd(::mkstemp(temp.data()));
  if (fd.get() < 0)
    return same_length ? overwrite_in_place(target, data, size) : FileIoResult::write_failed;
  if (::fchmod(fd.get(), st.st_mode & 07777) != 0) {
    fd.close();
    ::unlink(temp.c_str());
    return same_length ? overwrite_in_place(target, data, size) : FileIoResult::write_failed;
  }
  if (::fchown(fd.get(), st.st_uid, st.st_gid) != 0) {
    // Only a user allowed to give files away can keep another owner; the mode holds.
  }
  bool ok = write_all(fd.get(), data, size) && ::fsync(fd.get()) == 0;
  ok = fd.close() && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return FileIoResult::write_failed;
  }
  return FileIoResult::ok;
}

}  // namespace agat

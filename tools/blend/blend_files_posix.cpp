#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "blend_files.h"
#include "core/host_calls.h"

namespace blend {

namespace {

using agat::host_fsync;
using agat::host_mkstemp;
using agat::host_open;
using agat::host_read;
using agat::host_rename;
using agat::host_write;

// DOS-style attribute bits for the "is not image" line, derived from the file's status.
constexpr unsigned FA_READONLY = 0x01;  // the owner may not write it
constexpr unsigned FA_HIDDEN = 0x02;    // the name starts with "."
constexpr unsigned FA_SYSFILE = 0x04;   // not a regular file: FIFO, socket, device, broken link
constexpr unsigned FA_ARCHIVE = 0x20;   // a regular file
// FA_DIRECTORY (0x10) never appears: directories are not listed.

unsigned dos_attributes(const std::string& name, const struct stat& st) {
  unsigned attr = 0;
  if ((st.st_mode & S_IWUSR) == 0) attr |= FA_READONLY;
  if (!name.empty() && name[0] == '.') attr |= FA_HIDDEN;
  attr |= S_ISREG(st.st_mode) ? FA_ARCHIVE : FA_SYSFILE;
  return attr;
}

}  // namespace

void list_directory(const std::function<void(const TDIRENTRY&)>& visit) {
  DIR* dir = ::opendir(".");
  if (dir == nullptr) throw_file_error("list", "the current directory", errno);
  struct DIRCLOSER {
    DIR* d;
    ~DIRCLOSER() { ::closedir(d); }
  } closer{dir};

  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) throw_file_error("list", "the current directory", errno);
      break;
    }
    TDIRENTRY e;
    e.NAME = entry->d_name;
    // The status of what the entry names; a symbolic link that leads nowhere is taken as it is.
    struct stat st {};
    if (::stat(e.NAME.c_str(), &st) != 0 && ::lstat(e.NAME.c_str(), &st) != 0) {
      throw_file_error("examine", e.NAME, errno);
    }
    e.DIRECTORY = S_ISDIR(st.st_mode);
    e.REGULAR = S_ISREG(st.st_mode);
    e.SIZE = e.REGULAR ? static_cast<std::uint64_t>(st.st_size) : 0;
    e.ATTR = dos_attributes(e.NAME, st);
    visit(e);
  }
}

void read_whole_file(const std::string& name, void* data, std::size_t size) {
  const int fd = host_open(name.c_str(), O_RDONLY);
  if (fd < 0) throw_file_error("open", name, errno);
  auto* dst = static_cast<char*>(data);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t r = host_read(fd, dst + got, size - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      const int err = errno;
      ::close(fd);
      if (r == 0)
        throw_file_error("read", name,
                         "the file is shorter than " + std::to_string(size) + " bytes");
      throw_file_error("read", name, err);
    }
    got += static_cast<std::size_t>(r);
  }
  ::close(fd);
}

void write_whole_file(const std::string& name, const void* data, std::size_t size) {
  // New files get the usual permissions: read and write for all, less the process's umask.
  static const mode_t mode = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
  }();
  char tmp[] = "./.blend-XXXXXX";
  const int fd = host_mkstemp(tmp);
  if (fd < 0) throw_file_error("create", name, errno);
  const auto* src = static_cast<const char*>(data);
  std::size_t put = 0;
  int err = 0;
  if (::fchmod(fd, mode) != 0) err = errno;
  while (err == 0 && put < size) {
    const ssize_t w = host_write(fd, src + put, size - put);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      err = w < 0 ? errno : EIO;
      break;
    }
    put += static_cast<std::size_t>(w);
  }
  struct stat old {};
  if (err == 0 && ::lstat(name.c_str(), &old) == 0 && host_fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    ::unlink(tmp);
    throw_file_error("write", name, err);
  }
  if (host_rename(tmp, name.c_str()) != 0) {
    err = errno;
    ::unlink(tmp);
    throw_file_error("create", name, err);
  }
}

}  // namespace blend

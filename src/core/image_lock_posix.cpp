#include "core/image_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace agat {

const char* const IMAGE_LOCK_SUFFIX = "";

bool open_lock_file(const std::string& path, std::intptr_t& handle) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  handle = fd;
  return true;
}

bool lock_names_file(std::intptr_t handle, const std::string& path) {
  struct stat held, named;
  return ::fstat(static_cast<int>(handle), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

bool try_lock_file(std::intptr_t handle) {
  int r;
  do {
    r = ::flock(static_cast<int>(handle), LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  return r == 0;
}

void close_lock_file(std::intptr_t handle) {
  ::close(static_cast<int>(handle));
}

void pause_lock_wait(int ms) {
  timespec pause{ms / 1000, (ms % 1000) * 1000000L};
  while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

}  // namespace agat

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "core/image_lock.h"

namespace agat {

bool open_lock_file(const std::string& path, std::intptr_t& handle) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  handle = fd;
  return true;
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

}  // namespace agat

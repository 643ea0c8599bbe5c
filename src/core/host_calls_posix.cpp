#include "core/host_calls.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "core/host_file_faults.h"

namespace agat {

int host_open(const char* path, int flags) {
  HostFileFault fault;
  if (host_call_faulted((flags & O_CREAT) != 0 ? HostFileCall::create : HostFileCall::open, fault))
    return -1;
  return ::open(path, flags, 0666);
}

int host_mkstemp(char* name_template) {
  HostFileFault fault;
  return host_call_faulted(HostFileCall::create, fault) ? -1 : ::mkstemp(name_template);
}

ssize_t host_read(int fd, void* data, std::size_t size) {
  HostFileFault fault;
  return host_call_faulted(HostFileCall::read, fault)
             ? -1
             : ::read(fd, data, std::min(size, fault.limit));
}

ssize_t host_write(int fd, const void* data, std::size_t size) {
  HostFileFault fault;
  return host_call_faulted(HostFileCall::write, fault)
             ? -1
             : ::write(fd, data, std::min(size, fault.limit));
}

ssize_t host_readv(int fd, const struct iovec* parts, int count) {
  HostFileFault fault;
  if (host_call_faulted(HostFileCall::read, fault)) return -1;
  if (fault.limit != SIZE_MAX && count > 0)
    return ::read(fd, parts[0].iov_base, std::min(parts[0].iov_len, fault.limit));
  return ::readv(fd, parts, count);
}

int host_fsync(int fd) {
  HostFileFault fault;
  return host_call_faulted(HostFileCall::sync, fault) ? -1 : ::fsync(fd);
}

int host_rename(const char* from, const char* to) {
  HostFileFault fault;
  return host_call_faulted(HostFileCall::rename, fault) ? -1 : std::rename(from, to);
}

}  // namespace agat

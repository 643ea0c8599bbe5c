#include "core/host_calls.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/host_file_faults.h"

namespace agat {

namespace {

// True, with errno set, when the hook fails the call; FAULT tells how it may run otherwise.
bool faulted(HostFileCall call, HostFileFault& fault) {
  fault = host_file_fault(call);
  if (fault.error == 0) return false;
  errno = fault.error;
  return true;
}

}  // namespace

int host_open(const char* path, int flags) {
  HostFileFault fault;
  if (faulted((flags & O_CREAT) != 0 ? HostFileCall::create : HostFileCall::open, fault)) return -1;
  return ::open(path, flags, 0666);
}

int host_mkstemp(char* name_template) {
  HostFileFault fault;
  return faulted(HostFileCall::create, fault) ? -1 : ::mkstemp(name_template);
}

ssize_t host_read(int fd, void* data, std::size_t size) {
  HostFileFault fault;
  return faulted(HostFileCall::read, fault) ? -1 : ::read(fd, data, std::min(size, fault.limit));
}

ssize_t host_write(int fd, const void* data, std::size_t size) {
  HostFileFault fault;
  return faulted(HostFileCall::write, fault) ? -1 : ::write(fd, data, std::min(size, fault.limit));
}

int host_fsync(int fd) {
  HostFileFault fault;
  return faulted(HostFileCall::sync, fault) ? -1 : ::fsync(fd);
}

int host_rename(const char* from, const char* to) {
  HostFileFault fault;
  return faulted(HostFileCall::rename, fault) ? -1 : std::rename(from, to);
}

}  // namespace agat

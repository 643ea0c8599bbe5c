// The POSIX file calls of the host-file layers (core/host_file_io.h and blend), each asking
// the fault hook of core/host_file_faults.h first. A call the hook fails is not made and
// answers as the system answers a failure: -1 with errno set.
#pragma once

#include <sys/types.h>
#include <sys/uio.h>

#include <cstddef>

namespace agat {

// open(2); a call with O_CREAT counts as HostFileCall::create. New files get mode 0666
// less the umask.
int host_open(const char* path, int flags);
// mkstemp(3), a HostFileCall::create.
int host_mkstemp(char* name_template);
// read(2) and write(2); the hook may let fewer bytes through than asked for.
ssize_t host_read(int fd, void* data, std::size_t size);
ssize_t host_write(int fd, const void* data, std::size_t size);
// readv(2), a HostFileCall::read; a short transfer the hook asks for fills part of the first
// buffer only.
ssize_t host_readv(int fd, const struct iovec* parts, int count);
// fsync(2), a HostFileCall::sync.
int host_fsync(int fd);
// rename(2).
int host_rename(const char* from, const char* to);

}  // namespace agat

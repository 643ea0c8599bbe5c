// The Win32 file calls of the host-file layers on Windows (core/host_file_io.h and blend),
// made through the wide calls on UTF-8 paths, each asking the fault hook of
// core/host_file_faults.h first. A call the hook fails is not made; every failure answers
// with errno set (the hook's error, or the errno value of GetLastError()).
#pragma once

#include <cstddef>
#include <string>

namespace agat {

using HostHandle = void*;  // a Win32 HANDLE; INVALID_HANDLE_VALUE on failure

// CreateFileW. With `create` a new file (CREATE_NEW, a HostFileCall::create) with the
// file attributes ATTRIBUTES, otherwise an existing one (a HostFileCall::open); ACCESS is
// that of CreateFileW. Others may read and write the file while it is open, but not
// remove it.
HostHandle host_open_file(const std::string& path, bool create, unsigned long access,
                          unsigned long attributes = 0);
// ReadFile and WriteFile; the hook may let fewer bytes through than asked for.
bool host_read_file(HostHandle file, void* data, std::size_t size, std::size_t& got);
bool host_write_file(HostHandle file, const void* data, std::size_t size, std::size_t& put);
// FlushFileBuffers, a HostFileCall::sync.
bool host_flush_file(HostHandle file);
// Puts the file FROM in the place of TO, which need not exist (a HostFileCall::rename):
// ReplaceFileW, which keeps TO's attributes and security, where TO exists, else (and
// where ReplaceFileW cannot) MoveFileExW with write-through, which replaces TO as a whole
// or not at all.
bool host_rename_over(const std::string& from, const std::string& to);

}  // namespace agat

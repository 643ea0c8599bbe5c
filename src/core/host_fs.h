// The host file system beyond whole-file reads and writes (core/host_file_io.h): what a
// path names, directory listings, removing, making and renaming entries, and files read
// or patched a few bytes at a time. Paths are the host's own bytes (UTF-8 on Windows,
// where they become UTF-16 at the wide calls); failures are errno values on every host.
// One implementation per host (host_fs_posix.cpp, host_fs_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace agat {

enum class HostKind { missing, directory, regular, other };

struct HostStatus {
  HostKind kind = HostKind::missing;
  std::uint64_t size = 0;  // of a regular file
  int error = 0;           // why it is missing (ENOENT when nothing has the name)
};

// What PATH names, following symbolic links.
HostStatus host_status(const std::string& path);
// The same without following a symbolic link, which is `other` (even one that leads
// nowhere): whether the name itself is taken.
HostStatus host_link_status(const std::string& path);

// True when both paths name one file or directory; when either cannot be looked at, true
// for equal paths only.
bool same_host_object(const std::string& a, const std::string& b);

struct HostEntry {
  std::string name;
  HostKind kind = HostKind::other;  // of what a link leads to; a link leading nowhere is other
  std::uint64_t size = 0;
};

// The entries of a directory but "." and "..", in the order the host gives them; entries
// that cannot be looked at are left out.
class HostDirectory {
 public:
  HostDirectory() = default;
  ~HostDirectory();
  HostDirectory(const HostDirectory&) = delete;
  HostDirectory& operator=(const HostDirectory&) = delete;

  // Opens directory DIR (ending in the separator); false, with errno set, when it cannot
  // be listed.
  bool open(const std::string& dir);
  // The next entry; false at the end.
  bool next(HostEntry& entry);

 private:
  struct Listing;
  Listing* listing_ = nullptr;
};

// Each answers false, with errno set, on failure. A directory is removed only when empty;
// a rename never replaces an existing entry of the new name.
bool remove_host_file(const std::string& path);
bool remove_host_directory(const std::string& path);
bool make_host_directory(const std::string& path);
bool rename_host_entry(const std::string& from, const std::string& to);

// Whether the existing file PATH may be written.
bool host_file_writable(const std::string& path);

// An existing file opened for reading, or for reading and patching in place. The open
// never waits (for a named pipe without a writer, say).
class HostFile {
 public:
  HostFile() = default;
  ~HostFile();
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  // False, with errno set, when the file cannot be opened.
  bool open(const std::string& path, bool writable);
  // Whether what was opened is a regular file (no directory, device or pipe).
  bool is_regular() const;
  // Reads from the current position until SIZE bytes are in or the file ends; GOT says
  // how many came. False, with errno set, on a failure of the host.
  bool read(void* data, std::size_t size, std::size_t& got);
  // Exactly SIZE bytes at OFFSET; false when fewer are read or written.
  bool read_at(std::uint64_t offset, void* data, std::size_t size);
  bool write_at(std::uint64_t offset, const void* data, std::size_t size);
  // Closes the file; false when closing reports a failure (of data written before).
  bool close();

 private:
  std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
};

}  // namespace agat

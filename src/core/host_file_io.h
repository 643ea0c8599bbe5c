// Whole-file reads and writes on the host, done so that a failure never leaves a file
// half-written: a replacement is written completely beside the old file and renamed
// over it, keeping the old file's permissions. No open waits for a named pipe. Every
// system call goes through the fault hook of core/host_file_faults.h, so tests can make
// any of them fail.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace agat {

enum class FileIoResult {
  ok,
  open_failed,       // missing, no permission, a directory...
  read_failed,       // an error while reading after the open
  exists,            // create_file: the name is taken
  write_failed,      // an error while writing or renaming; nothing was changed
  folder_read_only,  // replace_file: the folder lets no new file in; nothing was changed
};

// Every function sets *error, where given, to the errno value of a failure, or to 0 when
// the failure has none (a file shorter than asked for).

// Reads the whole regular file into `data` (resized to the file's length). A file that
// ends before the length it had when it was opened is read_failed.
FileIoResult read_file(const std::string& path, std::vector<std::uint8_t>& data,
                       int* error = nullptr);

// Reads exactly `size` bytes from the start of the file; a shorter file is read_failed.
FileIoResult read_file_prefix(const std::string& path, std::size_t size,
                              std::vector<std::uint8_t>& data, int* error = nullptr);

// Reads the file from byte `offset` on into `parts`, one after another, in one pass. A file
// too short to fill them all is read_failed (error 0) before anything is read into them.
FileIoResult read_file_parts(const std::string& path, std::size_t offset,
                             std::span<const std::span<std::uint8_t>> parts, int* error = nullptr);

// Whether a new file is synced to the disk before it counts as written: always, but for
// output that is made anew by the thousand (the pages of a catalogue).
enum class FileSync { durable, none };

// Creates a new file holding `data`. Any existing object of that name (a file, a
// directory, a dangling link) answers `exists`. On a write failure the new file is
// removed again.
FileIoResult create_file(const std::string& path, const std::uint8_t* data, std::size_t size,
                         int* error = nullptr, FileSync sync = FileSync::durable);

// Replaces the contents of an existing file with `data`: the new contents are written
// to a copy in the same directory (of the link's target, for a symbolic link), synced
// and renamed over the old file, which keeps its mode. The file is never overwritten in
// place, where a crash would tear it: a folder that lets no new file in answers
// folder_read_only. The copy is locked while it is written; copies of the same file left
// by saves that were killed (no lock held) are removed first.
FileIoResult replace_file(const std::string& path, const std::uint8_t* data, std::size_t size,
                          int* error = nullptr);

}  // namespace agat

// Whole-file reads and writes on the host, done so that a failure never leaves a file
// half-written: a replacement is written completely beside the old file and renamed
// over it, keeping the old file's permissions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace agat {

enum class FileIoResult {
  ok,
  open_failed,   // missing, no permission, a directory...
  read_failed,   // an error while reading after the open
  exists,        // create_file: the name is taken
  write_failed,  // an error while writing or renaming; nothing was changed
};

// Reads the whole file into `data` (resized to the file's length).
FileIoResult read_file(const std::string& path, std::vector<std::uint8_t>& data);

// Reads exactly `size` bytes from the start of the file; a shorter file is read_failed.
FileIoResult read_file_prefix(const std::string& path, std::size_t size,
                              std::vector<std::uint8_t>& data);

// Creates a new file holding `data`. Any existing object of that name (a file, a
// directory, a dangling link) answers `exists`. On a write failure the new file is
// removed again.
FileIoResult create_file(const std::string& path, const std::uint8_t* data, std::size_t size);

// Replaces the contents of an existing file with `data`: the new contents are written
// to a temporary file in the same directory (of the link's target, for a symbolic
// link), synced and renamed over the old file, which keeps its mode. Where the
// directory does not allow a new file but the file itself is writable and the length
// does not change, the file is overwritten in place instead.
FileIoResult replace_file(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace agat

// The file calls of blend, one implementation per host (blend_files_posix.cpp,
// blend_files_win32.cpp): the entries of the current directory, the first bytes of an
// image file, and a file written whole. A file that cannot be listed, opened, read or
// written ends the run: throw_file_error throws TFILEERROR with the text of the error line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace blend {

// A failure that ends the run: "cannot VERB NAME: REASON".
struct TFILEERROR {
  std::string TEXT;
};

[[noreturn]] void throw_file_error(const char* what, const std::string& name,
                                   const std::string& reason);
// The reason is the system's text for the errno value ERR.
[[noreturn]] void throw_file_error(const char* what, const std::string& name, int err);

// One entry of the current directory.
struct TDIRENTRY {
  std::string NAME;
  bool DIRECTORY = false;  // a directory ("." and ".." too)
  bool REGULAR = false;    // a regular file (or a link to one)
  std::uint64_t SIZE = 0;  // of a regular file
  unsigned ATTR = 0;       // the DOS-style attribute bits of the "is not image" lines
};

// Calls VISIT for every entry of the current directory, in the order the directory gives
// them.
void list_directory(const std::function<void(const TDIRENTRY&)>& visit);

// Reads the first SIZE bytes of file NAME into DATA; a shorter file is a failure.
void read_whole_file(const std::string& name, void* data, std::size_t size);

// Writes SIZE bytes of DATA as file NAME: first to a new file beside it, which is renamed
// over the name, so that a file already there (perhaps a read of this run, or a link to one)
// is replaced as a whole and never written into. Where the name is taken, the new file is
// synced before the rename, so that a crash leaves the old file or the new one. A name not
// yet taken has nothing to lose: the reads the file is made from stay as they were, and
// waiting for the disk there would cost more than the whole run. A new file gets the usual
// permissions of the host.
void write_whole_file(const std::string& name, const void* data, std::size_t size);

}  // namespace blend

// The shape of host paths: the separator, the root at the top of the tree, where a name
// starts in a path, the characters a host name cannot hold, and the directory the program
// was started in. A directory path of a medium always ends in the separator. One
// definition per host (host_paths_posix.cpp, host_paths_win32.cpp).
#pragma once

#include <string>
#include <string_view>

namespace agat {

// The separator the program puts into paths: "/" on POSIX, "\" on Windows.
extern const char HOST_SEPARATOR;

// The characters (a zero byte among them) that no host name may hold: "/" on POSIX;
// on Windows also "\", ":", "*", "?", double quote, "<", ">" and "|".
extern const std::string_view HOST_NAME_FORBIDDEN;

// True for a character that separates names in a path ("/"; on Windows "\" and "/").
bool is_host_separator(char c);

// True for the top of a tree, which has no parent: "/" on POSIX; on Windows also a drive
// root ("C:\") and the root of a network share ("\\server\share\").
bool is_host_root(std::string_view path);

// True for a path that does not start from the current directory: "/..." on POSIX; on
// Windows also one that names a drive ("C:\...", "C:...") or a share ("\\server\...").
bool is_absolute_host_path(std::string_view path);

// Where the last name of PATH starts: after its last separator (on Windows also after
// a drive's "C:"); 0 for a bare name.
std::size_t host_name_start(std::string_view path);

// The current directory, ending in the separator; the root when it cannot be read.
std::string host_current_directory();

}  // namespace agat

// Starting the host's file manager on a directory.
//
// On POSIX hosts a desktop opener ("xdg-open") is used where a graphical session is
// running; otherwise a terminal file manager ("mc"), which takes over the terminal until it
// ends. The program that owns the screen installs hooks that leave its screen mode before
// such a program starts and restore the screen after it ends. On Windows it is
// "explorer.exe" (file_manager_explorer.cpp), which needs no hooks.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace agat {

// Starts the host file manager on directory PATH (host bytes) and waits until it ends.
// False when none is found on the "PATH" environment variable: the caller tells the user
// so, in the words of FILE_MANAGER_MISSING (Windows-1251, lines separated by line feeds).
// A program that is found but cannot be started is not reported.
bool FILE_MANAGER(const std::string& PATH);
extern const std::string_view FILE_MANAGER_MISSING;

// `leave` runs before a program that uses the terminal starts, `restore` after it ends.
// Either may be empty.
void set_terminal_handover(std::function<void()> leave, std::function<void()> restore);

// The full path of the executable file `name` in the first directory of `search_path`
// that holds one; "" when none does. The list is read as the shell reads "PATH":
// directories separated by ":", an empty entry meaning the current directory; an empty
// list names no directory. On Windows the current directory comes first, and the list's
// directories are separated by ";".
std::string find_program(std::string_view name, std::string_view search_path);

struct FileManagerProgram {
  std::string path;      // "" when none was found
  bool uses_terminal{};  // true for a program that runs in the terminal
};

// The file manager that FILE_MANAGER starts, given the "PATH" list and whether a
// graphical session is available.
FileManagerProgram find_file_manager(std::string_view search_path, bool desktop);

}  // namespace agat

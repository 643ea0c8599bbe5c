#include "platform/file_manager.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/cp1251_literal.h"

namespace agat {

const std::string_view FILE_MANAGER_MISSING =
    "Файловый менеджер не найден: нет ни xdg-open, ни mc.\n"
    "Установите mc (например, apt-get install mc)."_w;

namespace {

struct TerminalHandover {
  std::function<void()> leave;
  std::function<void()> restore;
};

TerminalHandover& handover() {
  static TerminalHandover hooks;
  return hooks;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool desktop_available() {
  return !environment("DISPLAY").empty() || !environment("WAYLAND_DISPLAY").empty();
}

bool is_executable_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Starts `program` with the single argument `argument` (no shell in between, so the
// directory name needs no quoting) and waits for it to end. With `quiet` its standard
// streams go to /dev/null: a desktop opener's chatter would land on the text screen.
void run_and_wait(const std::string& program, const std::string& argument, bool quiet) {
  // Everything the child needs is prepared before the fork.
  std::string arg0 = program;
  std::string arg1 = argument;
  char* const argv[] = {arg0.data(), arg1.data(), nullptr};
  const int null_fd = quiet ? ::open("/dev/null", O_RDWR | O_CLOEXEC) : -1;

  const pid_t pid = ::fork();
  if (pid < 0) {
    if (null_fd >= 0) ::close(null_fd);
    return;
  }
  if (pid == 0) {
    if (null_fd >= 0) {
      ::dup2(null_fd, STDIN_FILENO);
      ::dup2(null_fd, STDOUT_FILENO);
      ::dup2(null_fd, STDERR_FILENO);
    }
    ::execv(program.c_str(), argv);
    ::_exit(127);
  }

  // While the child runs, Ctrl-C and Ctrl-\ typed at the terminal are its business and
  // must not end this program (the same rule as system()).
  struct sigaction ignore {
  }, old_int{}, old_quit{};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGINT, &ignore, &old_int);
  ::sigaction(SIGQUIT, &ignore, &old_quit);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ::sigaction(SIGINT, &old_int, nullptr);
  ::sigaction(SIGQUIT, &old_quit, nullptr);
  if (null_fd >= 0) ::close(null_fd);
}

}  // namespace

void set_terminal_handover(std::function<void()> leave, std::function<void()> restore) {
  handover().leave = std::move(leave);
  handover().restore = std::move(restore);
}

std::string find_program(std::string_view name, std::string_view search_path) {
  // An unset or empty "PATH" names no directory at all.
  if (search_path.empty()) return "";
  std::size_t start = 0;
  while (true) {
    const std::size_t end = std::min(search_path.find(':', start), search_path.size());
    std::string dir(search_path.substr(start, end - start));
    if (dir.empty()) dir = ".";
    if (dir.back() != '/') dir += '/';
    std::string candidate = dir + std::string(name);
    if (is_executable_file(candidate)) return candidate;
    if (end == search_path.size()) return "";
    start = end + 1;
  }
}

FileManagerProgram find_file_manager(std::string_view search_path, bool desktop) {
  if (desktop) {
    std::string opener = find_program("xdg-open", search_path);
    if (!opener.empty()) return {std::move(opener), false};
  }
  std::string commander = find_program("mc", search_path);
  if (!commander.empty()) return {std::move(commander), true};
  return {};
}

bool FILE_MANAGER(const std::string& PATH) {
  const FileManagerProgram program = find_file_manager(environment("PATH"), desktop_available());
  if (program.path.empty()) return false;
  TerminalHandover& hooks = handover();
  if (program.uses_terminal && hooks.leave) hooks.leave();
  run_and_wait(program.path, PATH, !program.uses_terminal);
  if (program.uses_terminal && hooks.restore) hooks.restore();
  return true;
}

}  // namespace agat

// The host file manager on Windows: "explorer.exe", found in the current directory or on
// "PATH" (directories separated by ";"), started on the directory and waited for. It has
// a window of its own, so the console is never handed over.
#include <windows.h>

#include <algorithm>

#include "core/cp1251_literal.h"
#include "core/host_fs.h"
#include "core/host_paths.h"
#include "core/win32_host.h"
#include "platform/file_manager.h"

namespace agat {

const std::string_view FILE_MANAGER_MISSING =
    "Файловый менеджер не найден: explorer.exe нет\nни в текущей папке, ни в папках PATH."_w;

namespace {

std::string environment(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return "";
  std::wstring value(size, L'\0');
  const DWORD got = GetEnvironmentVariableW(name, value.data(), size);
  return got == 0 || got >= size ? "" : utf8_of_wide(std::wstring_view(value.data(), got));
}

// The directory as one argument of the command line: quoted, without the separator at
// its end (a quote after a backslash would be taken for a quote in the name), but for a
// drive's root, which holds no blank.
std::string argument_of(std::string dir) {
  if (is_host_root(dir)) return dir;
  if (dir.size() > 1 && is_host_separator(dir.back())) dir.pop_back();
  return "\"" + dir + "\"";
}

}  // namespace

// Explorer has a window of its own and never takes the console: nothing is handed over.
void set_terminal_handover(std::function<void()>, std::function<void()>) {}

std::string find_program(std::string_view name, std::string_view search_path) {
  const std::string here = host_current_directory() + std::string(name);
  if (host_status(here).kind == HostKind::regular) return here;
  std::size_t start = 0;
  while (start <= search_path.size()) {
    const std::size_t end = std::min(search_path.find(';', start), search_path.size());
    std::string dir(search_path.substr(start, end - start));
    if (!dir.empty()) {
      if (!is_host_separator(dir.back())) dir += HOST_SEPARATOR;
      const std::string candidate = dir + std::string(name);
      if (host_status(candidate).kind == HostKind::regular) return candidate;
    }
    start = end + 1;
  }
  return "";
}

FileManagerProgram find_file_manager(std::string_view search_path, bool) {
  return {find_program("explorer.exe", search_path), false};
}

bool FILE_MANAGER(const std::string& PATH) {
  const FileManagerProgram program = find_file_manager(environment(L"PATH"), true);
  if (program.path.empty()) return false;
  std::wstring command = wide_of_utf8("\"" + program.path + "\" " + argument_of(PATH));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return true;
}

}  // namespace agat

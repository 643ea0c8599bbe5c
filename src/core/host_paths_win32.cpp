#include "core/host_paths.h"

#include <windows.h>

#include "core/win32_host.h"

namespace agat {

const char HOST_SEPARATOR = '\\';
const std::string_view HOST_NAME_FORBIDDEN{"\\/:*?\"<>|\0", 10};

bool is_host_separator(char c) {
  return c == '\\' || c == '/';
}

namespace {

bool is_drive(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return false;
  const char d = static_cast<char>(path[0] | 0x20);
  return d >= 'a' && d <= 'z';
}

}  // namespace

bool is_host_root(std::string_view path) {
  if (path.size() == 1) return is_host_separator(path[0]);
  if (path.size() == 3 && is_drive(path)) return is_host_separator(path[2]);
  // "\\server\share\": two separators, a server name, a share name.
  if (path.size() < 5 || !is_host_separator(path[0]) || !is_host_separator(path[1]) ||
      !is_host_separator(path.back()))
    return false;
  int separators = 0;
  for (std::size_t i = 2; i + 1 < path.size(); ++i) separators += is_host_separator(path[i]);
  return separators == 1 && !is_host_separator(path[2]);
}

bool is_absolute_host_path(std::string_view path) {
  return (!path.empty() && is_host_separator(path[0])) || is_drive(path);
}

std::size_t host_name_start(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (is_host_separator(path[i - 1])) return i;
  return path.size() >= 2 && is_drive(path) ? 2 : 0;
}

std::string host_current_directory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring wide(size, L'\0');
  const DWORD got = size == 0 ? 0 : GetCurrentDirectoryW(size, wide.data());
  std::string path =
      got == 0 || got >= size ? "C:\\" : utf8_of_wide(std::wstring_view(wide.data(), got));
  if (!is_host_separator(path.back())) path += HOST_SEPARATOR;
  return path;
}

}  // namespace agat

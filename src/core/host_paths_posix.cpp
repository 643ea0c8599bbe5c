#include "core/host_paths.h"

#include <unistd.h>

#include <climits>

namespace agat {

const char HOST_SEPARATOR = '/';
const std::string_view HOST_NAME_FORBIDDEN{"/\0", 2};

bool is_host_separator(char c) {
  return c == '/';
}

bool is_host_root(std::string_view path) {
  return path == "/";
}

bool is_absolute_host_path(std::string_view path) {
  return path.starts_with('/');
}

std::size_t host_name_start(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string host_current_directory() {
  char buf[PATH_MAX];
  std::string path = ::getcwd(buf, sizeof buf) != nullptr ? buf : "/";
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

}  // namespace agat

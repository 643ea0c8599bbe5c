#include "version/program_version.h"

namespace agat {

std::string version_line(std::string_view program) {
  std::string line = std::string(program) + " " + std::string(project_version());
  if (!build_commit().empty()) line += " (" + std::string(build_commit()) + ")";
  return line;
}

bool asks_for_version(std::span<const std::string> args) {
  return !args.empty() && args.front() == "--version";
}

}  // namespace agat

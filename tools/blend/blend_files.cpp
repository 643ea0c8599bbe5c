#include "blend_files.h"

#include <cstring>

namespace blend {

void throw_file_error(const char* what, const std::string& name, const std::string& reason) {
  throw TFILEERROR{std::string("cannot ") + what + " " + name + ": " + reason};
}

void throw_file_error(const char* what, const std::string& name, int err) {
  throw_file_error(what, name, std::strerror(err));
}

}  // namespace blend

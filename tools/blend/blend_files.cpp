#include "blend_files.h"

#include <cstring>

namespace blend {

void FAIL(const char* what, const std::string& name, const std::string& reason) {
  throw TFILEERROR{std::string("cannot ") + what + " " + name + ": " + reason};
}

void FAIL(const char* what, const std::string& name, int err) {
  FAIL(what, name, std::strerror(err));
}

}  // namespace blend

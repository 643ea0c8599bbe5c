#include "platform/console.h"

namespace agat {

namespace {
Console* active = nullptr;
}  // namespace

Console& console() {
  return *active;
}
void set_console(Console* c) {
  active = c;
}

}  // namespace agat

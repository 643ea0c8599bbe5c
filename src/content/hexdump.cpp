#include "content/hexdump.h"

#include <utility>

namespace agat {

namespace {

HexDumpHook& hook() {
  static HexDumpHook installed;
  return installed;
}

}  // namespace

bool HEXDUMP(std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS, bool READONLY) {
  return hook() ? hook()(BUF, SIZE, OFFS, READONLY) : false;
}

void set_hexdump_hook(HexDumpHook h) {
  hook() = std::move(h);
}

}  // namespace agat

#include "platform/png_writer.h"

namespace agat {

const bool PNG_AVAILABLE = false;

std::vector<std::uint8_t> encode_png(const Picture&) {
  return {};
}

FileIoResult write_png(const std::string&, const Picture&) {
  return FileIoResult::write_failed;
}

}  // namespace agat

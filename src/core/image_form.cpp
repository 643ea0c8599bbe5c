#include "core/image_form.h"

#include <algorithm>
#include <vector>

#include "core/emulator_header.h"
#include "core/host_file_io.h"
#include "core/image_container.h"

namespace agat {

namespace {

bool read_header(const std::string& path, EmulatorHeader& header) {
  std::vector<std::uint8_t> bytes;
  if (read_file_prefix(path, header.size(), bytes) != FileIoResult::ok ||
      !is_emulator_header(bytes))
    return false;
  std::copy(bytes.begin(), bytes.end(), header.begin());
  return true;
}

}  // namespace

bool image_type_of_file(const std::string& path, std::uint64_t size, TIMAGET& type) {
  TIMAGET found;
  if (!image_type_of_size(size, found)) {
    // Not one of the sizes: it may be a container form, known by its signature.
    std::vector<std::uint8_t> prefix;
    return size >= CONTAINER_SIGNATURE_SIZE &&
           read_file_prefix(path, CONTAINER_SIGNATURE_SIZE, prefix) == FileIoResult::ok &&
           image_container_of(prefix, type);
  }
  EmulatorHeader header;
  if (IMAGEDESC[found].signed_header && !read_header(path, header)) return false;
  type = found;
  return true;
}

bool image_description(const std::string& path, std::string& description) {
  EmulatorHeader header;
  if (!read_header(path, header)) return false;
  description = emulator_header_description(header);
  return true;
}

}  // namespace agat

#include "core/image_form.h"

#include <algorithm>
#include <vector>

#include "core/emulator_header.h"
#include "core/file_control_messages.h"
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
  std::vector<std::uint8_t> file;
  TIMAGET form;
  if (read_file_prefix(path, CONTAINER_SIGNATURE_SIZE, file) == FileIoResult::ok &&
      image_container_of(file, form)) {
    const ImageContainer* box = image_container(form);
    if (box->described) {
      // The description of a container is among its chunks: the file is read whole.
      std::vector<std::uint8_t> records(image_data_size(box->form));
      const std::string critical = FC_CRITICALERRORBUFFER, warning = FC_WARNINGBUFFER;
      const bool read =
          read_file(path, file) == FileIoResult::ok && box->unpack(file, records, description);
      FC_CRITICALERRORBUFFER = critical;
      FC_WARNINGBUFFER = warning;
      return read;
    }
  }
  EmulatorHeader header;
  if (!read_header(path, header)) return false;
  description = emulator_header_description(header);
  return true;
}

bool form_has_description(TIMAGET type) {
  const ImageContainer* box = image_container(type);
  return IMAGEDESC[type].signed_header || (box != nullptr && box->described);
}

}  // namespace agat

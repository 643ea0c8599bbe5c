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
  std::vector<std::uint8_t> head;
  if (size >= CONTAINER_HEAD_SIZE &&
      read_file_prefix(path, CONTAINER_HEAD_SIZE, head) == FileIoResult::ok) {
    if (const ImageContainer* box = container_of_head(head)) {
      type = box->form;
      return true;
    }
  }
  TIMAGET found;
  if (!image_type_of_size(size, found)) return false;
  EmulatorHeader header;
  if (IMAGEDESC[found].signed_header && !read_header(path, header)) return false;
  type = found;
  return true;
}

bool image_description(const std::string& path, std::string& description) {
  std::vector<std::uint8_t> file;
  if (read_file_prefix(path, CONTAINER_HEAD_SIZE, file) == FileIoResult::ok) {
    if (const ImageContainer* box = container_of_head(file)) {
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

std::int64_t form_bytes(TIMAGET type) {
  const TIMAGEDESC& d = IMAGEDESC[type];
  return image_container(type) == nullptr ? d.FULLSIZE : (d.NTR + 1) * (d.NSC + 1) * 256;
}

bool form_has_description(TIMAGET type) {
  return IMAGEDESC[type].signed_header || image_container(type) != nullptr;
}

}  // namespace agat

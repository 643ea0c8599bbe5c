// The image forms whose file is not its tracks laid end to end but a container of them (WOZ):
// the core holds such an image as the form's fixed track records (what IMAGEDESC and the track
// codecs describe), unpacked from the file on a load and packed into a new file on a save,
// which keeps what the old file held besides those tracks. Such a form is known by the
// signature at the start of its file, never by its size.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/world_formats.h"

namespace agat {

struct ImageContainer {
  TIMAGET form;
  // Whether the first bytes of a file (at least CONTAINER_HEAD_SIZE of them) are the form's.
  bool (*recognise)(std::span<const std::uint8_t> head);
  // Fills the records (image_data_size(form) bytes) and the description from FILE; false with
  // a critical message when it cannot.
  bool (*unpack)(std::span<const std::uint8_t> file, std::span<std::uint8_t> records,
                 std::string& description);
  // FILE made of the records, keeping the rest of OLD (the file as it was; empty for a new one).
  bool (*pack)(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
               std::string_view description, std::vector<std::uint8_t>& file);
};

inline constexpr std::size_t CONTAINER_HEAD_SIZE = 12;

// The container row of a form; nullptr for a form whose file is its tracks.
const ImageContainer* image_container(TIMAGET form);

// The container form whose signature HEAD begins with; nullptr when none.
const ImageContainer* container_of_head(std::span<const std::uint8_t> head);

}  // namespace agat

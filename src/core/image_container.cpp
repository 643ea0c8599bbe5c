#include "core/image_container.h"

#include <array>

#include "core/woz_file.h"

namespace agat {

namespace {

constexpr std::array<ImageContainer, 1> kContainers = {{
    {ITW140, is_woz_file, woz_unpack, woz_pack},
}};

}  // namespace

const ImageContainer* image_container(TIMAGET form) {
  for (const ImageContainer& c : kContainers)
    if (c.form == form) return &c;
  return nullptr;
}

const ImageContainer* container_of_head(std::span<const std::uint8_t> head) {
  for (const ImageContainer& c : kContainers)
    if (c.recognise(head)) return &c;
  return nullptr;
}

}  // namespace agat

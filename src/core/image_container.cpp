#include "core/image_container.h"

#include "core/hfe_file.h"
#include "core/mfi_file.h"

namespace agat {

namespace {

constexpr ImageContainer kContainers[] = {
    {ITH800, hfe_signed, hfe_unpack, hfe_pack},
    {ITM800, mfi_signed, mfi800_unpack, mfi800_pack},
};

}  // namespace

const ImageContainer* image_container(TIMAGET type) {
  for (const ImageContainer& c : kContainers)
    if (c.form == type) return &c;
  return nullptr;
}

std::int64_t image_shown_size(TIMAGET type) {
  const TIMAGEDESC& d = IMAGEDESC[type];
  return image_container(type) != nullptr ? std::int64_t{d.NTR + 1} * (d.NSC + 1) * 256 : d.FULLSIZE;
}

bool image_container_of(std::span<const std::uint8_t> prefix, TIMAGET& type) {
  if (prefix.size() < CONTAINER_SIGNATURE_SIZE) return false;
  for (const ImageContainer& c : kContainers) {
    if (c.signed_by(prefix)) {
      type = c.form;
      return true;
    }
  }
  return false;
}

}  // namespace agat

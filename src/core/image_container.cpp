#include "core/image_container.h"

#include "core/hfe_file.h"
#include "core/mfi_file.h"
#include "core/woz_file.h"

namespace agat {

namespace {

// HFE and MFI files hold no description: none is read, and one given is not written.
template <bool (*Unpack)(std::span<const std::uint8_t>, std::span<std::uint8_t>)>
bool without_description(std::span<const std::uint8_t> file, std::span<std::uint8_t> records,
                         std::string& description) {
  description.clear();
  return Unpack(file, records);
}

template <void (*Pack)(std::span<const std::uint8_t>, std::span<const std::uint8_t>,
                       std::vector<std::uint8_t>&)>
bool without_description(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
                         std::string_view, std::vector<std::uint8_t>& file) {
  Pack(records, old, file);
  return true;
}

constexpr ImageContainer kContainers[] = {
    {ITW140, true, is_woz_file, woz_unpack, woz_pack},
    {ITH800, false, hfe_signed, without_description<hfe_unpack>, without_description<hfe_pack>},
    {ITM800, false, mfi800_signed, without_description<mfi800_unpack>, without_description<mfi800_pack>},
    {ITM140, false, mfi140_signed, without_description<mfi140_unpack>, without_description<mfi140_pack>},
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

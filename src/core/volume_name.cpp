#include "core/volume_name.h"

#include <algorithm>

namespace agat {

namespace {

constexpr std::uint8_t NAME_END = 0x8D;

}  // namespace

std::string volume_name(const TVTOCSECTOR& VT) {
  const std::uint8_t* begin = VT.VOLNAME;
  const std::uint8_t* end = VT.VOLNAME + sizeof VT.VOLNAME;
  if (*begin == NAME_END) ++begin;
  const std::uint8_t* stop =
      std::find_if(begin, end, [](std::uint8_t b) { return b == NAME_END || b == 0; });
  return std::string(begin, stop);
}

void set_volume_name(TVTOCSECTOR& VT, std::string_view agat) {
  const std::size_t length = std::min(agat.size(), MAX_VOLUME_NAME);
  std::fill(std::begin(VT.VOLNAME), std::end(VT.VOLNAME), std::uint8_t{0});
  std::copy_n(agat.begin(), length, VT.VOLNAME);
  VT.VOLNAME[length] = NAME_END;
}

}  // namespace agat

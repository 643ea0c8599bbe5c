// The volume name of an Agat disk, VTOC bytes 8..38: the name in Agat codes, then $8D
// and zero bytes, as real Agat disks carry it. A name saved with $8D in front of it (as
// earlier versions of this toolset did) is read without that $8D.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/world_formats.h"

namespace agat {

// The longest name that leaves room for its $8D and a zero byte.
inline constexpr std::size_t MAX_VOLUME_NAME = 29;

// The name in Agat codes: the bytes up to the first $8D or zero byte.
std::string volume_name(const TVTOCSECTOR& VT);

// Stores the first MAX_VOLUME_NAME Agat codes of `agat`, then $8D, then zero bytes.
void set_volume_name(TVTOCSECTOR& VT, std::string_view agat);

}  // namespace agat

// Small helpers shared by the operations on catalog entries of an image.
#pragma once

#include <cstdint>
#include <string>

#include "core/char_sets.h"
#include "core/world_formats.h"

namespace agat {

// The entry at catalog sector t/s, index o; nullptr when that place is not on the medium.
inline TCATREC33* catalog_entry(TMEDIA& md, std::uint8_t t, std::uint8_t s, std::int32_t o) {
  if (t > md.NUMTR || s > md.NUMSC || o < 0 || o > 6) return nullptr;
  return &as<TCATSECTOR>(md.MASS[t][s]).CR[o];
}

// An Agat name in Windows-1251 between double quotes, all 30 characters, for messages.
inline std::string quoted_agat_name(const std::uint8_t* name) {
  return "\"" + A2L(std::string_view(reinterpret_cast<const char*>(name), 30)) + "\"";
}
inline std::string quoted_agat_name(const TAGATNAME& name) {
  return quoted_agat_name(name.data());
}

}  // namespace agat

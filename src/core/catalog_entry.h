// Small helpers shared by the operations on catalog entries of an image.
#pragma once

#include <cstdint>
#include <string>

#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/world_formats.h"

namespace agat {

// The entry at catalog sector t/s, index o; nullptr when that place is not on the medium.
inline TCATREC33* catalog_entry(TMEDIA& md, std::uint8_t t, std::uint8_t s, std::int32_t o) {
  if (t > md.NUMTR || s > md.NUMSC || o < 0 || o > 6) return nullptr;
  return &as<TCATSECTOR>(md.MASS[t][s]).CR[o];
}

// Text between double quotes, for messages.
inline std::string quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  out += text;
  out += '"';
  return out;
}

// An Agat name in Windows-1251, all 30 characters, between double quotes.
inline std::string quoted_agat_name(const std::uint8_t* name) {
  return quoted(A2L(std::string_view(reinterpret_cast<const char*>(name), 30)));
}
inline std::string quoted_agat_name(const TAGATNAME& name) {
  return quoted_agat_name(name.data());
}

// A host path (host bytes) shown in Windows-1251 between double quotes.
inline std::string quoted_host_path(const std::string& path) {
  return quoted(host_to_cp1251(path));
}

}  // namespace agat

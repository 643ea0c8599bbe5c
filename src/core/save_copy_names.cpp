#include "core/save_copy_names.h"

#include <cstdint>
#include <cstdio>

namespace agat {

std::string save_copy_prefix(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : name) hash = (hash ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return std::string(".agat-save-") + hex + "-";
}

}  // namespace agat

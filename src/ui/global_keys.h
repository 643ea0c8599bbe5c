// The key table: which key starts which action, with which argument.
#pragma once

#include <cstdint>
#include <span>

#include "ui/interface_formats.h"

namespace agat {

struct TACTORKEY {
  std::uint16_t KEY;
  T_ACTOR ACT;
  std::int32_t ARG;
};

// In table order; the first entry with the key wins.
std::span<const TACTORKEY> ACTORS();

// True when K is in the table; then ACTOR and ARG are that entry's.
bool GK_ISACTOR(std::uint16_t K, T_ACTOR& ACTOR, std::int32_t& ARG);

}  // namespace agat

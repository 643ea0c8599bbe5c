// The names of the ways a sector of a protected disk departs from its track form (the
// ODD_ bits of world_formats.h), as the sector map and the check report show them.
#pragma once

#include <cstdint>
#include <string>

namespace agat {

// The departures in ODD, in Windows-1251, joined by ", "; empty for a standard sector.
std::string oddity_text(std::uint8_t odd);

}  // namespace agat

// The image-map editor: analyses an image, shows its sector map, and loops over what the
// map screen asks for: edit the sector under the cursor in the hex editor, make a file of
// a lost T/S list, or leave.
#pragma once

#include <cstdint>

#include "core/world_formats.h"

namespace agat {

// The map cursor, kept between openings (track 17, sector 0 at first).
extern std::uint8_t CURSTR;
extern std::uint8_t CURSSC;

// Does nothing unless MD is a disk image. A kept sector edit and a new file are saved to
// the image file at once; the caller re-reads the panels afterwards.
void IMM_EDITOR(TMEDIA& MD);

}  // namespace agat

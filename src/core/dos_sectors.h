// The DOS of a disk that boots, as its file system shows it: the sectors its VTOC marks used
// that no catalog, T/S list, file or VTOC claims. A new bootable image gets them at the same
// places (FC_INITMEDIA).
#pragma once

#include <string_view>
#include <vector>

#include "core/world_formats.h"

namespace agat {

// The DOS sectors of the loaded image MASTER, track by track. False, with a critical message
// that starts with OPERATION, when its VTOC is not sound: its marks would mean nothing.
bool dos_sectors(TMEDIA& MASTER, std::string_view OPERATION, std::vector<TSREF>& SECTORS);

// Copies the DOS of MASTER into the new image MD, built but not yet saved, at the same places,
// and marks those sectors used in MD's VTOC; one where MD keeps its VTOC or catalog is left out
// with a warning; sectors that do not read in MASTER are copied as they are, with a warning.
// Refused, with a critical message that starts with OPERATION and MD unchanged, when MASTER has
// another geometry or its VTOC is not sound.
bool copy_dos(TMEDIA& MASTER, TMEDIA& MD, std::string_view OPERATION);

}  // namespace agat

// Loading a disk image file into the sector array of a medium and saving it back, in
// every image form of IMAGEDESC. The file is the authority: every catalog read loads it and
// every change ends with one save.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/world_formats.h"

namespace agat {

using TPROGRESSPROC = void (*)(std::uint8_t percent);
// Called after each track of a load or save with the percentage done, when assigned.
extern TPROGRESSPROC PROGRESSPROC;

// Fills MASS[0..NUMTR] from HOSTPATH + IMAGENAME, DESCRIPTION from the header of an
// image with an emulator header (empty for the other forms), and `nonstandard` with what the track
// readers found unusual in the sectors they took (all 0 for the plain forms). On failure MASS is
// unchanged and a message is in the critical buffer.
void FC_LOADMEDIA(TMEDIA& MD);

// Writes MASS[0..NUMTR] to the image file. With CREATEENABLE the file must not exist
// and is created; otherwise the existing file is replaced as a whole, keeping its
// length, its trailer or header and its permissions. A new file of a form with a header gets a new
// one with DESCRIPTION. A failed save leaves the old file as it was.
void FC_SAVEMEDIA(TMEDIA& MD, bool CREATEENABLE);

// Whether a save can write sector SC of track TR of the image: always in the plain forms;
// in the track forms (nibble, AIM) not when the last load found no field of it (say, its
// address field did not decode), for a save rewrites a sector only where its field lies.
bool is_sector_writable(const TMEDIA& MD, std::uint8_t TR, std::uint8_t SC);

}  // namespace agat

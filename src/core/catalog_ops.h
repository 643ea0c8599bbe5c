// Operations on catalog entries: delete, undelete, rename and retype, lock and unlock,
// make a BTK sub-catalog or a host directory. Image operations change the sectors in
// memory and end, when they succeed, with one save of the image file.
#pragma once

#include <cstdint>
#include <string>

#include "core/world_formats.h"

namespace agat {

void FC_DELETE(TCATREC& CR);

// Marks the Agat file entry deleted and frees its sectors in memory; a T/S chain that
// leaves the disk or meets an unreadable list is freed as far as it leads, with a warning.
// False, with nothing changed, when the entry is a BTK sub-catalog or its chain loops.
bool INT_DELETE(TMEDIA& MD, std::uint8_t TCAT, std::uint8_t SCAT, std::int32_t OCAT);

// Restores a deleted Agat file entry whose saved track leads to a T/S list, gives it LAST
// as its last name character (deletion overwrote it with the list's track; almost every
// name holds a blank there) and takes its sectors in the VTOC again. Refused with a
// message and nothing changed when the saved track leads nowhere, or when any sector of
// the file is in use now (the message names who holds it).
void FC_UNDELETE(TCATREC& CR, std::uint8_t LAST = AGAT_SPACE);

// CR1 is the entry as listed; CR2 carries the new HOSTNAME (host objects) or the new
// AGATNAME and EXT (Agat files, BTK sub-catalogs).
void FC_RENAME(TCATREC& CR1, TCATREC& CR2);

// MODE -1 unlocks, 1 locks, anything else toggles.
void FC_RELOCK(TCATREC& CR, std::int8_t MODE);

// A BTK sub-catalog named DN in the current catalog of an image.
void FC_MAKEDIR(TMEDIA& MD, const TAGATNAME& DN);
// A host directory HOSTPATH + DN (host bytes).
void FC_MAKEDIR(TMEDIA& MD, const std::string& DN);

}  // namespace agat

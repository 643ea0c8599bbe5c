// Reading the catalog of a medium: the current catalog of a disk image (with BTK
// sub-catalogs, deleted and hidden entries), or the entries of a host directory
// (sub-directories, disk images recognised by size, ".FIL" files).
#pragma once

#include <cstdint>

#include "core/world_formats.h"

namespace agat {

// Rebuilds MD.CAT (not its SORTMODE), VOLUMEID, VTOCINVALID and FREESPACE. An image is
// reloaded from its file first.
void FC_READCAT(TMEDIA& MD);

// Free sectors of an image, free 256-byte units of a host file system.
std::uint32_t FREECALC(TMEDIA& MD);

// The type letter (Windows-1251) of a type byte: the letter of its highest type bit;
// the lock bit does not count.
char FC_FTYPE(std::uint8_t EXT);

// The AGATNAME of host entries: "<not_set>" followed by 21 zero bytes.
extern const TAGATNAME NOT_SET_AGATNAME;
inline constexpr const char* NOT_SET_HOSTNAME = "<not_set>";

}  // namespace agat

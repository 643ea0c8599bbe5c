// The check that comes before any write through the file system of an image: its VTOC
// must read and be the VTOC of a DOS disk of this geometry, or the write would follow
// pointers and masks that mean nothing (a disk without DOS, a damaged VTOC). Reading
// needs no such check, and raw sector writes, which exist to repair a VTOC, make none.
#pragma once

#include <string_view>

#include "core/world_formats.h"

namespace agat {

// True when the VTOC reads, its catalog pointer lies on the medium, and it states this
// medium's tracks and sectors, 122 pairs per T/S list and 256 bytes per sector.
bool vtoc_is_sound(const TMEDIA& MD);

// The same; when it fails, a critical message "<operation>: <why>, образ не изменён".
bool require_sound_vtoc(const TMEDIA& MD, std::string_view operation);

}  // namespace agat

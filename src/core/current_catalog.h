// The catalog a medium shows: the one the VTOC names, or the one the medium holds in
// memory (a sub-catalog entered in an image that cannot be written); and the sectors a
// catalog's chain takes, which the allocator never hands out while the catalog is in use.
#pragma once

#include "core/chain_guard.h"
#include "core/world_formats.h"

namespace agat {

// The first sector of the catalog the medium shows.
TSREF current_catalog(const TMEDIA& MD);

// Marks in `chain` every sector of the catalog chain that starts at `first`, as far as it
// can be followed: a sector off the medium, an unreadable one or a loop ends it. Quiet.
void mark_catalog_chain(TMEDIA& MD, TSREF first, ChainGuard& chain);

// True for the VTOC and its extension sectors.
bool is_map_sector(const TMEDIA& MD, std::uint8_t TR, std::uint8_t SC);

}  // namespace agat

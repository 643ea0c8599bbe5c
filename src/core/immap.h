// The image map: classifies every sector of an opened image by who refers to it and in
// which role (VTOC, catalog, T/S list, data), checks the VTOC field by field, finds
// damage (links off the disk, unreadable sectors, sectors used twice or used while free
// in the VTOC) and T/S lists that no catalog entry leads to, and turns such a list back
// into a catalog entry (immap_recovery.cpp). The analysis only reads the sectors in
// memory; it never reports through the message buffers.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/immap_defines.h"
#include "core/world_formats.h"

namespace agat {

// The map of the last analysis of this thread.
extern thread_local T_IMMARRAY SCMP;

using TVTOCFAULTS = std::vector<TVTOCFAULT>;

// Resets the references and the error flags of every sector of the medium and records
// what each sector is by itself: unreadable, free in the VTOC, shaped like a T/S list.
void INITMAP(TMEDIA& MD);

// Checks the VTOC sector field by field and the free-sector masks of every track;
// gives the VTOC and its extension sectors their references, charges each fault to the
// sector that holds it, and lists the faults in FAULTS in the order found.
void VTOCANALYSE(TMEDIA& MD, TVTOCFAULTS& FAULTS);

// Walks the catalog from the VTOC, every BTK sub-catalog, the T/S lists of the files and
// their data sectors, and records the references. Every walk ends: a catalog sector is
// read once, a T/S list is followed until it holds 16 references.
void ANALYSEMAP(TMEDIA& MD);

// A full analysis: INITMAP, VTOCANALYSE and ANALYSEMAP.
void scan_map(TMEDIA& MD, TVTOCFAULTS& FAULTS);

// Marks ISFLASH on the chain of T/S lists from TTSL/STSL and on their data sectors,
// clearing it everywhere else.
void FLASHSEARCH(TMEDIA& MD, std::uint8_t TTSL, std::uint8_t STSL);

// Brings back the lost file whose chain starts at the T/S list TTSL/STSL, after a fresh
// analysis of MD. When a deleted entry still leads to the list, that entry is undeleted
// (the catalog operations' rules apply, the last name character becomes a blank).
// Otherwise a catalog entry of type 0 named after the place ("  TT   SS") is made in the
// current catalog, in a never-used entry if there is one (a deleted one only when none is
// left, with a warning naming it), the chain's sectors are taken in the VTOC and the image
// is saved. The catalog is not extended. Refused, with a critical message and nothing
// changed, when the sector is no T/S list, something refers to it, it continues another
// list's chain (a file's, or a lost chain's, whose first list is named), any sector of its
// chain already belongs to something (named), or the catalog has no free entry.
bool BUILDFILE(TMEDIA& MD, std::uint8_t TTSL, std::uint8_t STSL);

// A T/S list with data that nothing refers to: the remains of a lost file.
bool is_orphan_tsl(const T_IMMSECTORDESC& D);

// What the map screen points at as a fault: an error in the sector or its link, more
// than one reference, or a reference to a sector the VTOC calls free.
bool is_fault(const T_IMMSECTORDESC& D);

// Calls VISIT(track, sector, is_list) for each T/S list of the chain from TTSL/STSL that
// is shaped like one, and for each data sector it names on the medium (pairs whose track
// is 0 are holes, passed over). The walk ends at a list seen before or after 255 lists.
void walk_tsl_chain(TMEDIA& MD, std::uint8_t TTSL, std::uint8_t STSL,
                    const std::function<void(std::uint8_t, std::uint8_t, bool)>& VISIT);

}  // namespace agat

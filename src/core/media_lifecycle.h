// The life of a medium: a host directory at start, a new empty image, an image tidied up.
#pragma once

#include "core/world_formats.h"

namespace agat {

// Makes MD a host-directory medium on the current directory.
void FC_NEWMEDIA(TMEDIA& MD);

// Builds a new empty image in MD (MEDIAT, HOSTPATH, IMAGENAME and IMAGET set by the
// caller; only plain and nibble forms without a trailer, and the form with an emulator
// header, which gets DESCRIPTION) and creates its file.
void FC_INITMEDIA(TMEDIA& MD);

// Removes every trace of deleted entries from the current catalog, cuts the catalog
// after its last sector with a live entry, fills free sectors with $BD and saves.
void FC_CLEANMEDIA(TMEDIA& MD);

}  // namespace agat

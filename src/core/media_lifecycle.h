// The life of a medium: a host directory at start, a new empty image, an image tidied up.
#pragma once

#include <optional>
#include <string>

#include "core/world_formats.h"

namespace agat {

// Makes MD a host-directory medium on the current directory.
void FC_NEWMEDIA(TMEDIA& MD);

// What a new image holds beside its empty catalog: the DOS of MASTER (a loaded image of the
// same geometry; none when null) and the volume name VOLUME in Agat codes (when none is
// given, the master's, or an empty one).
struct NewImageSystem {
  TMEDIA* MASTER = nullptr;
  std::optional<std::string> VOLUME;
};

// Builds a new empty image in MD (MEDIAT, HOSTPATH, IMAGENAME and IMAGET set by the
// caller; only plain and nibble forms without a trailer, and the form with an emulator
// header, which gets DESCRIPTION), with the system SYSTEM asks for, and creates its file.
// A master that cannot give its DOS (copy_dos) leaves a critical message and no file.
void FC_INITMEDIA(TMEDIA& MD, const NewImageSystem& SYSTEM = {});

// Removes every trace of deleted entries from the current catalog, cuts the catalog
// after its last sector with a live entry, fills free sectors with $BD and saves.
void FC_CLEANMEDIA(TMEDIA& MD);

}  // namespace agat

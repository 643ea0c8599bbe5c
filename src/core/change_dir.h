// Moving a medium to the place a catalog entry leads to: into and out of host
// directories, into a disk image and back out, into a BTK sub-catalog and back.
#pragma once

#include "core/world_formats.h"

namespace agat {

// Changes CR.PMEDIA according to the entry. Entering a BTK sub-catalog rewrites the
// VTOC's catalog pointer in the image file, so the image reopens where the user was. The
// way back (the current catalog's first entry, to a catalog that holds this one's entry)
// is always taken; a sub-catalog whose chain does not read, whose first sector is no
// catalog sector or whose first entry does not lead back here is refused with a message.
void FC_CHDIR(TCATREC& CR);

// Whether the image can record a change of catalog: its file can be written and its VTOC
// is sound.
bool catalog_change_can_be_saved(const TMEDIA& MD);

// Enters CR's BTK sub-catalog for CR.PMEDIA alone, without writing the image, which keeps
// its own current catalog: for an image that cannot be written. Refused as FC_CHDIR
// refuses.
void enter_sub_catalog_in_memory(TCATREC& CR);

// The parent of a host path that ends in the separator: "/a/b/" gives "/a/", "/a/" gives
// "/" (on Windows "C:\a\" gives "C:\"). The root, and a path without an earlier
// separator, stay as they are.
std::string parent_host_path(const std::string& path);

}  // namespace agat

// Moving a medium to the place a catalog entry leads to: into and out of host
// directories, into a disk image and back out, into a BTK sub-catalog and back.
#pragma once

#include "core/world_formats.h"

namespace agat {

// Changes CR.PMEDIA according to the entry. Entering a BTK sub-catalog rewrites the
// VTOC's catalog pointer in the image file, so the image reopens where the user was.
void FC_CHDIR(TCATREC& CR);

// The parent of a host path that ends in "/": "/a/b/" gives "/a/", "/a/" gives "/".
// The root, and a path without an earlier separator, stay as they are.
std::string parent_host_path(const std::string& path);

}  // namespace agat

// Agat file names and host file names, each made from the other.
#pragma once

#include <string>

#include "core/world_formats.h"

namespace agat {

// A host file name (host bytes: UTF-8 on Linux) for an Agat name: trailing blanks
// dropped, characters the host does not allow in names replaced by "_", "(space)"
// for a name of blanks only. No extension is added.
std::string AGAT2HOSTFNAME(const TAGATNAME& SRC);

// The Agat name for a host file name (host bytes): its first 30 characters in Agat
// code, padded with Agat blanks.
TAGATNAME HOST2AGATFNAME(const std::string& SRC);

}  // namespace agat

// Writing an edited file back over itself. An edit that keeps the size (the hex editor
// never changes it) needs no allocation: the changed bytes go back into the file's own data
// sectors, found along its T/S list as the load found them, and the image is saved once.
// Nothing is allocated, freed or renamed, and no other entry (not even one of the same
// name) is touched. A ".FIL" file is replaced whole.
#pragma once

#include "core/world_formats.h"

namespace agat {

// Whether the file of entry CR may be written over: it is not locked, and in an image not
// deleted (a deleted file's sectors may belong to other files by now) and the image's VTOC
// is sound (as for every write through the file system). False, with a critical message,
// when it may not.
bool may_rewrite_file(const TCATREC& CR);

// Writes the CR.SIZE bytes of BUF, loaded from CR by FC_LOAD and edited without a change
// of size, back over the file. In an image, every data sector whose bytes changed is
// rewritten in place and the image saved once; the entry at CR's catalog place must still
// lead to the same T/S list, and the chain must still hold CR.SIZE bytes. Everything is
// checked before anything is written: on a critical error nothing is. True when the file
// holds BUF afterwards.
bool rewrite_file(TCATREC& CR, TFILEBUF& BUF);

}  // namespace agat

// The file buffer of the content dispatcher: one whole-file buffer, allocated on first use
// and kept, into which view, edit, information, export and import load a file, one
// operation at a time.
#pragma once

#include "core/world_formats.h"

namespace agat {

TFILEBUF& content_buffer();

}  // namespace agat

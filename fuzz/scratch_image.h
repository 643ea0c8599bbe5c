// The image file a fuzz input describes, written to the scratch folder and opened as a
// panel opens an image: its form found from the file, its catalog read.
#pragma once

#include <string>

#include "core/world_formats.h"
#include "image_input.h"

namespace agat::fuzz {

inline constexpr const char* SCRATCH_IMAGE = "image";

// The one medium of the process, on the scratch image.
TMEDIA& scratch_medium();

// Writes the file of IN and opens it; nullptr when the file is no image (a header without
// its signature). The message buffers are emptied before and after.
TMEDIA* open_scratch_image(const ImageInput& in);

// Reads the catalog of MD again; true when the core reported no critical error. The
// message buffers are emptied.
bool reread(TMEDIA& md);

// Empties both message buffers; true when the critical one was empty. With AGAT_FUZZ_TRACE
// set in the environment, a critical message is printed first (to follow a finding).
bool take_messages();

}  // namespace agat::fuzz

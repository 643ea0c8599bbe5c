// What a host file is as a disk image, found from the file itself: its form (a container form
// by its signature, any other by its size, and for the one form with a header, by the
// header's signature too) and the description that form's header, or the container, carries.
#pragma once

#include <cstdint>
#include <string>

#include "core/world_formats.h"

namespace agat {

// The image type of the host file `path` of `size` bytes; false when it is no image: no
// form has that size, or a file of the size of a form with signed_header lacks the header (or
// cannot be read).
bool image_type_of_file(const std::string& path, std::uint64_t size, TIMAGET& type);

// The description in the emulator header of the image file `path`, or the title a container
// holds (WOZ's META), in Windows-1251; false when the file has neither (another form, or a file
// that cannot be read).
bool image_description(const std::string& path, std::string& description);

// Whether images of the form carry a description: the emulator header's, or a container's.
bool form_has_description(TIMAGET type);

}  // namespace agat

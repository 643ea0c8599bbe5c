// Pictures saved as PNG files, each picture pixel becoming a block of pixels of its
// preferred shape, and the names under which they are saved. The Windows build has no
// libpng: there png_unavailable.cpp stands in, and no file is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/host_file_io.h"
#include "core/world_formats.h"
#include "platform/picture.h"

namespace agat {

// Whether this build writes PNG files.
extern const bool PNG_AVAILABLE;

// The PNG file of the picture: (width * shape_w) x (height * shape_h) pixels of the 16
// colours, as an indexed-colour image. Empty when libpng fails or the picture is empty.
std::vector<std::uint8_t> encode_png(const Picture& picture);

// Writes the PNG file of the picture as a new file PATH; an existing file is never
// replaced (`exists`).
FileIoResult write_png(const std::string& path, const Picture& picture);

// The name for the picture of the Agat file NAME in directory DIR (empty or ending in
// "/"): the host name made from the Agat name with ".png", made unique in DIR as ".FIL"
// files are ("NAME~1.png" ...). False, with a critical message of the core, when no free
// name is found.
bool png_name_for(const std::string& DIR, const TAGATNAME& NAME, std::string& file);

}  // namespace agat

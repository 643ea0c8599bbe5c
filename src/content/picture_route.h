// What the content dispatcher does with the picture formats (FFALVGRAF to FFMGFRAGM) while
// no picture viewer is linked in: the file is shown as raw bytes in the hex view, and the
// information page names a video-memory mode from the picture modes' size table. These two
// functions are the only places to change when the picture viewer takes over.
#pragma once

#include <cstdint>
#include <string_view>

#include "content/format_defines.h"
#include "core/world_formats.h"

namespace agat {

// Shows the loaded picture file BUF of entry CR, taken as format FMT.
void view_picture(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT);

// The name of the video-memory mode that a picture of LENGTH bytes is first shown in: the
// first mode of that size, or "MGR  128 x 128 x 16" when no mode has it.
std::string_view video_mode_name(std::uint32_t LENGTH);

}  // namespace agat

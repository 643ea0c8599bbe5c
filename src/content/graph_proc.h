// Pictures: a picture file decoded into the frame and shown in the graphics window, where
// the arrow keys switch between the interpretations of a video-memory image and between
// the renderings of a ZX Spectrum screen.
#pragma once

#include <memory>
#include <optional>

#include "content/format_defines.h"
#include "content/graph_screen.h"
#include "core/world_formats.h"

namespace agat {

// Shows the loaded file BUF of entry CR as a picture of format FMT: Alv Graf, ZX Spectrum
// and MouseGraph pictures by their own decoders, every other format as video memory.
// Nothing happens when the window cannot be opened.
void GP_VIEW(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT);

// Whether FMT is shown as video memory, whose mode can be chosen.
bool gp_has_modes(TFILEFORMAT FMT);

// The first picture GP_VIEW shows for the file, drawn onto SCR (cleared first). A video-
// memory image is drawn in MODE when one is given, else in the mode gp_first_mode chooses.
TGRAPHVIEW gp_render(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT, TGRAPHSCREEN& SCR,
                     std::optional<TFILEGFORMAT> MODE = std::nullopt);

}  // namespace agat

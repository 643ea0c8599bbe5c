// Pictures of the Agat's video memory saved as B or K files: the text modes, the colour and
// monochrome graphics modes, and the Apple II hi-res screen, each drawn into the frame.
#pragma once

#include <cstdint>

#include "content/format_defines.h"
#include "content/graph_screen.h"
#include "core/world_formats.h"

namespace agat {

// Where the picture data of a loaded file lie: a B file has them
// after its 4-byte head, which gives their length; any other file from its first byte,
// the length in T/S-list bytes 8..9.
struct TVIDEODATA {
  const std::uint8_t* BUF = nullptr;
  std::int32_t START = 0;  // the first data byte in BUF
  std::uint32_t SIZE = 0;  // the length the file states
  std::int32_t END = 0;    // the bytes of BUF that were loaded
};
TVIDEODATA gp_video_data(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT);

// Draws the data in mode MODE onto the frame (which the caller has cleared); what the file
// lacks stays black.
void draw_agat(const TVIDEODATA& DATA, TFILEGFORMAT MODE, TGRAPHSCREEN& SCR);

// One glyph of FONT8 with its top left corner at pixel (X, Y): lit pixels in FG, the
// others in BG.
void CHAROUT(TGRAPHSCREEN& SCR, std::int32_t X, std::int32_t Y, std::uint8_t CH, std::uint8_t FG,
             std::uint8_t BG);
// One character cell of the text modes: the colour is ATTR's bits 0..2; with bit 5 the glyph
// is drawn in it on black, else with bit 3 in dark grey on it, else in black on it.
void AGATCHAROUT(TGRAPHSCREEN& SCR, std::int32_t X, std::int32_t Y, std::uint8_t CH,
                 std::uint8_t ATTR);

}  // namespace agat

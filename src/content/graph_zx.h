// ZX Spectrum screens saved by PICLER, plain or packed: the bitmap and attributes taken
// from the file, and the screen drawn in one of the colour and brightness renderings.
#pragma once

#include <array>
#include <cstdint>

#include "content/format_defines.h"
#include "content/graph_screen.h"
#include "core/world_formats.h"

namespace agat {

struct TZXSCREEN {
  std::array<std::uint8_t, 6144> BITMAP{};  // 192 rows of 32 bytes, one after the other
  std::array<std::uint8_t, 768> ATTR{};     // 24 rows of 32 cells
  bool SCRERROR = false;                    // the bitmap is incomplete
  bool PALERROR = false;                    // the attributes are incomplete
};

// The screen of a loaded file of a ZX screen format FMT, plain or packed, of SIZE loaded bytes.
// A plain screen is incomplete where its head states a shorter length or the file ends
// early; a packed one where its stream writes past a block or ends before it is full.
void zx_load(const TFILEBUF& BUF, std::int32_t SIZE, TFILEFORMAT FMT, TZXSCREEN& ZX);

// Unpacks one block of LEN bytes into OUT from the packed stream at BUF[POS], reading no
// further than END, and leaves POS after the stream's last run. False when the block is
// damaged: a run wrote past its end (those bytes are dropped) or the stream ended first.
bool DECODER(const std::uint8_t* BUF, std::int32_t END, std::int32_t& POS, std::uint8_t* OUT,
             std::int32_t LEN);

// Colour rendering MODE: 0 lit pixels white, unlit in the paper colour; 1 lit in ink,
// unlit in paper; 2 lit in ink, unlit black. Brightness MODEB: 0 never bright; 1 lit pixels
// bright where the cell is; 2 every pixel bright where the cell is.
void PUTSCR(const TZXSCREEN& ZX, int MODE, int MODEB, TGRAPHSCREEN& SCR);

// The size, comment and key hints of the screen shown in MODE and MODEB.
TGRAPHVIEW zx_view(const TZXSCREEN& ZX, TFILEFORMAT FMT, int MODE, int MODEB);

// What an arrow key does to the renderings: up and down switch the colour rendering,
// left and right the brightness.
void zx_key(TINTKEYCODE KEY, int& MODE, int& MODEB);

}  // namespace agat

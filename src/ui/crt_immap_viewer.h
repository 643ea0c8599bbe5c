// The full-screen sector map of a disk image: one row per track, one cell per sector in
// one of three view modes (references, T/S lists, contents), the details of the sector
// under the cursor in a panel on the right, legends and help. It reads one key at a time
// and hands the caller (the image-map editor) a command: leave, edit the sector, make a
// file of the T/S list under the cursor, or the cursor moved.
//
// Cells are three columns wide (with a spacer) on consoles wider than 105 columns and two
// columns otherwise. Rows 1 and 2 hold the mode title and the sector numbers; the tracks
// start at row 3. The map is drawn again only when it scrolled, the mode changed, the
// screen was cleared, or the cursor rests on a sector shaped like a T/S list (whose file
// is highlighted); otherwise only the panel is rewritten.
#pragma once

#include <cstdint>

#include "core/immap_defines.h"

namespace agat {

// Commands of IMGMAPEXPOSE.
enum TIMMCOMMAND : std::uint8_t {
  IMMC_LEAVE = 0,
  IMMC_UP = 1,  // moved up, or by the search for a lost T/S list
  IMMC_DOWN = 2,
  IMMC_LEFT = 3,
  IMMC_RIGHT = 4,
  IMMC_EDIT = 5,
  IMMC_BUILD = 6,
};

// The next drawing starts on a cleared screen.
void IMGMAPOPEN();
void IMGMAPCLOSE();

// Draws the map of tracks 0..NT and sectors 0..NS with the cursor on T/S, reads keys
// until one yields a command, moves the cursor for it and returns it. ODD: what the track
// readers found unusual in each sector (the image's `nonstandard`), named in the panel.
std::uint8_t IMGMAPEXPOSE(const T_IMMARRAY& MAP, std::uint8_t& T, std::uint8_t& S, std::uint8_t NT,
                          std::uint8_t NS, const MediaOddities& ODD);

namespace crt_immap_viewer {

enum TVIEWMODE : std::uint8_t { VMLINKS = 0, VMTSLIST = 1, VMENTURES = 2 };

// The screen's state lives as long as the program: every opening starts where the last
// one left.
extern TVIEWMODE VIEWMODE;
extern std::int32_t TOPTRY;      // the track on the first map row
extern std::int32_t PREVTOPTRY;  // TOPTRY of the last full drawing; -9999 forces one
extern std::int32_t CURSTRY, CURSSCX;
extern std::int32_t NOTESX;  // first column of the panel
extern bool WITHSPACERS;
extern bool NEEDCLRSCR;
extern std::uint8_t PREVC;  // the attribute last set by SETC

// The title, the sector numbers, every track row, and the note of the last fault drawn.
void DRAWMAP(const T_IMMARRAY& MAP, std::uint8_t NT, std::uint8_t NS);
// The panel of the sector under the cursor.
void DRAWSCINFO(const T_IMMARRAY& MAP, const MediaOddities& ODD);
// Moves T/S to the first list of a lost T/S chain (marked ISORPHANHEAD), from T/S itself
// on up to the last track; leaves them when there is none.
void FIND_TSL(const T_IMMARRAY& MAP, std::uint8_t& T, std::uint8_t& S, std::uint8_t NT,
              std::uint8_t NS);

void HELP();
void LEGEND_LINKS();
void LEGEND_ENTURES();
void LEGEND_TSLIST();

}  // namespace crt_immap_viewer

}  // namespace agat

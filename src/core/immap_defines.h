// The types of the image map: for every sector of an image, who refers to it and in
// which role, what the VTOC says of it, what its contents look like, and which errors
// were found in it or in the link that leaves it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/world_formats.h"

namespace agat {

// The role in which a reference uses the sector it points to.
enum T_IMMSECTORTYPE : std::uint8_t { IMMVTOC = 0, IMMCAT = 1, IMMTSLIST = 2, IMMDATA = 3 };

inline constexpr std::int32_t IMM_MAXLINKS = 16;  // references kept per sector

// One reference to a sector: the sector that refers, the role, and for T/S lists and
// data sectors the name of the file.
struct TIMMLINK {
  std::uint8_t LF_T = 0;
  std::uint8_t LF_S = 0;
  T_IMMSECTORTYPE LF_FORMAT = IMMVTOC;
  TAGATNAME LF_FNAME{};
};

struct T_IMMSECTORDESC {
  std::int32_t LINKSCNT = 0;                       // 0..16
  std::array<TIMMLINK, IMM_MAXLINKS> LINKSFROM{};  // in the order found
  // The outgoing chain link the analysis followed (first catalog sector for the VTOC,
  // next catalog sector, next T/S list); track 0 when none.
  std::uint8_t EXTTOTR = 0;
  std::uint8_t EXTTOSC = 0;
  std::uint8_t INTBUGOFFS = 0;  // offset of the last error found in the contents
  bool ERRFROM = false;         // the outgoing link leaves the medium
  bool ERRSELF = false;         // the contents hold an error (see INTBUGOFFS)
  bool ERRREAD = false;         // unreadable
  bool ISFREE = false;          // free in the VTOC
  bool ISTSLIST = false;        // shaped like a T/S list
  bool ISFREETSLIST = false;    // no pair names a sector (every track byte is 0)
  bool ISFLASH = false;         // part of the file whose T/S list is under the cursor
  bool ISORPHANHEAD = false;    // the first list of a lost chain (find_orphans)
};

// Indexed [track][sector]; only tracks 0..NUMTR and sectors 0..NUMSC mean anything.
using T_IMMARRAY = std::array<std::array<T_IMMSECTORDESC, MAXSECTOR + 1>, MAXTRACK + 1>;

// One fault of the VTOC sector: a field (its offset and the message) or the free-sector
// mask of a track with bits set that no sector has.
struct TVTOCFAULT {
  enum Kind : std::uint8_t { FIELD, BITMAP } KIND = FIELD;
  std::uint8_t OFFS = 0;   // FIELD: the field's offset in the VTOC sector
  std::uint8_t TRACK = 0;  // BITMAP: the track whose mask is wrong
  std::string_view TEXT;   // FIELD: the message, Windows-1251
};

// The offset of the volume-name field, whose fault (no $8D $00 terminator) every image
// made by other DOS tools has: they keep no volume name.
inline constexpr std::uint8_t VTOC_VOLNAME_OFFS = 0x08;

}  // namespace agat

// The content formats of Agat files, by which a file is viewed, exported and imported,
// and the sub-formats of video-memory pictures.
#pragma once

#include <cstdint>

namespace agat {

enum TFILEFORMAT : std::uint8_t {
  FFAUTO = 0,           // find the format from the file (never the result of detection)
  FFASIS = 1,           // raw bytes
  FFBINARY = 2,         // "B" file: 4-byte head (load address, length), then code
  FFKOMAND = 3,         // "K" file: code; load address and length in the T/S list
  FFTEXT = 4,           // plain Agat text, lines ended by $8D
  FFBASIC = 5,          // tokenised BASIC program
  FFAGAWT = 6,          // text of the "Агат-Автор" system (a B file)
  FFAUTOGRAF = 7,       // text of the "Автограф" system (a B file), chosen by the user only
  FFALVGRAF = 8,        // picture of "Alv Graf"
  FFBINGRAF = 9,        // video-memory image saved as a B file
  FFKOMGRAF = 10,       // video-memory image saved as a K file
  FFZXCOMPGRAF = 11,    // ZX Spectrum screen packed by PICLER
  FFZXUNCOMPGRAF = 12,  // ZX Spectrum screen, not packed
  FFMGFRAGM = 13,       // fragment of a "MouseGraph" picture
};
inline constexpr int FILE_FORMAT_COUNT = 14;

// The picture formats, FFALVGRAF to FFMGFRAGM.
inline constexpr bool is_picture_format(TFILEFORMAT f) {
  return f >= FFALVGRAF && f <= FFMGFRAGM;
}

enum TFILEGFORMAT : std::uint8_t {
  FGFTEXT64N = 0,
  FGFTEXT64I = 1,
  FGFTEXT32 = 2,
  FGFLGR7 = 3,
  FGFMGR = 4,
  FGFHGR = 5,
  FGFAPPLE = 6,
  FGFMGR9 = 7,
  FGFHGR9 = 8,
};
inline constexpr int GRAPHIC_FORMAT_COUNT = 9;

}  // namespace agat

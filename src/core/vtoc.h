// Sector-level services of the media core: checking sector references, the free-sector
// masks of the VTOC and its extension sectors, and the allocation search. They work on
// the in-memory sectors only; the calling operation saves the image.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/world_formats.h"

namespace agat {

// "DISK READ ERROR", "THIS SECTOR WAS", "NOT READ CORRECTLY": what some copiers write
// into a sector they could not read. Such a sector counts as unreadable.
extern const TSECTOR BADLABEL;

// A reference to one little-endian track mask inside a map sector, or none.
class PCARDINAL {
 public:
  PCARDINAL() = default;
  explicit PCARDINAL(std::uint8_t* p) : p_(p) {}
  explicit operator bool() const { return p_ != nullptr; }
  std::uint32_t get() const { return get_le32(p_); }
  void set(std::uint32_t v) { put_le32(p_, v); }

 private:
  std::uint8_t* p_ = nullptr;
};

bool FC_IS_RANGEOK(const TMEDIA& MD, std::uint8_t TR, std::uint8_t SC);
// False for a sector equal to BADLABEL or made of 256 bytes $BD.
bool FC_IS_SECOK(const TSECTOR& BUF);

// 0 = usable; 1 = out of range; 2 = unreadable. On 1 and 2 a message that starts with
// S goes into ERRBUFFER.
std::uint8_t DSKAREATEST(std::string_view S, std::string& ERRBUFFER, std::uint8_t TR,
                         std::uint8_t SC, TMEDIA& MD);

// The mask of track TR, or none when the track is off the medium or its map sector
// is unreadable.
PCARDINAL FC_GETVTOCMAP(TMEDIA& MD, std::uint8_t TR);
bool FC_IS_SECFREE(TMEDIA& MD, std::uint8_t TR, std::uint8_t SC);
void FREESECT(TMEDIA& MD, std::uint8_t TR, std::uint8_t SC);
// Takes the sector if it is free; true when taken.
bool GETSECT(TMEDIA& MD, std::uint8_t TR, std::uint8_t SC);
// Finds and takes a free sector, going from the VTOC's next track in its direction. The
// VTOC, its extension sectors and the current catalog's sectors are never handed out.
bool NEWSECT(TMEDIA& MD, std::uint8_t& TR, std::uint8_t& SC);
// True when sector TR/SC has the shape of a T/S-list sector: byte 0 is 0, the link is on
// the medium (or track 0), and every pair names a sector on the medium or has track 0 (a
// hole, whatever its sector byte).
bool FC_IS_TSL(TMEDIA& MD, std::uint8_t TR, std::uint8_t SC);
// Where the T/S list in SECTOR breaks that shape: -1 when it does not, else the offset of
// the first byte at fault (0: byte 0 is not 0, so the sector is no list at all; 1: the
// link leaves the medium; 12 + 2 x J: pair J names a sector off the medium).
int tsl_flaw(const TMEDIA& MD, const TSECTOR& SECTOR);

// The number of sectors the VTOC marks free on the whole medium.
std::uint32_t free_sector_count(TMEDIA& MD);

}  // namespace agat

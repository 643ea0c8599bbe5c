// Whole Agat files in and out of a medium: read through the chain of T/S lists of an
// image or from a host ".FIL" file, written by allocating a catalog entry, T/S lists and
// data sectors, or as a ".FIL" file.
#pragma once

#include <cstdint>
#include <string>

#include "core/world_formats.h"

namespace agat {

// Loads the file of a CRTAGATFILE entry into BUF; sets CR.SIZE and CR.TSDATA (and, for
// a ".FIL" file, CR.AGATNAME and CR.EXT).
void FC_LOAD(TCATREC& CR, TFILEBUF& BUF);

// Writes CR.SIZE bytes of BUF into MD under CR's name, type and T/S data. In an image the
// last sector holds zeros past the file, and a live file of the same name is replaced
// unless it is locked (then nothing is saved); on
// a host medium the file is MD.HOSTPATH + CR.HOSTNAME, made unique first when UNIQNAME
// is set.
void FC_SAVE(TCATREC& CR, TFILEBUF& BUF, TMEDIA& MD, bool UNIQNAME);

// The first reusable (never used or deleted) entry of the current catalog; with
// EXTENABLE the catalog grows by one sector when it has none. A never-used entry found
// ends the catalog: the catalog is made to end after it, as the entry is to be taken.
bool FC_FINDFREECAT(TMEDIA& MD, std::uint8_t& T, std::uint8_t& S, std::int32_t& O, bool EXTENABLE);

// The entry named NM (30 raw bytes) in the current catalog: a live one, or with
// FINDDEL a deleted one.
bool FINDTHISCAT(TMEDIA& MD, const TAGATNAME& NM, std::uint8_t& T, std::uint8_t& S, std::int32_t& O,
                 bool FINDDEL);

// True when the current catalog of image MD holds a locked live file named NM, which a
// save of that name does not replace. Quiet.
bool has_locked_namesake(TMEDIA& MD, const TAGATNAME& NM);

// Replaces FN by the first of FN, NAME~1.EXT, NAME~2.EXT ... that does not exist in
// directory PT. False (with a critical message, FN unchanged) when none is found among
// a bounded number of candidates.
bool FINDUNIQNAME(const std::string& PT, std::string& FN);

}  // namespace agat

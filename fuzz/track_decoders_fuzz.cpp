// Fuzz target: one track decoder on a raw track record (the input, cut or padded with $FF
// to the record's size). Built three times, TRACK_FORM naming the form: ITN140 (140 KB
// nibble), ITN800 (800 KB nibble) or ITA800 (AIM).
//
// Invariants: both readers of the codec give the same sectors; a sector found has a field
// inside the record; updating the record to sectors changed by the tail of the input gives
// a record that reads as those sectors (or is refused when a changed sector did not
// decode), and a record not changed stays byte for byte; a nibble track encoded from the
// sectors read decodes to them; the word path and the wide path of the 140 KB nibble
// decoder unchain any bytes alike.
#include <algorithm>
#include <span>

#include "core/aim_800.h"
#include "core/nibble_140.h"
#include "core/nibble_140_chain.h"
#include "core/nibble_800.h"
#include "core/track_update.h"
#include "fuzz_check.h"
#include "image_input.h"

#ifndef TRACK_FORM
#error "TRACK_FORM must name the track form: ITN140, ITN800 or ITA800"
#endif

namespace agat::fuzz {
namespace {

constexpr TIMAGET kForm = TRACK_FORM;
constexpr std::size_t kSize = kForm == ITN140   ? NIB140_TRACK_SIZE
                              : kForm == ITN800 ? NIB800_TRACK_SIZE
                                                : ATRSIZE;
constexpr int kSectors = kForm == ITN140 ? 16 : 21;
using Record = std::array<std::uint8_t, kSize>;

// Templates, so that only the branch of the form is compiled.
template <class R>
void read(const R& r, TTRACK& sectors, TrackFields& fields) {
  if constexpr (kForm == ITN140) {
    nib140_read_fields(r, sectors, fields);
    TTRACK plain;
    NIB_READ_TRACK140(r, 5, plain);
    FUZZ_CHECK(std::equal(plain.begin(), plain.begin() + kSectors, sectors.begin()), "readers");
    if (const Unchain wide = wide_unchain()) {
      std::array<std::uint8_t, NIB140_CHAINED> words, wides;
      for (std::size_t at = 0; at + NIB140_CHAINED <= kSize; at += NIB140_CHAINED)
        FUZZ_CHECK(
            unchain_words(&r[at], words.data()) == wide(&r[at], wides.data()) && words == wides,
            "unchain paths");
    }
  } else if constexpr (kForm == ITN800) {
    TrackOddities odd;
    nib800_read_fields(r, sectors, fields, odd);
    TTRACK plain;
    NIB_READ_TRACK800(r, 5, plain);
    FUZZ_CHECK(std::equal(plain.begin(), plain.begin() + kSectors, sectors.begin()), "readers");
  } else {
    TrackOddities odd;
    aim800_read_fields(r, sectors, fields, odd);
    TTRACK plain;
    AIM_READ_TRACK800(r, 5, plain);
    FUZZ_CHECK(std::equal(plain.begin(), plain.begin() + kSectors, sectors.begin()), "readers");
  }
  const std::int32_t positions = kForm == ITN140   ? NIB140_TRACK_SIZE
                                 : kForm == ITN800 ? 21
                                                   : AIM_TRACK_CELLS;
  for (int s = 0; s < kSectors; ++s)
    FUZZ_CHECK(fields[s] == NO_FIELD || (fields[s] >= 0 && fields[s] < positions), "field place");
}

template <class R>
void encode(R& r, const TTRACK& sectors) {
  if constexpr (kForm == ITN140)
    NIB_WRITE_TRACK140(r, 9, sectors);
  else if constexpr (kForm == ITN800)
    NIB_WRITE_TRACK800(r, 9, sectors);
}

}  // namespace
}  // namespace agat::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  using namespace agat::fuzz;
  static Record record;
  record.fill(0xFF);
  std::copy_n(data, std::min(size, kSize), record.begin());
  const std::span<const std::uint8_t> tail(data + std::min(size, kSize),
                                           size - std::min(size, kSize));

  TTRACK held{}, again{};
  TrackFields fields;
  read(record, held, fields);

  // The sectors changed: each tail byte picks a sector and the value added to its bytes.
  TTRACK want = held;
  for (std::size_t i = 0; i + 1 < tail.size(); i += 2)
    for (auto& b : want[tail[i] % kSectors]) b = static_cast<std::uint8_t>(b + tail[i + 1]);
  const Record old = record;
  TrackUpdateFailure failure;
  const bool updated = update_track_record(kForm, record, 7, want, kSectors, failure);
  if (want == held) FUZZ_CHECK(updated && record == old, "an unchanged track was rewritten");
  if (updated) {
    read(record, again, fields);
    FUZZ_CHECK(std::equal(want.begin(), want.begin() + kSectors, again.begin()),
               "the updated record does not read as wanted");
  } else {
    const bool undecoded_change = failure.sector >= 0 && failure.sector < kSectors &&
                                  want[failure.sector] != held[failure.sector];
    FUZZ_CHECK(undecoded_change || failure.sector == -1, "a refusal names no changed sector");
  }
  if constexpr (kForm != ITA800) {
    encode(record, held);
    read(record, again, fields);
    FUZZ_CHECK(std::equal(held.begin(), held.begin() + kSectors, again.begin()),
               "an encoded track does not decode to its sectors");
  }
  return 0;
}

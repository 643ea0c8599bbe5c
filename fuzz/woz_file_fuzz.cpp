// Fuzz target: a WOZ file (the input; one that does not begin with a WOZ signature gets the
// signature of version 2 and a CRC of 0 before it) unpacked into the tracks the core holds.
//
// Invariants: no track holds more bits than its record; every track decodes, and updating
// it to sectors changed by the input reads back as them (or is refused for a sector that did
// not decode); a file packed of the tracks unpacks to the same tracks and title.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/file_control_messages.h"
#include "core/track_update.h"
#include "core/woz_file.h"
#include "core/woz_track.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  constexpr std::size_t kTracks = 35;
  std::vector<std::uint8_t> file;
  if (!is_woz_file(std::span(data, size)))
    file = {'W', 'O', 'Z', '2', 0xFF, 0x0A, 0x0D, 0x0A, 0, 0, 0, 0};
  file.insert(file.end(), data, data + size);
  static std::vector<std::uint8_t> records(kTracks * WOZ_TRACK_RECORD), again(records.size());
  std::string title, title_again;
  const bool read = woz_unpack(file, records, title);
  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
  if (!read) return 0;
  for (std::size_t t = 0; t < kTracks; ++t) {
    const std::span<std::uint8_t> record(records.data() + t * WOZ_TRACK_RECORD, WOZ_TRACK_RECORD);
    FUZZ_CHECK(get_le32(record.data()) <= WOZ_MAX_BITS, "bits past the record");
    TTRACK held{}, want{}, got{};
    TrackOddities odd;
    read_track_record(ITW140, record, held, 16, odd);
    want = held;
    const std::uint8_t change = data[t % size];
    for (auto& b : want[change % 16]) b = static_cast<std::uint8_t>(b + change);
    std::vector<std::uint8_t> copy(record.begin(), record.end());
    TrackUpdateFailure failure;
    if (update_track_record(ITW140, copy, static_cast<std::uint8_t>(t), want, 16, failure)) {
      read_track_record(ITW140, copy, got, 16, odd);
      FUZZ_CHECK(std::equal(want.begin(), want.begin() + 16, got.begin()), "update reads back");
    } else {
      FUZZ_CHECK(failure.sector == -1 || want[failure.sector] != held[failure.sector],
                 "a refusal names no changed sector");
    }
  }
  std::vector<std::uint8_t> packed;
  const bool written = woz_pack(records, file, title, packed);
  FC_CRITICALERRORBUFFER.clear();
  if (!written) return 0;
  FUZZ_CHECK(woz_unpack(packed, again, title_again), "a packed file does not unpack");
  FC_WARNINGBUFFER.clear();
  FUZZ_CHECK(again == records && title_again == title, "a packed file unpacks to other tracks");
  return 0;
}

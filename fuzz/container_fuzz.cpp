// Fuzz target: the reader of a bit-stream container on a whole file (the input). Built twice,
// CONTAINER_FORM naming the form: ITH800 (HFE), ITM800 or ITM140 (MFI).
//
// Invariants: every field a track reader gives lies inside the track's cells; a file the
// reader takes, packed again from its records, is taken and reads as the same sectors; a
// track updated to sectors changed by the input's first bytes reads as those sectors (or is
// refused when a changed sector did not decode).
#include <algorithm>
#include <string>
#include <vector>

#include "core/file_control_messages.h"
#include "core/image_container.h"
#include "core/mfm_track.h"
#include "core/track_codecs.h"
#include "core/track_update.h"
#include "fuzz_check.h"

#ifndef CONTAINER_FORM
#error "CONTAINER_FORM must name the form: ITH800, ITM800 or ITM140"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  constexpr TIMAGET kForm = CONTAINER_FORM;
  const ImageContainer& box = *image_container(kForm);
  const std::span<const std::uint8_t> file(data, size);
  std::vector<std::uint8_t> records(image_data_size(kForm), 0);
  std::string description;
  const bool taken = box.unpack(file, records, description);
  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
  if (!taken) return 0;
  const std::size_t record = image_record_size(kForm);
  const TrackCodec& codec = track_codec(kForm);
  std::vector<std::uint8_t> packed, repacked(records.size(), 0);
  FUZZ_CHECK(box.pack(records, file, description, packed), "unpacked records are not packed");
  FUZZ_CHECK(box.unpack(packed, repacked, description), "a packed file is not taken");
  // Four or five tracks of the disk, the first among them.
  const int tracks = IMAGEDESC[kForm].NTR + 1, sectors = IMAGEDESC[kForm].NSC + 1;
  for (int t = 0; t < tracks; t += std::min(37, tracks / 4)) {
    const std::span<std::uint8_t> rec(records.data() + t * record, record);
    TTRACK held{}, again{};  // a 140 KB track leaves the sectors past its 16 as they are
    TrackFields fields;
    TrackOddities odd;
    codec.read_fields(std::span<const std::uint8_t>(repacked.data() + t * record, record), again,
                      fields, odd);
    codec.read_fields(rec, held, fields, odd);
    FUZZ_CHECK(again == held, "a packed file reads as other sectors");
    for (const std::int32_t f : fields)
      // Both kinds of record begin with their count of cells (or bits).
      FUZZ_CHECK(f == NO_FIELD || (f >= 0 && static_cast<std::uint32_t>(f) < mfm_cell_count(rec)),
                 "field place");
    TTRACK want = held;
    if (size > 1) want[data[0] % sectors].fill(data[1]);
    TrackUpdateFailure failure;
    if (update_track_record(kForm, rec, static_cast<std::uint8_t>(t), want, sectors, failure)) {
      codec.read_fields(rec, again, fields, odd);
      FUZZ_CHECK(again == want, "the updated record does not read as wanted");
    } else {
      FUZZ_CHECK(failure.sector == -1 || want[failure.sector] != held[failure.sector],
                 "a refusal names no changed sector");
    }
  }
  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
  return 0;
}

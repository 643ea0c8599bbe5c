// The MFM track reader finds every sync mark wherever the cells of the track begin: at any
// cell of a byte, with a mark or a data field cut by the end of the circle, and on circles
// whose length is no whole number of bytes.
#include <gtest/gtest.h>

#include <vector>

#include "core/mfm_track.h"
#include "support/media.h"

namespace agat {
namespace {

TEST(MfmMarks, EverySectorReadsWhereverTheCircleBegins) {
  const TTRACK sectors = testing::random_track(5);
  std::vector<std::uint8_t> laid(MFM_RECORD_SIZE);
  mfm_encode_track(laid, 9, sectors);
  TTRACK B;
  TrackFields base, fields;
  TrackOddities odd;
  mfm_read_fields(laid, B, base, odd);
  ASSERT_EQ(B, sectors);
  const std::uint32_t n = MFM_NEW_TRACK_CELLS, first_mark = 13 * 16;
  std::vector<std::uint32_t> rotations;
  for (std::uint32_t r = 0; r < 17; ++r) rotations.push_back(r);  // every cell of a byte
  for (std::uint32_t r = 1; r < 32; ++r) rotations.push_back(first_mark + r);  // a mark cut
  for (std::uint32_t r = 0; r < 8; ++r) rotations.push_back(n / 2 + r);        // a data field cut
  rotations.push_back(n - 1);
  for (const std::uint32_t extra : {0u, 1u, 5u, 8u, 13u}) {  // gap cells after the last byte
    const std::uint32_t count = n + extra;
    for (const std::uint32_t r : rotations) {
      SCOPED_TRACE(::testing::Message() << "extra " << extra << ", rotation " << r);
      std::vector<std::uint8_t> record(MFM_RECORD_SIZE, 0);
      record[0] = static_cast<std::uint8_t>(count),
      record[1] = static_cast<std::uint8_t>(count >> 8);
      record[2] = static_cast<std::uint8_t>(count >> 16);
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t from = (i + r) % count;
        if (from < n && (laid[4 + from / 8] >> (from % 8) & 1))
          record[4 + i / 8] |= static_cast<std::uint8_t>(1 << (i % 8));
      }
      mfm_read_fields(record, B, fields, odd);
      EXPECT_EQ(B, sectors);
      for (int s = 0; s <= MAXSECTOR; ++s)
        EXPECT_EQ(fields[s], static_cast<std::int32_t>((base[s] + count - r) % count)) << s;
    }
  }
}

}  // namespace
}  // namespace agat

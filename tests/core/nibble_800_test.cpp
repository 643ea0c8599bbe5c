#include "core/nibble_800.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <vector>

#include "core/track_checksum.h"

namespace agat {
namespace {

using Record800 = std::array<std::uint8_t, NIB800_TRACK_SIZE>;
constexpr std::size_t kRec = NIB800_SECTOR_RECORD;

TSECTOR filled(std::uint8_t b) {
  TSECTOR s;
  s.fill(b);
  return s;
}
const TSECTOR kUnread = filled(0xBD);

TTRACK random_track(unsigned seed) {
  std::mt19937 rng(seed);
  TTRACK t;
  for (auto& s : t) std::ranges::generate(s, [&] { return static_cast<std::uint8_t>(rng()); });
  return t;
}

Record800 encode(const TTRACK& B, std::uint8_t track = 42) {
  Record800 r;
  NIB_WRITE_TRACK800(r, track, B);
  return r;
}

TTRACK decode(const Record800& r) {
  TTRACK B;
  for (auto& s : B) s.fill(0x11);
  NIB_READ_TRACK800(r, 0, B);
  return B;
}

// ---------------------------------------------------------------------------
// The checksum

TEST(TrackChecksum, Examples) {
  TSECTOR ramp;
  std::iota(ramp.begin(), ramp.end(), std::uint8_t{0});
  EXPECT_EQ(CALCCRC(filled(0x00)), 0x00);
  EXPECT_EQ(CALCCRC(filled(0x01)), 0x00);  // $100: the carry of the last addition is dropped
  EXPECT_EQ(CALCCRC(filled(0xFF)), 0xFE);
  EXPECT_EQ(CALCCRC(ramp), 0xFE);
  TSECTOR d = filled(0);
  d[0] = 0xFF, d[1] = 0x01;  // the carry comes back before the next (zero) byte
  EXPECT_EQ(CALCCRC(d), 0x01);
}

// Against the sum taken byte by byte, on sectors whose partial sums meet the awkward
// values: 0, multiples of 255, a carry from the last byte.
TEST(TrackChecksum, AgreesWithTheStepwiseSum) {
  const auto stepwise = [](const TSECTOR& d) {
    unsigned acc = 0;
    for (const std::uint8_t b : d) acc = (acc > 255 ? (acc + 1) & 255 : acc) + b;
    return static_cast<std::uint8_t>(acc);
  };
  std::mt19937 rng(5);
  for (int round = 0; round < 4000; ++round) {
    TSECTOR d = filled(round % 3 == 2 ? 0xFF : 0);
    if (round % 3 == 1) d[254] = 0xFF;
    d[255] = static_cast<std::uint8_t>(round);
    if (round >= 768) {
      for (int n = round % 257; n > 0; --n) d[rng() % 256] = rng() % 4 ? rng() & 0xFF : 0xFF;
    }
    ASSERT_EQ(CALCCRC(d), stepwise(d)) << "round " << round;
  }
}

// ---------------------------------------------------------------------------
// The track

TEST(Nibble800, AnyContentReadsBackUnchanged) {
  std::vector<TTRACK> tracks(3);
  tracks[0].fill(filled(0x00));
  tracks[1].fill(filled(0xFF));
  tracks[2].fill(kUnread);
  for (unsigned seed = 1; seed <= 10; ++seed) tracks.push_back(random_track(seed));
  for (const auto& t : tracks) EXPECT_EQ(decode(encode(t)), t);
}

TEST(Nibble800, RecordLayout) {
  const TTRACK t = random_track(4);
  const Record800 r = encode(t, 159);
  using Bytes = std::vector<std::uint8_t>;
  for (std::size_t s = 0; s <= MAXSECTOR; ++s) {
    const std::uint8_t* p = r.data() + s * kRec;
    EXPECT_EQ(Bytes(p, p + 24),
              (Bytes{0xFE, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA,
                     0xAA, 0xFF, 0xAA, 0xA4, 0x95, 0x6A, 0xFE, 159,  static_cast<std::uint8_t>(s),
                     0x5A, 0xAA, 0xAA, 0xAA, 0x6A, 0x95}))
        << "record " << s;
    EXPECT_TRUE(std::equal(t[s].begin(), t[s].end(), p + 24));
    EXPECT_EQ(Bytes(p + 280, p + 282), (Bytes{CALCCRC(t[s]), 0x5A}));
  }
}

TEST(Nibble800, RecordsInAnyOrderGoToTheirSectors) {
  const TTRACK want = random_track(7);
  const Record800 written = encode(want);
  std::array<std::size_t, MAXSECTOR + 1> order;
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::mt19937 rng(8);
  for (int round = 0; round < 20; ++round) {
    std::ranges::shuffle(order, rng);
    Record800 r;
    for (std::size_t i = 0; i < order.size(); ++i) {
      std::copy_n(written.begin() + order[i] * kRec, kRec, r.begin() + i * kRec);
    }
    EXPECT_EQ(decode(r), want) << "round " << round;
  }
}

// Only the sector number and the checksum decide; gaps, volume and track do not count.
TEST(Nibble800, BadRecordsAreIgnored) {
  const TTRACK want = random_track(9);
  for (const auto& [offset, byte] :
       {std::pair{24 + 100, 0}, {280, 0}, {17, 21}, {17, 255}, {0, -1}}) {
    Record800 r = encode(want);
    if (byte < 0) {  // every byte outside sector number, data and checksum
      for (std::size_t s = 0; s <= MAXSECTOR; ++s) {
        std::uint8_t* p = r.data() + s * kRec;
        std::fill_n(p, 17, 0);
        std::fill_n(p + 18, 6, 0);
        p[281] = 0;
      }
      EXPECT_EQ(decode(r), want);
      continue;
    }
    std::uint8_t& b = r[13 * kRec + offset];
    b = static_cast<std::uint8_t>(b == byte ? byte + 1 : byte);
    TTRACK expect = want;
    expect[13] = kUnread;
    EXPECT_EQ(decode(r), expect) << "offset " << offset;
  }
}

TEST(Nibble800, LaterRecordOfASectorWins) {
  const TTRACK a = random_track(11), b = random_track(12);
  Record800 r = encode(a);
  const Record800 other = encode(b);
  std::copy_n(other.begin() + 5 * kRec, kRec, r.begin() + 2 * kRec);   // before record 5
  std::copy_n(other.begin() + 6 * kRec, kRec, r.begin() + 20 * kRec);  // after record 6
  const TTRACK got = decode(r);
  EXPECT_EQ(got[5], a[5]);
  EXPECT_EQ(got[6], b[6]);
  EXPECT_EQ(got[2], kUnread);
  EXPECT_EQ(got[20], kUnread);
}

}  // namespace
}  // namespace agat

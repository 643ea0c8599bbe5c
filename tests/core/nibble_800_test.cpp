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

std::uint8_t* sector_record(Record800& r, std::size_t i) { return r.data() + i * kRec; }

// ---------------------------------------------------------------------------
// The checksum

TEST(TrackChecksum, Examples) {
  TSECTOR ramp;
  std::iota(ramp.begin(), ramp.end(), std::uint8_t{0});
  EXPECT_EQ(CALCCRC(filled(0x00)), 0x00);
  EXPECT_EQ(CALCCRC(filled(0x01)), 0x00);  // 256 plus no carry back: the last carry is dropped
  EXPECT_EQ(CALCCRC(filled(0xFF)), 0xFE);
  EXPECT_EQ(CALCCRC(ramp), 0xFE);
}

TEST(TrackChecksum, CarryComesBackBeforeTheNextByte) {
  TSECTOR d = filled(0);
  d[0] = 0xFF, d[1] = 0x01;  // $100: the carry comes back with the next (zero) byte
  EXPECT_EQ(CALCCRC(d), 0x01);
  d[255] = 0x01, d[254] = 0xFF, d[0] = d[1] = 0;  // the same sum at the end loses its carry
  EXPECT_EQ(CALCCRC(d), 0x00);
  d = filled(0);
  d[0] = 0x80, d[1] = 0x80, d[2] = 0x80;  // $100 -> 1, then 1 + $80
  EXPECT_EQ(CALCCRC(d), 0x81);
}

// ---------------------------------------------------------------------------
// Writing and reading back

TEST(Nibble800RoundTrip, AnyContentReadsBackUnchanged) {
  std::vector<TTRACK> tracks(3);
  tracks[0].fill(filled(0x00));
  tracks[1].fill(filled(0xFF));
  tracks[2].fill(kUnread);
  for (unsigned seed = 1; seed <= 10; ++seed) tracks.push_back(random_track(seed));
  for (const auto& t : tracks) EXPECT_EQ(decode(encode(t)), t);
}

TEST(Nibble800Write, RecordLayout) {
  const TTRACK t = random_track(4);
  Record800 r = encode(t, 159);
  const std::vector<std::uint8_t> gap1 = {0xFE, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA,
                                          0xAA, 0xAA, 0xFF, 0xAA, 0xA4, 0x95, 0x6A};
  for (std::size_t s = 0; s <= MAXSECTOR; ++s) {
    const std::uint8_t* p = sector_record(r, s);
    SCOPED_TRACE("record " + std::to_string(s));
    EXPECT_EQ(std::vector(p, p + 15), gap1);
    EXPECT_EQ(p[15], 0xFE);
    EXPECT_EQ(p[16], 159);
    EXPECT_EQ(p[17], s);
    EXPECT_EQ(std::vector(p + 18, p + 24),
              (std::vector<std::uint8_t>{0x5A, 0xAA, 0xAA, 0xAA, 0x6A, 0x95}));
    EXPECT_TRUE(std::equal(t[s].begin(), t[s].end(), p + 24));
    EXPECT_EQ(p[280], CALCCRC(t[s]));
    EXPECT_EQ(p[281], 0x5A);
  }
}

// ---------------------------------------------------------------------------
// Reading

TEST(Nibble800Read, RecordsInAnyOrderGoToTheirSectors) {
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

TEST(Nibble800Read, BadRecordsAreIgnored) {
  const TTRACK want = random_track(9);
  struct Case {
    const char* what;
    std::size_t offset;
    std::uint8_t byte;
  };
  const Case cases[] = {{"data byte", 24 + 100, 0}, {"checksum", 280, 0}, {"sector 21", 17, 21},
                        {"sector 255", 17, 255}};
  for (const auto& c : cases) {
    Record800 r = encode(want);
    std::uint8_t& b = sector_record(r, 13)[c.offset];
    b = b == c.byte ? static_cast<std::uint8_t>(c.byte + 1) : c.byte;
    const TTRACK got = decode(r);
    for (std::size_t s = 0; s <= MAXSECTOR; ++s) {
      EXPECT_EQ(got[s], s == 13 ? kUnread : want[s]) << c.what << ", sector " << s;
    }
  }
}

TEST(Nibble800Read, GapsVolumeAndTrackAreNotExamined) {
  const TTRACK want = random_track(10);
  Record800 r = encode(want);
  for (std::size_t s = 0; s <= MAXSECTOR; ++s) {
    std::uint8_t* p = sector_record(r, s);
    std::fill_n(p, 17, 0x00);   // gap 1, volume, track
    std::fill_n(p + 18, 6, 0);  // gaps 2 and 3
    p[281] = 0;                 // gap 4
  }
  EXPECT_EQ(decode(r), want);
}

TEST(Nibble800Read, LaterRecordOfASectorWinsAndMissingSectorsAreUnread) {
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

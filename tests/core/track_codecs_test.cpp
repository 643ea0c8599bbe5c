// The track codecs: 140 KB nibble, 800 KB nibble with its checksum, and AIM.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "core/nibble_140.h"
#include "core/nibble_800.h"
#include "support/aim_track.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "support/testdata.h"

namespace agat {
namespace {

using testing::filled;
using testing::kUnread;
using testing::random_track;

// The track with the listed sectors unread.
TTRACK losing(TTRACK t, std::initializer_list<int> lost) {
  for (int s : lost) t[s] = kUnread;
  return t;
}

// ---------------------------------------------------------------------------
// 140 KB nibble tracks

using Record140 = std::array<std::uint8_t, NIB140_TRACK_SIZE>;
constexpr int kSlot = 408;  // address field, 5 gap bytes, data field, 40 gap bytes
constexpr int kData = 19;   // data field within a slot

// After 128 bytes $FF, slot i of a written record holds logical sector 15 - i.
constexpr auto slot_of = [](int logical) { return 128 + kSlot * (15 - logical); };

// Sectors 16..20 hold a sentinel, which a read of 16 sectors must leave alone.
TTRACK sixteen(TTRACK t) {
  std::fill(t.begin() + 16, t.end(), filled(0x11));
  return t;
}

// Written as track 7; the reader is told track 0, which it must not care about.
Record140 encode140(const TTRACK& B) {
  Record140 r;
  NIB_WRITE_TRACK140(r, 7, B);
  return r;
}

TTRACK decode140(const std::uint8_t* record) {
  using Span = std::span<const std::uint8_t, NIB140_TRACK_SIZE>;
  TTRACK B;
  B.fill(filled(0x11));
  NIB_READ_TRACK140(Span(record, NIB140_TRACK_SIZE), 0, B);
  return B;
}

// Sectors read back as written (all $00, all $FF and more in the round trips of the image
// forms), from wherever the circular record is started: every cut through the first slot
// (all slots are laid out alike), a sample elsewhere. Every address field carries the
// track written.
TEST(Nibble140, WrittenTracksReadBack) {
  const TTRACK want = sixteen(random_track(11));
  const Record140 r = encode140(want);
  Record140 rotated;
  for (std::size_t shift = 0; shift < r.size(); shift += shift < 128 + kSlot ? 1 : 37) {
    std::rotate_copy(r.begin(), r.begin() + shift, r.end(), rotated.begin());
    ASSERT_EQ(decode140(rotated.data()), want) << "rotated by " << shift;
  }
  for (int logical = 0; logical < 16; ++logical)  // after $D5 $AA $96 and the volume
    EXPECT_EQ(((r[slot_of(logical) + 5] & 0x55) << 1) | (r[slot_of(logical) + 6] & 0x55), 7);
}

// An address field needs $DE $AA after its checksum (the third epilogue byte is not
// looked at), a checksum that matches and a sector below 16. The data field is the first
// mark after the address field: without its own prologue the sector is not read from the
// next field.
TEST(Nibble140, AddressFieldChecks) {
  const TTRACK want = sixteen(random_track(5));
  // Offset in the slot of logical sector 6 (physical 3), byte written there, accepted.
  const int cases[][3] = {{13, 0x00, 1}, {13, 0xFF, 1}, {12, 0xAB, 0},   {11, 0xDF, 0},
                          {10, 0xAB, 0}, {6, 0xFF, 0},  {kData, 0xFF, 0}};
  for (auto [offset, byte, accepted] : cases) {
    Record140 r = encode140(want);
    r[slot_of(6) + offset] = static_cast<std::uint8_t>(byte);
    EXPECT_EQ(decode140(r.data()), accepted ? want : losing(want, {6})) << offset << " := " << byte;
  }
  Record140 r = encode140(want);  // physical sector 16, with its checksum
  for (const int at : {7, 9}) {
    const int v = at == 7 ? 16 : 0xFE ^ 7 ^ 16;
    r[slot_of(6) + at] = static_cast<std::uint8_t>((v >> 1) | 0xAA);  // 4-and-4 code
    r[slot_of(6) + at + 1] = static_cast<std::uint8_t>(v | 0xAA);
  }
  EXPECT_EQ(decode140(r.data()), losing(want, {6}));
}

// One changed byte anywhere in a data field fails only that sector: the chained values
// after it shift and the checksum byte no longer matches. A byte below $96 has no value:
// in place of a $96 (value 0) it fails the field though no chained value changes.
TEST(Nibble140, DamagedDataFieldLeavesOnlyItsSectorUnread) {
  const TTRACK want = sixteen(random_track(21));
  for (const int sector : {0, 7, 15}) {
    for (const int at : {3, 88, 89, 200, 344, 345, 346, 347}) {  // 345: checksum, 346: $DE
      for (const std::uint8_t b : {0x00, 0x95, 0x96, 0x98, 0xAA, 0xFF}) {
        Record140 r = encode140(want);
        std::uint8_t& target = r[slot_of(sector) + kData + at];
        if (target == b) continue;
        target = b;
        EXPECT_EQ(decode140(r.data()), losing(want, {sector}))
            << sector << ", " << at << " := " << +b;
      }
    }
  }
  for (const std::uint8_t b : {0x00, 0x95}) {
    Record140 r = encode140(want);
    std::uint8_t* body = r.data() + slot_of(9) + kData + 3;
    std::uint8_t* zero = std::find(body, body + 342, 0x96);
    ASSERT_NE(zero, body + 342);
    *zero = b;
    EXPECT_EQ(decode140(r.data()), losing(want, {9})) << +b;
  }
}

// Every scan ends and never yields a wrong sector: a record without marks, a lone address
// field cut by the end of the record, single bytes damaged anywhere, records of random
// bytes and of marks only.
TEST(Nibble140, DamageAndGarbage) {
  TTRACK none;
  none.fill(kUnread);
  Record140 r;
  r.fill(0xFF);
  EXPECT_EQ(decode140(r.data()), sixteen(none));
  const TTRACK want = sixteen(random_track(78));
  const Record140 clean = encode140(want);
  for (const int cut : {3, 7, 13}) {
    std::copy_n(clean.begin() + slot_of(15), cut, r.end() - cut);
    std::copy_n(clean.begin() + slot_of(15) + cut, 14 - cut, r.begin());
    EXPECT_EQ(decode140(r.data())[15], kUnread) << cut;
    r.fill(0xFF);
  }
  std::mt19937 rng(77);
  const std::uint8_t marks[] = {0xD5, 0xAA, 0x96, 0xAD, 0xDE, 0xEB, 0xFF, 0xAB};
  for (int round = 0; round < 2300; ++round) {
    r = clean;
    if (round < 2000) {  // one byte damaged
      r[rng() % r.size()] = static_cast<std::uint8_t>(rng());
    } else {  // random bytes, or marks only
      for (auto& b : r) b = round % 2 ? marks[rng() % 8] : static_cast<std::uint8_t>(rng());
    }
    const TTRACK got = decode140(r.data());
    for (int s = 0; s < 16 && round < 2000; ++s)
      ASSERT_TRUE(got[s] == want[s] || got[s] == kUnread) << "round " << round << " sector " << s;
  }
}

// Images written by an independent tool (its own gaps and sector order on the track)
// decode to their sector images (nib/files.nib is read through its catalog elsewhere); a
// 13-sector disk has nothing of the 16-sector format.
TEST(Nibble140, IndependentImagesDecodeToTheirSectorImages) {
  AGAT_REQUIRE_TESTDATA();
  for (const auto& [nib_name, dsk_name] : {std::pair{"nib/empty.nib", "dos33/empty.dsk"},
                                           {"nib/full_vol017.nib", "dos33/full.dsk"},
                                           {"other/aw-init-13sector.nib", ""}}) {
    const auto nib = testing::read_bytes(testing::testdata(nib_name));
    const auto dsk = *dsk_name ? testing::read_bytes(testing::testdata(dsk_name))
                               : std::vector<std::uint8_t>(35 * 16 * 256, 0xBD);
    ASSERT_EQ(nib.size(), 35 * NIB140_TRACK_SIZE);
    ASSERT_EQ(dsk.size(), 35 * 16 * 256u);
    for (int t = 0; t < 35; ++t) {
      TTRACK want = sixteen({});
      for (int s = 0; s < 16; ++s) std::copy_n(&dsk[(t * 16 + s) * 256], 256, want[s].begin());
      EXPECT_EQ(decode140(&nib[t * NIB140_TRACK_SIZE]), want) << nib_name << " track " << t;
    }
  }
}

// ---------------------------------------------------------------------------
// 800 KB nibble tracks and their checksum

using Record800 = std::array<std::uint8_t, NIB800_TRACK_SIZE>;
constexpr std::size_t kRec = NIB800_SECTOR_RECORD;

Record800 encode800(const TTRACK& B) {
  Record800 r;
  NIB_WRITE_TRACK800(r, 42, B);
  return r;
}

TTRACK decode800(const Record800& r) {
  TTRACK B;
  B.fill(filled(0x11));
  NIB_READ_TRACK800(r, 0, B);
  return B;
}

// The 8-bit sum with end-around carry: the carry of each addition comes back before the
// next byte, that of the last addition is dropped. Sectors read back as written, also from
// records in reverse order; each record carries the track in its header.
TEST(Nibble800, ChecksumAndRoundTrips) {
  TSECTOR ramp, carry = filled(0);
  std::iota(ramp.begin(), ramp.end(), std::uint8_t{0});
  carry[0] = 0xFF, carry[1] = 0x01;
  EXPECT_EQ(std::vector({CALCCRC(ramp), CALCCRC(filled(0)), CALCCRC(filled(1)),
                         CALCCRC(filled(0xFF)), CALCCRC(carry)}),
            std::vector<std::uint8_t>({0xFE, 0x00, 0x00, 0xFE, 0x01}));

  const TTRACK want = random_track(7);
  const Record800 written = encode800(want);
  Record800 reversed;
  for (std::size_t s = 0; s <= MAXSECTOR; ++s) {
    EXPECT_EQ(written[s * kRec + 16], 42) << s;
    std::copy_n(&written[s * kRec], kRec, &reversed[(MAXSECTOR - s) * kRec]);
  }
  EXPECT_EQ(decode800(reversed), want);
}

// Damaged data, a wrong checksum or a sector number above 20 loses the record.
TEST(Nibble800, BadRecordsAreIgnored) {
  const TTRACK want = random_track(9);
  for (const auto& [offset, byte] : {std::pair{24 + 100, 0}, {280, 0}, {17, 21}, {17, 255}}) {
    Record800 r = encode800(want);
    std::uint8_t& b = r[13 * kRec + offset];
    b = static_cast<std::uint8_t>(b == byte ? byte + 1 : byte);
    EXPECT_EQ(decode800(r), losing(want, {13})) << "offset " << offset;
  }
}

// ---------------------------------------------------------------------------
// AIM tracks, built from the cells testing::aim_cells gives: 288 cells a sector.

constexpr int kCells = static_cast<int>(AIM_TRACK_CELLS);
constexpr int kSectors = MAXSECTOR + 1;
using Cells = std::vector<std::uint16_t>;

// Stream indexes of sector s, after 10 gap cells: the $100 of its address field, the $5A
// that closes that field, the $100 of its data field after 10 more gap cells, its first
// data cell.
constexpr auto address = [](int s) { return 288 * s + 10; };
constexpr auto closing = [](int s) { return address(s) + 6; };
constexpr auto prolog = [](int s) { return address(s) + 17; };
constexpr auto data = [](int s) { return address(s) + 20; };
// The cells of sectors first..last of the track.
Cells cells(const TTRACK& t, int first = 0, int last = MAXSECTOR) {
  const Cells all = testing::aim_cells(t, 0x21);
  return Cells(all.begin() + 288 * first, all.begin() + 288 * (last + 1));
}

struct AimRecord {
  std::array<std::uint8_t, ATRSIZE> bytes{};
  std::uint16_t operator[](int i) const { return get_le16(&bytes[2 * i]); }
  void set(int i, std::uint16_t v) { put_le16(&bytes[2 * i], v); }
};

// Lays the stream round cells `first` .. end-1, stream index 0 on cell first + start, and
// fills the rest of the round with $FF gap cells. Cells before `first` are skipped cells;
// below 6464, cell `end` is the end cell, and the cells after it are 0.
struct Layout {
  int start = 0;
  int end = kCells;
  int first = 0;
  int at(int k) const { return first + (start + k) % (end - first); }
};

AimRecord lay(const Cells& st, const Layout& l = {}) {
  AimRecord r;
  for (int i = 0; i < l.first; ++i) r.set(i, 0x300);
  for (int k = 0; k < l.end - l.first; ++k)
    r.set(l.at(k), k < static_cast<int>(st.size()) ? st[k] : 0xFF);
  if (l.end < kCells) r.set(l.end, 0x200);
  return r;
}

TTRACK decode_aim(const AimRecord& r) {
  TTRACK B;
  B.fill(filled(0x11));
  AIM_READ_TRACK800(r.bytes, 0, B);
  return B;
}

AimRecord encode_aim(AimRecord r, const TTRACK& B) {
  AIM_WRITE_TRACK800(r.bytes, 0, B);
  return r;
}

// The stream started anywhere, so that each kind of field runs over the end: every cut
// through the last sector (all are laid out alike), a sample elsewhere. A sector is lost
// only when its data prologue lies wholly past the end cell (the search for it goes on in
// plain cell order), or when its first data cell is cell 0, which counts as no data field.
// Without an end cell the stream goes on at cell 0. Written in place at the cuts through
// the last sector, the track reads back, and the data cells of a lost sector stay.
TEST(Aim800, WrappedStreamsReadAndWrite) {
  const TTRACK want = random_track(3), other = random_track(4);
  const Cells st = cells(want);
  for (const int end : {kCells, 6100}) {
    for (int k = 0, step = 7; k < end; k += step) {
      step = k >= address(20) - 10 && k <= static_cast<int>(st.size()) ? 1 : 7;
      const Layout l{.start = (end - k) % end, .end = end};  // stream index k on cell 0
      const AimRecord r = lay(st, l);
      const auto lost = [&](int s) {
        return l.at(data(s)) == 0 || (end < kCells && l.at(prolog(s)) < l.at(closing(s)));
      };
      const TTRACK got = decode_aim(r);
      for (int s = 0; s < kSectors; ++s)
        ASSERT_EQ(got[s], lost(s) ? kUnread : want[s]) << end << " " << k << " " << s;
      if (step != 1) continue;
      const AimRecord w = encode_aim(r, other);
      const TTRACK back = decode_aim(w);
      for (int s = 0; s < kSectors; ++s) {
        ASSERT_EQ(back[s], lost(s) ? kUnread : other[s]) << end << " " << k << " " << s;
        for (int c = 0; lost(s) && c < 258; ++c)
          ASSERT_EQ(w[l.at(data(s) + c)], r[l.at(data(s) + c)]) << end << " " << k << " " << s;
      }
    }
  }
}

// One pass from cell 0, to the end cell or round to cell 0 again, also when cell 0 is
// itself skipped: nothing after the end cell is read, and of two address fields of one
// sector the later in the pass decides.
TEST(Aim800, OnePassFromCellZero) {
  const TTRACK want = random_track(5), other = random_track(6);
  AimRecord r = lay(cells(want, 0, 19), {.end = 5800});
  Cells beyond = cells(want, 20, 20);  // a whole sector 20, and another sector 3
  const Cells three = cells(other, 3, 3), seven = cells(other, 7, 7);
  beyond.insert(beyond.end(), three.begin(), three.end());
  for (int k = 0; k < static_cast<int>(beyond.size()); ++k) r.set(5801 + k, beyond[k]);
  EXPECT_EQ(decode_aim(r), losing(want, {20}));

  Cells twice = cells(want);
  twice.insert(twice.end(), seven.begin(), seven.end());
  for (const int end : {kCells, 6400}) {
    EXPECT_EQ(decode_aim(lay(twice, {.end = end, .first = 1}))[7], other[7]) << end;
    // Sector 20's address field across the end: the other sector 7 now comes first.
    const Layout l{.start = end - 1 - address(20) - 3, .end = end, .first = 1};
    EXPECT_EQ(decode_aim(lay(twice, l))[7], want[7]) << end;
  }
}

// Damage to one field loses only its sector.
TEST(Aim800, FieldChecks) {
  TTRACK want = random_track(7);
  want[8][17] = 0;
  const Cells st = cells(want);
  const int crc = CALCCRC(want[8]);
  const std::pair<int, int> cases[] = {
      {data(8) + 256, (crc + 1) & 0xFF},  // checksum off by one
      {data(8) + 256, crc | 0x100},       // checksum with a high byte
      {data(8) + 257, 0x5B},              // data field not closed
      {data(8) + 17, 0x101},              // a flagged cell with the wrong byte
      {closing(8), 0x15A},                // address field closed by a flagged cell
      {closing(8) - 1, 21},               // sector 21
      {closing(8) - 1, 0x108},            // sector with a high byte
      {address(8) + 2, 0x6B},             // address prologue
      {prolog(8) + 1, 0x95}};             // data prologue
  for (const auto& [k, v] : cases) {
    AimRecord r = lay(st);
    r.set(k, static_cast<std::uint16_t>(v));
    EXPECT_EQ(decode_aim(r), losing(want, {8})) << "stream index " << k << " := " << v;
  }
}

// The data prologue must start within 256 plain cell positions from the address field's
// $5A cell on, skipped cells counted.
TEST(Aim800, DataSearchReachesExactly256Cells) {
  const TTRACK want = random_track(8);
  for (const int gap : {254, 255}) {
    Cells st = testing::aim_cells(want, 0x21, gap);
    st.resize(2 * gap + 268);  // sector 0 alone, its fields apart by `gap` skipped cells
    std::fill(st.begin() + gap + 7, st.begin() + 2 * gap + 7, 0x300);
    EXPECT_EQ(decode_aim(lay(st))[0], gap == 254 ? want[0] : kUnread) << gap;
  }
}

// Located sectors get new data, checksum and closing cells, which also repairs a bad
// checksum or closing cell and reads across a skipped cell; every other cell stays.
TEST(Aim800, WriteChangesOnlyDataChecksumAndClosingCells) {
  Cells st = cells(random_track(13), 0, 19);  // sector 20 is missing
  st[data(4) + 256] ^= 1;                     // a bad checksum
  st[data(5) + 257] = 0x55;                   // a data field not closed
  const int skipped = data(11) + 20;
  st.insert(st.begin() + skipped, 0x300);
  const Layout l{.start = 6100 - data(19) - 100, .end = 6100};  // sector 19 crosses the end
  const AimRecord before = lay(st, l);
  std::vector<bool> may_change(kCells, false);
  for (int s = 0; s < 20; ++s)
    for (int k = data(s); k < data(s) + 258; ++k) may_change[l.at(k + (k >= skipped))] = true;
  const TTRACK t = random_track(14);
  const AimRecord after = encode_aim(before, t);
  for (int i = 0; i < kCells; ++i)
    ASSERT_TRUE(after[i] == before[i] || (may_change[i] && before[i] < 0x200)) << "cell " << i;
  EXPECT_EQ(decode_aim(after), losing(t, {20}));
}

// Every scan ends, on records of one value, of random values, of values that mean
// something, and on real tracks damaged in single cells or long runs. A write never
// touches a cell of $200 or more nor stores anything but a byte.
TEST(Aim800, GarbageRecords) {
  TTRACK none;
  none.fill(kUnread);
  for (const std::uint16_t v : {0x0000, 0x00FF, 0x0100, 0x01FF, 0x0200, 0x0201, 0xFFFF}) {
    AimRecord r;
    for (int i = 0; i < kCells; ++i) r.set(i, v);
    EXPECT_EQ(decode_aim(r), none) << "all cells " << v;
    EXPECT_EQ(encode_aim(r, random_track(1)).bytes, r.bytes) << "all cells " << v;
  }
  AimRecord r = lay(cells(random_track(12)), {.start = 1});
  r.set(0, 0x200);  // fields, but the end cell at cell 0: none is reachable
  EXPECT_EQ(decode_aim(r), none);

  std::mt19937 rng(2024);
  const std::uint16_t marks[] = {0x100, 0x100, 0x95,  0x6A,  0x5A,   0x00,  0x05,
                                 0x14,  0x15,  0x200, 0x300, 0xFFFF, 0x1FF, 0xFF};
  const auto mark = [&] { return marks[rng() % std::size(marks)]; };
  for (int round = 0; round < 400; ++round) {
    if (round % 4 < 2) {
      for (int i = 0; i < kCells; ++i) r.set(i, round % 2 ? mark() : rng() & 0xFFFF);
    } else {
      r = lay(cells(random_track(round)), {.start = static_cast<int>(rng() % 6000),
                                           .end = 6100 + static_cast<int>(rng() % 364)});
      for (int n = 0; n < 40; ++n) {
        const int at = static_cast<int>(rng() % kCells);
        const int len = round % 4 == 3 ? static_cast<int>(rng() % 3000) : 1;
        for (int i = at; i < std::min(kCells, at + len); ++i) r.set(i, mark());
      }
    }
    decode_aim(r);
    const AimRecord w = encode_aim(r, random_track(round));
    for (int i = 0; i < kCells; ++i)
      ASSERT_TRUE(w[i] == r[i] || (r[i] < 0x200 && w[i] <= 0xFF)) << "round " << round << ", " << i;
  }
}

}  // namespace
}  // namespace agat

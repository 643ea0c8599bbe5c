#include "core/aim_800.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "core/track_checksum.h"

namespace agat {
namespace {

constexpr int kCells = static_cast<int>(AIM_TRACK_CELLS);
constexpr int kSectors = MAXSECTOR + 1;

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

// A track stream as a list of cells, with the stream index of the fields of each sector.
struct Stream {
  std::vector<std::uint16_t> cells;
  std::array<int, kSectors> address{};  // the $100 of the address field
  std::array<int, kSectors> closing{};  // the $5A that ends the address field
  std::array<int, kSectors> prolog{};   // the $100 of the data field
  std::array<int, kSectors> data{};     // the first data cell

  void gap(int n, std::uint16_t v = 0xFF) { cells.insert(cells.end(), n, v); }

  void sector(int s, const TSECTOR& d, int gap_before = 16, int gap_between = 6) {
    gap(gap_before);
    address[s] = static_cast<int>(cells.size());
    cells.insert(cells.end(), {0x100, 0x95, 0x6A, 0xFE, 0x21, static_cast<std::uint16_t>(s)});
    closing[s] = static_cast<int>(cells.size());
    cells.push_back(0x5A);
    gap(gap_between);
    prolog[s] = static_cast<int>(cells.size());
    cells.insert(cells.end(), {0x100, 0x6A, 0x95});
    data[s] = static_cast<int>(cells.size());
    cells.insert(cells.end(), d.begin(), d.end());
    cells.insert(cells.end(), {CALCCRC(d), 0x5A});
  }

  // Inserts cells before stream index k, keeping the recorded indexes on their cells.
  void insert(int k, std::initializer_list<std::uint16_t> v) {
    cells.insert(cells.begin() + k, v);
    for (auto* field : {&address, &closing, &prolog, &data}) {
      for (int& i : *field) i += i >= k ? static_cast<int>(v.size()) : 0;
    }
  }
};

// 21 sectors in order, 6090 cells.
Stream standard(const TTRACK& t) {
  Stream st;
  for (int s = 0; s < kSectors; ++s) st.sector(s, t[s]);
  return st;
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

AimRecord lay(const Stream& st, const Layout& l = {}) {
  AimRecord r;
  EXPECT_LE(st.cells.size(), static_cast<std::size_t>(l.end - l.first));
  for (int i = 0; i < l.first; ++i) r.set(i, 0x300);
  for (int k = 0; k < l.end - l.first; ++k) {
    r.set(l.at(k), k < static_cast<int>(st.cells.size()) ? st.cells[k] : 0xFF);
  }
  if (l.end < kCells) r.set(l.end, 0x200);
  return r;
}

TTRACK decode(const AimRecord& r) {
  TTRACK B;
  for (auto& s : B) s.fill(0x11);
  AIM_READ_TRACK800(r.bytes, 0, B);
  return B;
}

AimRecord encode(AimRecord r, const TTRACK& B) {
  AIM_WRITE_TRACK800(r.bytes, 0, B);
  return r;
}

// ---------------------------------------------------------------------------
// Reading a track

// The stream started anywhere, so that each kind of field runs over the end: every cut
// through the last sector (all are laid out alike), a sample elsewhere. A sector is lost
// only when its data prologue lies wholly past the end cell (the search for it goes on in
// plain cell order), or when its first data cell is cell 0, which counts as no data field.
// Without an end cell the search goes on at cell 0.
TEST(AimRead, RotatedStream) {
  const TTRACK want = random_track(3);
  const Stream st = standard(want);
  for (const int end : {kCells, 6100}) {
    for (int k = 0; k < end; k += k >= st.address[20] - 16 ? 1 : 7) {
      const Layout l{.start = (end - k) % end, .end = end};  // stream index k on cell 0
      const TTRACK got = decode(lay(st, l));
      for (int s = 0; s < kSectors; ++s) {
        const bool lost =
            l.at(st.data[s]) == 0 || (end < kCells && l.at(st.prolog[s]) < l.at(st.closing[s]));
        ASSERT_EQ(got[s], lost ? kUnread : want[s])
            << "end " << end << ", stream index " << k << " on cell 0, sector " << s;
      }
    }
  }
}

TEST(AimRead, NothingIsReadAfterTheEndCell) {
  const TTRACK want = random_track(5);
  Stream st;
  for (int s = 0; s < 20; ++s) st.sector(s, want[s]);
  // A whole sector 20 and another sector 3 after the end cell are not part of the stream.
  Stream beyond;
  beyond.sector(20, want[20], 1);
  beyond.sector(3, filled(0x33), 1);
  AimRecord r = lay(st, {.end = 5900});
  for (int k = 0; k < static_cast<int>(beyond.cells.size()); ++k) r.set(5901 + k, beyond.cells[k]);
  const TTRACK got = decode(r);
  EXPECT_EQ(got[20], kUnread);
  EXPECT_EQ(got[3], want[3]);
}

TEST(AimRead, SkippedCellsInsideFields) {
  const TTRACK want = random_track(6);
  Stream st = standard(want);
  for (const int k :
       {st.data[9] + 257, st.data[9] + 256, st.data[9] + 100, st.data[9], st.prolog[9] + 2,
        st.prolog[9] + 1, st.closing[9], st.address[9] + 5, st.address[9] + 1}) {
    st.insert(k, {0x300, 0xFFFF, 0x201});  // from the back, so the listed indexes stay right
  }
  EXPECT_EQ(decode(lay(st)), want);
}

TEST(AimRead, FieldChecks) {
  TTRACK want = random_track(7);
  want[8][17] = 0;
  const Stream st = standard(want);
  struct Case {
    const char* what;
    int k;  // stream index
    std::uint16_t v;
  };
  const std::uint16_t crc = CALCCRC(want[8]);
  const Case cases[] = {
      {"checksum off by one", st.data[8] + 256, static_cast<std::uint16_t>((crc + 1) & 0xFF)},
      {"checksum with a high byte", st.data[8] + 256, static_cast<std::uint16_t>(crc | 0x100)},
      {"data field not closed", st.data[8] + 257, 0x5B},
      // The low byte of these is the right data byte.
      {"mark among the data", st.data[8] + 17, 0x100},
      {"neither data nor mark among the data", st.data[8] + 18,
       static_cast<std::uint16_t>(0x100 | want[8][18])},
      {"address field not closed", st.closing[8], 0x5B},
      {"sector 21", st.closing[8] - 1, 21},
      {"sector with a high byte", st.closing[8] - 1, 0x108},
      {"address prologue", st.address[8] + 2, 0x6B},
      {"address mark", st.address[8], 0xFF},
      {"data prologue", st.prolog[8] + 1, 0x95},
  };
  for (const auto& c : cases) {
    AimRecord r = lay(st);
    r.set(c.k, c.v);
    const TTRACK got = decode(r);
    for (int s = 0; s < kSectors; ++s) {
      EXPECT_EQ(got[s], s == 8 ? kUnread : want[s]) << c.what << ", sector " << s;
    }
  }
}

// The data prologue must start within 256 plain cell positions from the address field's
// $5A cell on, skipped cells counted.
TEST(AimRead, DataSearchReachesExactly256Cells) {
  const TTRACK want = random_track(8);
  for (const std::uint16_t filler : {0xFF, 0x300}) {
    for (const auto& [gap, found] : {std::pair{254, true}, {255, false}}) {
      Stream st;
      st.sector(0, want[0], 16, gap);
      std::fill(st.cells.begin() + st.closing[0] + 1, st.cells.begin() + st.prolog[0], filler);
      const TTRACK got = decode(lay(st));
      EXPECT_EQ(got[0], found ? want[0] : kUnread) << "gap " << gap << " of " << filler;
    }
  }
}

TEST(AimRead, LastAddressFieldOfASectorDecides) {
  const TTRACK want = random_track(10);
  Stream st;
  st.sector(5, filled(0x55));
  st.sector(5, want[5]);
  st.sector(6, want[6]);
  st.sector(6, filled(0x66));
  Stream broken = st;
  broken.cells[broken.prolog[6]] = 0xFF;  // the second sector 6 has no data field
  const TTRACK got = decode(lay(st));
  EXPECT_EQ(got[5], want[5]);
  EXPECT_EQ(got[6], filled(0x66));
  EXPECT_EQ(decode(lay(broken))[6], kUnread);
}

// A record whose cell 0 is skipped still makes exactly one pass: of two sector 7s the one
// found later in the pass decides.
TEST(AimRead, CellZeroOutsideTheStream) {
  const TTRACK want = random_track(11);
  Stream st = standard(want);
  st.sector(7, filled(0x77));
  TTRACK expect = want;
  expect[7] = filled(0x77);
  for (const int end : {kCells, 6400}) {
    EXPECT_EQ(decode(lay(st, {.end = end, .first = 1})), expect) << end;
    // Sector 20's address field across the end: the second sector 7 now comes first.
    const Layout l{.start = end - 1 - st.address[20] - 3, .end = end, .first = 1};
    EXPECT_EQ(decode(lay(st, l)), want) << end;
  }
}

TEST(AimRead, DegenerateRecords) {
  for (const std::uint16_t v : {0x0000, 0x00FF, 0x0100, 0x01FF, 0x0200, 0x0201, 0xFFFF}) {
    AimRecord r;
    for (int i = 0; i < kCells; ++i) r.set(i, v);
    const TTRACK got = decode(r);
    for (int s = 0; s < kSectors; ++s) EXPECT_EQ(got[s], kUnread) << "all cells " << v;
    EXPECT_EQ(encode(r, random_track(1)).bytes, r.bytes) << "all cells " << v;
  }
  // A stream with fields but an end cell at cell 0: nothing is reachable from the start.
  const TTRACK t = random_track(12);
  AimRecord r = lay(standard(t), {.start = 1});
  r.set(0, 0x200);
  const TTRACK got = decode(r);
  for (int s = 0; s < kSectors; ++s) EXPECT_EQ(got[s], kUnread);
}

// ---------------------------------------------------------------------------
// Writing a track in place

TEST(AimWrite, AnyContentReadsBackUnchanged) {
  const AimRecord r = lay(standard(random_track(20)), {.end = 6300});
  std::vector<TTRACK> tracks(2);
  tracks[0].fill(filled(0x00));
  tracks[1].fill(filled(0xFF));
  for (unsigned seed = 1; seed <= 5; ++seed) tracks.push_back(random_track(seed));
  for (const auto& t : tracks) EXPECT_EQ(decode(encode(r, t)), t);
}

// Located sectors get new data, checksum and closing cells; all else stays as it was.
TEST(AimWrite, ChangesOnlyDataChecksumAndClosingCells) {
  const TTRACK old_data = random_track(13), new_data = random_track(14);
  Stream st;
  for (int s = 0; s < 20; ++s) st.sector(s, old_data[s]);          // sector 20 is missing
  st.cells[st.data[4] + 256] ^= 1;                                 // sector 4 has a bad checksum
  st.insert(st.data[11] + 20, {0x300});                            // a skipped cell in sector 11
  const Layout l{.start = 6100 - st.data[19] - 100, .end = 6100};  // sector 19 crosses the end
  const AimRecord before = lay(st, l);
  const AimRecord after = encode(before, new_data);

  std::vector<bool> may_change(kCells, false);
  for (int s = 0; s < 20; ++s) {
    const int cells = 258 + (s == 11 ? 1 : 0);  // data, checksum and closing cells
    for (int k = st.data[s]; k < st.data[s] + cells; ++k) may_change[l.at(k)] = true;
  }
  for (int i = 0; i < kCells; ++i) {
    if (!may_change[i] || before[i] >= 0x200) {
      ASSERT_EQ(after[i], before[i]) << "cell " << i;
    }
  }
  TTRACK expect = new_data;
  expect[20] = kUnread;
  EXPECT_EQ(decode(after), expect);
}

TEST(AimWrite, WritingBackRepairsChecksumAndClosingCells) {
  const TTRACK t = random_track(15);
  const Stream st = standard(t);
  AimRecord damaged = lay(st, {.end = 6200});
  for (const int s : {0, 9, 20}) damaged.set(st.data[s] + 256, CALCCRC(t[s]) ^ 1);
  damaged.set(st.data[5] + 257, 0x55);  // and one data field is not closed
  const TTRACK got = decode(damaged);
  EXPECT_EQ(got[9], kUnread);
  EXPECT_EQ(got[5], kUnread);
  EXPECT_EQ(got[10], t[10]);
  EXPECT_EQ(encode(damaged, got).bytes, lay(standard(got), {.end = 6200}).bytes);
}

TEST(AimWrite, DataFieldAtCellZeroIsNeitherReadNorWritten) {
  const TTRACK t = random_track(16);
  const Stream st = standard(t);
  const AimRecord r = lay(st, {.start = kCells - st.data[2]});
  const TTRACK got = decode(r);
  EXPECT_EQ(got[2], kUnread);
  EXPECT_EQ(got[3], t[3]);
  const AimRecord written = encode(r, random_track(17));
  for (int k = 0; k < 258; ++k) EXPECT_EQ(written[k], r[k]);
}

// ---------------------------------------------------------------------------
// Garbage records: every scan ends, and a write never touches a cell of $200 or more nor
// stores anything but a byte.

TEST(AimGarbage, ScansEndAndWritesStayInBounds) {
  std::mt19937 rng(2024);
  const std::uint16_t marks[] = {0x100, 0x100, 0x95,  0x6A,  0x5A,   0x00,  0x05,
                                 0x14,  0x15,  0x200, 0x300, 0xFFFF, 0x1FF, 0xFF};
  const auto mark = [&] { return marks[rng() % std::size(marks)]; };
  for (int round = 0; round < 400; ++round) {
    AimRecord r;
    if (round % 4 < 2) {  // any values, or only those that mean something
      for (int i = 0; i < kCells; ++i) r.set(i, round % 2 ? mark() : rng() & 0xFFFF);
    } else {  // a real track with damage in single cells, or in long runs
      r = lay(standard(random_track(round)), {.start = static_cast<int>(rng() % 6000),
                                              .end = 6100 + static_cast<int>(rng() % 364)});
      for (int n = 0; n < 40; ++n) {
        const int at = static_cast<int>(rng() % kCells);
        const int len = round % 4 == 3 ? static_cast<int>(rng() % 3000) : 1;
        for (int i = at; i < std::min(kCells, at + len); ++i) r.set(i, mark());
      }
    }
    decode(r);
    const AimRecord w = encode(r, random_track(round));
    for (int i = 0; i < kCells; ++i) {
      if (w[i] != r[i]) {
        ASSERT_TRUE(r[i] < 0x200 && w[i] <= 0xFF) << "round " << round << " cell " << i;
      }
    }
  }
}

}  // namespace
}  // namespace agat

// Tracks of copy-protected 800 KB disks: address fields closed by another byte, checksums
// that are an exclusive or, data cells with the mark flag. They read as their sectors with
// the departure noted, and a save rewrites only the changed sectors, keeping all of it.
#include <gtest/gtest.h>

#include <map>

#include "core/image_file.h"
#include "core/nibble_800.h"
#include "core/track_update.h"
#include "support/aim_track.h"
#include "support/image_files.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::kUnread;
using testing::random_track;

// A sector whose two checksums differ, so that each kind tells itself apart.
TTRACK distinct_sums(unsigned seed) {
  TTRACK t = random_track(seed);
  for (auto& s : t)
    while (CALCCRC(s) == xor_checksum(s)) ++s[0];
  return t;
}

// A checksum that holds as neither kind.
std::uint8_t neither(const TSECTOR& d) {
  std::uint8_t v = 0;
  while (v == CALCCRC(d) || v == xor_checksum(d)) ++v;
  return v;
}

// ---------------------------------------------------------------------------
// AIM

// Stream indexes within sector s of testing::aim_cells (gap 10, 288 cells a sector).
constexpr auto epilogue = [](int s) { return 288 * s + 16; };
constexpr auto first_data = [](int s) { return 288 * s + 30; };
constexpr auto checksum_cell = [](int s) { return first_data(s) + 256; };

using Cells = std::vector<std::uint16_t>;
using Record = std::array<std::uint8_t, ATRSIZE>;

Record to_record(const Cells& cells) {
  const auto bytes = testing::aim_record(cells);
  Record r;
  std::copy(bytes.begin(), bytes.end(), r.begin());
  return r;
}
std::uint16_t cell(const Record& r, int i) {
  return get_le16(&r[2 * i]);
}

struct Decoded {
  TTRACK sectors;
  TrackFields fields;
  TrackOddities odd;
};
Decoded decode(const Record& r) {
  Decoded d;
  aim800_read_fields(r, d.sectors, d.fields, d.odd);
  return d;
}

// Each kind of mark alone and all together read with their bits; a mark with a bad
// checksum, or a checksum that is neither kind, still loses the sector; an odd address
// field never displaces a standard one of the same sector, nor takes another's data. A save of
// changed sectors keeps the flags, the closing bytes and each sector's checksum kind and touches
// nothing else; every sector then reads back as saved with the same bits.
TEST(ProtectedAim, MarksReadAndSurviveASave) {
  const TTRACK want = distinct_sums(40), other = distinct_sums(41);
  Cells st = testing::aim_cells(want, 3);
  const auto flag = [&](int s, int k) { st[first_data(s) + k] |= 0x100; };
  st[epilogue(2)] = 0xA5;
  st[checksum_cell(5)] = xor_checksum(want[5]);
  flag(9, 40);
  flag(9, 255);
  st[epilogue(12)] = 0x00, st[checksum_cell(12)] = xor_checksum(want[12]), flag(12, 0);
  st[epilogue(15)] = 0xA5, st[checksum_cell(15)] ^= 1;
  st[checksum_cell(17)] = neither(want[17]);
  // In the gap before sector 4, a damaged address field of sector 17 that finds 4's data.
  const Cells stray = {testing::AIM_MARK, 0x95, 0x6A, 0xFE, 3, 17, 0xA5};
  std::copy(stray.begin(), stray.end(), st.begin() + 288 * 4 + 1);
  Cells late = testing::aim_cells(other, 3);  // another sector 3, closed by $A5, after all
  late = Cells(late.begin() + 288 * 3, late.begin() + 288 * 4);
  late[16] = 0xA5;
  st.insert(st.end(), late.begin(), late.end());
  const Record before = to_record(st);

  const std::map<int, std::uint8_t> odd = {{2, ODD_EPILOGUE},
                                           {5, ODD_XOR_SUM},
                                           {9, ODD_SYNC_DATA},
                                           {12, ODD_EPILOGUE | ODD_XOR_SUM | ODD_SYNC_DATA}};
  const Decoded got = decode(before);
  for (int s = 0; s <= MAXSECTOR; ++s) {
    const bool lost = s == 15 || s == 17;
    EXPECT_EQ(got.sectors[s], lost ? kUnread : want[s]) << s;
    EXPECT_EQ(got.odd[s], odd.contains(s) ? odd.at(s) : 0) << s;
    EXPECT_EQ(got.fields[s], lost ? NO_FIELD : first_data(s)) << s;
  }

  TTRACK saved = got.sectors;
  for (const int s : {0, 2, 5, 9, 12}) saved[s] = other[s];
  Record after = before;
  TrackUpdateFailure failure;
  ASSERT_TRUE(update_track_record(ITA800, after, 7, saved, 21, failure));
  for (int i = 0; i < static_cast<int>(AIM_TRACK_CELLS); ++i) {
    const int s = (i - 30) / 288, k = (i - 30) % 288;
    const bool field = i >= 30 && k < 258 && (s == 0 || s == 2 || s == 5 || s == 9 || s == 12);
    const int expected = !field    ? cell(before, i)
                         : k < 256 ? (cell(before, i) & 0x100) | other[s][k]
                                   : cell(after, i);  // the checksum and closing cells below
    ASSERT_EQ(cell(after, i), expected) << "cell " << i;
  }
  for (const int s : {0, 2, 9}) EXPECT_EQ(cell(after, checksum_cell(s)), CALCCRC(other[s])) << s;
  for (const int s : {5, 12}) EXPECT_EQ(cell(after, checksum_cell(s)), xor_checksum(other[s])) << s;
  const Decoded back = decode(after);
  EXPECT_EQ(back.sectors, saved);
  EXPECT_EQ(back.odd, got.odd);
}

// ---------------------------------------------------------------------------
// 800 KB nibble

using Record800 = std::array<std::uint8_t, NIB800_TRACK_SIZE>;
constexpr std::size_t kRec = NIB800_SECTOR_RECORD;
constexpr std::size_t kEpilogue = 18, kData = 24, kCrc = 280;

// The same departures in sector records: the exclusive or is taken, a closing byte other
// than $5A noted, a record whose checksum holds as neither is lost, and an exclusive-or
// record never replaces one with a good sum (while a good sum replaces an earlier
// exclusive or). A change to such a track rewrites only the changed records' data and
// checksum, each of its kind; a standard track is still written whole.
TEST(ProtectedNibble800, RecordsReadAndSurviveASave) {
  const TTRACK want = distinct_sums(50), other = distinct_sums(51);
  Record800 before;
  NIB_WRITE_TRACK800(before, 9, want);
  const auto rec = [&](std::size_t r) { return &before[r * kRec]; };
  rec(4)[kCrc] = xor_checksum(want[4]);
  rec(7)[kEpilogue] = 0xA5;
  rec(10)[kCrc] = xor_checksum(want[10]), rec(10)[kEpilogue] = 0x00;
  rec(11)[kCrc] = neither(want[11]);
  // Record 13 claims sector 2 with an exclusive or; record 1 claims 16 the same way.
  std::copy(other[2].begin(), other[2].end(), rec(13) + kData);
  rec(13)[17] = 2, rec(13)[kCrc] = xor_checksum(other[2]);
  std::copy(other[16].begin(), other[16].end(), rec(1) + kData);
  rec(1)[17] = 16, rec(1)[kCrc] = xor_checksum(other[16]);

  TTRACK got;
  TrackFields fields;
  TrackOddities odd;
  nib800_read_fields(before, got, fields, odd);
  const std::map<int, std::uint8_t> kinds = {
      {4, ODD_XOR_SUM}, {7, ODD_EPILOGUE}, {10, ODD_XOR_SUM | ODD_EPILOGUE}};
  for (int s = 0; s <= MAXSECTOR; ++s) {
    const bool lost = s == 1 || s == 11 || s == 13;
    EXPECT_EQ(got[s], lost ? kUnread : want[s]) << s;
    EXPECT_EQ(odd[s], kinds.contains(s) ? kinds.at(s) : 0) << s;
    EXPECT_EQ(fields[s], lost ? NO_FIELD : s) << s;
  }

  TTRACK saved = got;
  for (const int s : {0, 4, 7, 10}) saved[s] = other[s];
  Record800 after = before;
  TrackUpdateFailure failure;
  ASSERT_TRUE(update_track_record(ITN800, after, 9, saved, 21, failure));
  for (std::size_t i = 0; i < after.size(); ++i) {
    const std::size_t r = i / kRec, o = i % kRec;
    const bool written = (r == 0 || r == 4 || r == 7 || r == 10) && o >= kData && o <= kCrc;
    ASSERT_TRUE(written || after[i] == before[i]) << i;
  }
  EXPECT_EQ(std::vector({after[kCrc], after[4 * kRec + kCrc], after[7 * kRec + kCrc],
                         after[10 * kRec + kCrc]}),
            std::vector({CALCCRC(other[0]), xor_checksum(other[4]), CALCCRC(other[7]),
                         xor_checksum(other[10])}));
  TTRACK back;
  TrackOddities back_odd;
  nib800_read_fields(after, back, fields, back_odd);
  EXPECT_EQ(std::tuple(back, back_odd), std::tuple(saved, odd));

  // A track whose sectors all decode is written whole only when every one is standard.
  Record800 plain;
  NIB_WRITE_TRACK800(plain, 9, want);
  plain[6 * kRec + 3] = 0x00;  // a gap byte that no reader looks at
  for (const bool marked : {true, false}) {
    Record800 r = plain;
    if (marked) r[5 * kRec + kEpilogue] = 0x5B;
    TTRACK changed = want;
    changed[0] = other[0];
    ASSERT_TRUE(update_track_record(ITN800, r, 9, changed, 21, failure));
    EXPECT_EQ(std::tuple(r[6 * kRec + 3], r[5 * kRec + kEpilogue]),
              marked ? std::tuple(0x00, 0x5B) : std::tuple(0xAA, 0x5A));
  }
}

// ---------------------------------------------------------------------------
// Images

// A load notes the departures of every track and forgets those of the image before; the
// plain forms have none.
using testing::CoreTest;

TEST_F(CoreTest, LoadNotesNonstandardSectors) {
  testing::TempDir dir;
  const std::string path = dir.file("p.aim");
  auto file = testing::make_image_file(path, ITA800);
  const TTRACK t3 = random_track(3);
  put_le16(&file[3 * ATRSIZE + 2 * checksum_cell(6)], xor_checksum(t3[6]));
  put_le16(&file[159 * ATRSIZE + 2 * epilogue(20)], 0xA5);
  testing::write_bytes(path, file);
  auto md = testing::load(dir, "p.aim", ITA800);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  std::vector<std::tuple<int, int, int>> noted;
  for (int t = 0; t <= MAXTRACK; ++t)
    for (int s = 0; s <= MAXSECTOR; ++s)
      if (md->nonstandard[t][s] != 0) noted.emplace_back(t, s, md->nonstandard[t][s]);
  EXPECT_EQ(noted,
            (std::vector<std::tuple<int, int, int>>{{3, 6, ODD_XOR_SUM}, {159, 20, ODD_EPILOGUE}}));
  EXPECT_EQ(md->MASS[3][6], t3[6]);

  testing::make_image_file(dir.file("p.dsk"), ITI800);
  md->IMAGENAME = "p.dsk";
  set_geometry(*md, ITI800);
  FC_LOADMEDIA(*md);
  for (const auto& track : md->nonstandard) ASSERT_EQ(track, TrackOddities{});
}

}  // namespace
}  // namespace agat

#include "core/nibble_140.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace agat {
namespace {

using Record140 = std::array<std::uint8_t, NIB140_TRACK_SIZE>;

constexpr int kSlot = 408;  // address field, 5 gap bytes, data field, 40 gap bytes
constexpr int kData = 19;   // data field within a slot
constexpr std::array<int, 16> kLogicalToPhysical = {0,  13, 11, 9, 7, 5, 3, 1,
                                                    14, 12, 10, 8, 6, 4, 2, 15};

// After 128 bytes $FF, slot i of a written record holds logical sector 15 - i.
int slot_of(int logical) {
  return 128 + kSlot * (15 - logical);
}

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

// Written as track 7; the reader is told track 0, which it must not care about.
Record140 encode(const TTRACK& B) {
  Record140 r;
  NIB_WRITE_TRACK140(r, 7, B);
  return r;
}

// Sectors 16..20 hold a sentinel, to see that the read leaves them alone.
TTRACK decode(const Record140& r) {
  TTRACK B;
  for (auto& s : B) s.fill(0x11);
  NIB_READ_TRACK140(r, 0, B);
  for (int s = 16; s <= 20; ++s) EXPECT_EQ(B[s], filled(0x11)) << "sector " << s;
  return B;
}

// Sectors 0..15 as written, except the listed ones, which must be unread.
::testing::AssertionResult read_as(const TTRACK& got, const TTRACK& want,
                                   std::initializer_list<int> unread = {}) {
  for (int s = 0; s < 16; ++s) {
    const bool lost = std::ranges::find(unread, s) != unread.end();
    if (got[s] != (lost ? kUnread : want[s])) {
      return ::testing::AssertionFailure() << "sector " << s << (lost ? " read" : " wrong");
    }
  }
  return ::testing::AssertionSuccess();
}

std::uint8_t value_44(const std::uint8_t* p) {
  return static_cast<std::uint8_t>(((p[0] & 0x55) << 1) | (p[1] & 0x55));
}

void put_44(std::uint8_t* p, std::uint8_t v) {
  p[0] = static_cast<std::uint8_t>((v >> 1) | 0xAA);
  p[1] = static_cast<std::uint8_t>(v | 0xAA);
}

// ---------------------------------------------------------------------------
// Writing

TEST(Nibble140Write, AnyContentReadsBackUnchanged) {
  std::vector<TTRACK> tracks(3);
  tracks[0].fill(filled(0x00));
  tracks[1].fill(filled(0xFF));
  tracks[2].fill(kUnread);
  for (unsigned seed = 1; seed <= 20; ++seed) tracks.push_back(random_track(seed));
  for (const auto& t : tracks) EXPECT_TRUE(read_as(decode(encode(t)), t));
}

TEST(Nibble140Write, RecordLayout) {
  Record140 r;
  NIB_WRITE_TRACK140(r, 34, random_track(3));
  EXPECT_TRUE(std::all_of(r.begin(), r.begin() + 128, [](auto b) { return b == 0xFF; }));
  EXPECT_TRUE(std::all_of(r.end() - 40, r.end(), [](auto b) { return b == 0xFF; }));
  using Bytes = std::vector<std::uint8_t>;
  for (int logical = 0; logical < 16; ++logical) {
    const std::uint8_t* a = r.data() + slot_of(logical);
    const int physical = kLogicalToPhysical[logical];
    SCOPED_TRACE("logical sector " + std::to_string(logical));
    EXPECT_EQ(Bytes(a, a + 3), (Bytes{0xD5, 0xAA, 0x96}));
    EXPECT_EQ((Bytes{value_44(a + 3), value_44(a + 5), value_44(a + 7), value_44(a + 9)}),
              (Bytes{254, 34, static_cast<std::uint8_t>(physical),
                     static_cast<std::uint8_t>(254 ^ 34 ^ physical)}));
    EXPECT_EQ(Bytes(a + 11, a + 22),
              (Bytes{0xDE, 0xAA, 0xEB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xD5, 0xAA, 0xAD}));
    EXPECT_EQ(Bytes(a + 365, a + 368), (Bytes{0xDE, 0xAA, 0xEB}));
  }
}

// ---------------------------------------------------------------------------
// Reading

TEST(Nibble140Read, RecordWithoutMarksIsUnread) {
  Record140 r;
  r.fill(0xFF);
  const TTRACK none{};
  EXPECT_TRUE(read_as(decode(r), none, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
}

// The same circular stream started anywhere: every cut through the first slot (all slots
// are laid out alike), a sample elsewhere.
TEST(Nibble140Read, RotatedRecordReadsTheSame) {
  const TTRACK want = random_track(11);
  const Record140 r = encode(want);
  Record140 rotated;
  for (std::size_t shift = 0; shift < r.size(); shift += shift < 128 + kSlot ? 1 : 37) {
    std::rotate_copy(r.begin(), r.begin() + shift, r.end(), rotated.begin());
    ASSERT_TRUE(read_as(decode(rotated), want)) << "rotated by " << shift;
  }
}

TEST(Nibble140Read, AddressFieldChecks) {
  const TTRACK want = random_track(5);
  struct Case {
    const char* what;
    int offset;  // in the address field of logical 6 (physical 3)
    std::uint8_t byte;
    bool accepted;
  } const cases[] = {
      {"third epilogue byte $00", 13, 0x00, true},
      {"third epilogue byte $FF", 13, 0xFF, true},
      {"second epilogue byte $AB", 12, 0xAB, false},
      {"first epilogue byte $DF", 11, 0xDF, false},
      {"checksum off by one bit", 10, 0xAB, false},
      {"track changed, checksum not", 6, 0xFF, false},
  };
  for (const auto& c : cases) {
    Record140 r = encode(want);
    r[slot_of(6) + c.offset] = c.byte;
    EXPECT_TRUE(c.accepted ? read_as(decode(r), want) : read_as(decode(r), want, {6})) << c.what;
  }
  // Other volumes and tracks are fine; sector numbers 16 and up are not, checksum or no.
  Record140 r = encode(want);
  for (const auto& [logical, volume, track, physical] :
       {std::array{2, 17, 200, 11}, {15, 0, 0, 16}, {14, 254, 7, 255}}) {
    std::uint8_t* a = r.data() + slot_of(logical) + 3;
    put_44(a, static_cast<std::uint8_t>(volume));
    put_44(a + 2, static_cast<std::uint8_t>(track));
    put_44(a + 4, static_cast<std::uint8_t>(physical));
    put_44(a + 6, static_cast<std::uint8_t>(volume ^ track ^ physical));
  }
  EXPECT_TRUE(read_as(decode(r), want, {14, 15}));
}

// One changed byte anywhere in a data field fails only that sector: every chained value
// after it shifts and the checksum byte no longer matches. Bytes below $96 have no value.
TEST(Nibble140Read, DamagedDataFieldLeavesOnlyItsSectorUnread) {
  const TTRACK want = random_track(21);
  for (const int sector : {0, 7, 15}) {
    for (const int at : {3, 88, 89, 200, 344, 345, 346, 347}) {  // 345: checksum, 346: $DE
      for (const std::uint8_t b : {0x00, 0x95, 0x96, 0x98, 0xAA, 0xFF}) {
        Record140 r = encode(want);
        std::uint8_t& target = r[slot_of(sector) + kData + at];
        if (target == b) continue;
        target = b;
        EXPECT_TRUE(read_as(decode(r), want, {sector}))
            << "sector " << sector << " byte " << at << " := " << int{b};
      }
    }
  }
}

// The data field of a sector is the first mark after its address field: without its own
// data prologue that is the next address field, and the sector stays unread.
TEST(Nibble140Read, MissingDataPrologueDoesNotBorrowTheNextField) {
  const TTRACK want = random_track(4);
  Record140 r = encode(want);
  r[slot_of(12) + kData] = 0xFF;
  EXPECT_TRUE(read_as(decode(r), want, {12}));
}

TEST(Nibble140Read, LaterCopyOfASectorWins) {
  const TTRACK first = random_track(30), second = random_track(31);
  const Record140 a = encode(first), b = encode(second);
  // The second track's sector 5 over the slot of sector 6 (before 5's) or of 4 (after it).
  for (const auto& [victim, winner] : {std::pair{6, &first}, {4, &second}}) {
    Record140 r = a;
    std::copy_n(b.begin() + slot_of(5), kSlot, r.begin() + slot_of(victim));
    const TTRACK got = decode(r);
    EXPECT_EQ(got[5], (*winner)[5]) << "copy in the slot of " << victim;
    EXPECT_EQ(got[victim], kUnread);
  }
}

// A lone address field cut by the end of the record, with no other mark: the scan still
// makes exactly one pass.
TEST(Nibble140Read, LoneAddressFieldAcrossTheEndEnds) {
  const Record140 written = encode(random_track(2));
  for (const int shift : {3, 7, 13}) {
    Record140 r;
    r.fill(0xFF);
    const auto field = written.begin() + slot_of(15);
    std::copy_n(field, shift, r.end() - shift);
    std::copy_n(field + shift, 14 - shift, r.begin());
    EXPECT_EQ(decode(r)[15], kUnread);
  }
}

// Single-byte damage anywhere never yields a wrong sector: each is right or unread.
TEST(Nibble140Read, RandomDamageGivesRightOrUnreadSectors) {
  std::mt19937 rng(77);
  const TTRACK want = random_track(78);
  const Record140 clean = encode(want);
  for (int round = 0; round < 3000; ++round) {
    Record140 r = clean;
    r[rng() % r.size()] = static_cast<std::uint8_t>(rng());
    const TTRACK got = decode(r);
    for (int s = 0; s < 16; ++s) {
      ASSERT_TRUE(got[s] == want[s] || got[s] == kUnread) << "round " << round << " sector " << s;
    }
  }
}

TEST(Nibble140Read, GarbageRecordsEnd) {
  std::mt19937 rng(99);
  const std::uint8_t marks[] = {0xD5, 0xAA, 0x96, 0xAD, 0xDE, 0xEB, 0xFF, 0xAB};
  Record140 r;
  for (int round = 0; round < 300; ++round) {
    for (auto& b : r) b = round % 2 ? marks[rng() % 8] : static_cast<std::uint8_t>(rng());
    decode(r);
  }
}

// ---------------------------------------------------------------------------
// Images made by other tools

std::optional<std::vector<std::uint8_t>> load(const std::string& name) {
  std::ifstream f(std::filesystem::path(AGAT_TESTDATA_DIR) / name, std::ios::binary);
  if (!f) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
}

#define LOAD_OR_SKIP(var, name) \
  const auto var = load(name);  \
  if (!var) GTEST_SKIP() << "test data folder missing: no " << name << " in " AGAT_TESTDATA_DIR

Record140 record_of(const std::vector<std::uint8_t>& nib, int t) {
  Record140 r;
  std::copy_n(nib.begin() + t * NIB140_TRACK_SIZE, r.size(), r.begin());
  return r;
}

TTRACK track_of(const std::vector<std::uint8_t>& dsk, int t) {
  TTRACK B{};
  for (int s = 0; s < 16; ++s) std::memcpy(B[s].data(), dsk.data() + (t * 16 + s) * 256, 256);
  return B;
}

TEST(Nibble140Interop, IndependentNibbleImagesMatchTheirSectorImages) {
  for (const auto& [nib_name, dsk_name] : {std::pair{"nib/files.nib", "dos33/files.dsk"},
                                           {"nib/empty.nib", "dos33/empty.dsk"},
                                           {"nib/full_vol017.nib", "dos33/full.dsk"}}) {
    LOAD_OR_SKIP(nib, nib_name);
    LOAD_OR_SKIP(dsk, dsk_name);
    ASSERT_EQ(nib->size(), 35 * NIB140_TRACK_SIZE);
    ASSERT_EQ(dsk->size(), 35 * 16 * 256u);
    for (int t = 0; t < 35; ++t) {
      EXPECT_TRUE(read_as(decode(record_of(*nib, t)), track_of(*dsk, t))) << nib_name << " " << t;
    }
  }
}

TEST(Nibble140Interop, ThirteenSectorImageDecodesToNothing) {
  LOAD_OR_SKIP(nib, "other/aw-init-13sector.nib");
  ASSERT_EQ(nib->size(), 35 * NIB140_TRACK_SIZE);
  for (int t = 0; t < 35; ++t) {
    const TTRACK got = decode(record_of(*nib, t));
    for (int s = 0; s < 16; ++s) EXPECT_EQ(got[s], kUnread) << "track " << t << " sector " << s;
  }
}

}  // namespace
}  // namespace agat

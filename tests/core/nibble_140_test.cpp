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

constexpr int kSlot = 408;       // address field, 5 gap bytes, data field, 40 gap bytes
constexpr int kFirstSlot = 128;  // the written record starts with 128 bytes $FF
constexpr int kDataOffset = 19;  // data field start within a slot
constexpr std::array<int, 16> kLogicalToPhysical = {0, 13, 11, 9, 7, 5, 3, 1,
                                                    14, 12, 10, 8, 6, 4, 2, 15};

// Slot i of a written record holds logical sector 15 - i.
int slot_of(int logical) { return kFirstSlot + kSlot * (15 - logical); }

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

Record140 encode(const TTRACK& B, std::uint8_t track = 7) {
  Record140 r;
  NIB_WRITE_TRACK140(r, track, B);
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

void expect_same_16(const TTRACK& got, const TTRACK& want, const std::string& what) {
  for (int s = 0; s < 16; ++s) EXPECT_EQ(got[s], want[s]) << what << ", sector " << s;
}

std::uint8_t decode_44(const std::uint8_t* p) {
  return static_cast<std::uint8_t>(((p[0] & 0x55) << 1) | (p[1] & 0x55));
}

// ---------------------------------------------------------------------------
// Writing and reading back

TEST(Nibble140RoundTrip, AnyContentReadsBackUnchanged) {
  std::vector<std::pair<std::string, TTRACK>> tracks;
  TTRACK t;
  t.fill(filled(0x00));
  tracks.emplace_back("all $00", t);
  t.fill(filled(0xFF));
  tracks.emplace_back("all $FF", t);
  t.fill(kUnread);
  tracks.emplace_back("all $BD", t);
  for (unsigned seed = 1; seed <= 20; ++seed) tracks.emplace_back("random", random_track(seed));
  for (int s = 0; s < 16; ++s) {
    for (int i = 0; i < 256; ++i) t[s][i] = static_cast<std::uint8_t>(i * (s + 1) + s);
  }
  tracks.emplace_back("ramps", t);
  for (const auto& [name, track] : tracks) expect_same_16(decode(encode(track)), track, name);
}

TEST(Nibble140Write, RecordLayout) {
  const Record140 r = encode(random_track(3), 34);
  EXPECT_TRUE(std::all_of(r.begin(), r.begin() + kFirstSlot, [](auto b) { return b == 0xFF; }));
  EXPECT_TRUE(std::all_of(r.end() - 40, r.end(), [](auto b) { return b == 0xFF; }));
  for (int i = 0; i < 16; ++i) {
    const std::uint8_t* a = r.data() + kFirstSlot + kSlot * i;
    SCOPED_TRACE("slot " + std::to_string(i));
    EXPECT_EQ(std::vector(a, a + 3), (std::vector<std::uint8_t>{0xD5, 0xAA, 0x96}));
    EXPECT_EQ(decode_44(a + 3), 254);
    EXPECT_EQ(decode_44(a + 5), 34);
    EXPECT_EQ(decode_44(a + 7), kLogicalToPhysical[15 - i]);  // physical 15, 2, 4, ..., 13, 0
    EXPECT_EQ(decode_44(a + 9), 254 ^ 34 ^ kLogicalToPhysical[15 - i]);
    EXPECT_EQ(std::vector(a + 11, a + 19), (std::vector<std::uint8_t>{0xDE, 0xAA, 0xEB, 0xFF,
                                                                      0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(std::vector(a + 19, a + 22), (std::vector<std::uint8_t>{0xD5, 0xAA, 0xAD}));
    EXPECT_EQ(std::vector(a + 365, a + 368), (std::vector<std::uint8_t>{0xDE, 0xAA, 0xEB}));
  }
}

TEST(Nibble140Write, ZeroSectorIsAllLowestDiskByte) {
  TTRACK t;
  t.fill(filled(0));
  const Record140 r = encode(t);
  const std::uint8_t* data = r.data() + slot_of(9) + kDataOffset + 3;
  EXPECT_TRUE(std::all_of(data, data + 343, [](auto b) { return b == 0x96; }));
}

// The prenibble visits bytes 1 and 0 twice; their first visit leaves their two low bits in
// bits 5..4 of the first two six-bit values, which other encoders leave 0.
TEST(Nibble140Write, FirstTwoValuesRepeatLowBitsOfBytesOneAndZero) {
  const std::array<std::uint8_t, 64> tablw = {
      0x96, 0x97, 0x9A, 0x9B, 0x9D, 0x9E, 0x9F, 0xA6, 0xA7, 0xAB, 0xAC, 0xAD, 0xAE,
      0xAF, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE,
      0xBF, 0xCB, 0xCD, 0xCE, 0xCF, 0xD3, 0xD6, 0xD7, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD,
      0xDE, 0xDF, 0xE5, 0xE6, 0xE7, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF2,
      0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
  const auto value_of = [&](std::uint8_t disk) {
    return static_cast<int>(std::ranges::find(tablw, disk) - tablw.begin());
  };
  // Bit 0 of a byte goes to the higher bit of its pair.
  const auto pair = [](std::uint8_t b) { return ((b & 1) << 1) | ((b >> 1) & 1); };
  for (const auto& [b0, b1] : {std::pair{0x01, 0x02}, {0x02, 0x03}, {0xFF, 0x00}, {0x00, 0x01}}) {
    TTRACK t;
    t.fill(filled(0));
    t[5][0] = static_cast<std::uint8_t>(b0);
    t[5][1] = static_cast<std::uint8_t>(b1);
    const Record140 r = encode(t);
    const std::uint8_t* values = r.data() + slot_of(5) + kDataOffset + 3;
    int v = 0;
    std::array<int, 86> buf2{};
    for (int i = 85; i >= 0; --i) buf2[i] = v ^= value_of(values[85 - i]);
    EXPECT_EQ(buf2[85], pair(t[5][0]));  // where the read takes them from
    EXPECT_EQ(buf2[84], pair(t[5][1]));
    EXPECT_EQ(buf2[1], pair(t[5][0]) << 4);
    EXPECT_EQ(buf2[0], pair(t[5][1]) << 4);
  }
}

// ---------------------------------------------------------------------------
// Reading: where the fields lie and what is accepted

TEST(Nibble140Read, RecordWithoutMarksIsUnread) {
  Record140 r;
  r.fill(0xFF);
  const TTRACK got = decode(r);
  for (int s = 0; s < 16; ++s) EXPECT_EQ(got[s], kUnread);
}

// The same circular stream started anywhere, fields cut at the end of the record included.
TEST(Nibble140Read, RotatedRecordReadsTheSame) {
  const TTRACK want = random_track(11);
  const Record140 r = encode(want);
  Record140 rotated;
  for (std::size_t shift = 0; shift < r.size(); ++shift) {
    std::rotate_copy(r.begin(), r.begin() + shift, r.end(), rotated.begin());
    const TTRACK got = decode(rotated);
    for (int s = 0; s < 16; ++s) {
      ASSERT_EQ(got[s], want[s]) << "rotated by " << shift << ", sector " << s;
    }
  }
}

TEST(Nibble140Read, AddressFieldChecks) {
  const TTRACK want = random_track(5);
  const int adr = slot_of(6);  // logical 6 is physical 3
  struct Case {
    const char* what;
    int offset;
    std::uint8_t byte;
    bool accepted;
  };
  const Case cases[] = {
      {"third epilogue byte $00", 13, 0x00, true},
      {"third epilogue byte $FF", 13, 0xFF, true},
      {"second epilogue byte $AB", 12, 0xAB, false},
      {"first epilogue byte $DF", 11, 0xDF, false},
      {"checksum off by one bit", 10, 0xAB, false},
      {"track changed, checksum not", 6, 0xFF, false},
  };
  for (const auto& c : cases) {
    Record140 r = encode(want);
    r[adr + c.offset] = c.byte;
    const TTRACK got = decode(r);
    EXPECT_EQ(got[6], c.accepted ? want[6] : kUnread) << c.what;
    for (int s = 0; s < 16; ++s) {
      if (s != 6) {
        EXPECT_EQ(got[s], want[s]) << c.what << ", sector " << s;
      }
    }
  }
}

TEST(Nibble140Read, VolumeAndTrackAreNotCompared) {
  const TTRACK want = random_track(8);
  Record140 r = encode(want, 3);
  for (int i = 0; i < 16; ++i) {
    std::uint8_t* a = r.data() + kFirstSlot + kSlot * i + 3;
    const std::uint8_t volume = static_cast<std::uint8_t>(17 + i), track = 200;
    const std::uint8_t sector = decode_44(a + 4);
    const std::uint8_t values[4] = {volume, track, sector,
                                    static_cast<std::uint8_t>(volume ^ track ^ sector)};
    for (int k = 0; k < 4; ++k) {
      a[2 * k] = static_cast<std::uint8_t>((values[k] >> 1) | 0xAA);
      a[2 * k + 1] = static_cast<std::uint8_t>(values[k] | 0xAA);
    }
  }
  expect_same_16(decode(r), want, "track 200, volumes 17..32");
}

TEST(Nibble140Read, SectorNumberSixteenOrMoreIsRejected) {
  const TTRACK want = random_track(9);
  Record140 r = encode(want);
  std::uint8_t* a = r.data() + slot_of(15) + 3;  // physical 15
  for (const std::uint8_t sector : {16, 31, 255}) {
    const std::uint8_t check = static_cast<std::uint8_t>(254 ^ 7 ^ sector);
    a[4] = static_cast<std::uint8_t>((sector >> 1) | 0xAA), a[5] = sector | 0xAA;
    a[6] = static_cast<std::uint8_t>((check >> 1) | 0xAA), a[7] = check | 0xAA;
    const TTRACK got = decode(r);
    EXPECT_EQ(got[15], kUnread) << int{sector};
    EXPECT_EQ(got[14], want[14]);
  }
}

// One changed byte anywhere in a data field fails only that sector: the chained values all
// shift after it and the checksum byte no longer matches.
TEST(Nibble140Read, DamagedDataFieldLeavesOnlyItsSectorUnread) {
  const TTRACK want = random_track(21);
  for (const int sector : {0, 7, 15}) {
    for (const int at : {3, 4, 88, 89, 200, 344, 345, 346, 347}) {
      for (const std::uint8_t b : {0x00, 0x95, 0x96, 0x98, 0xAA, 0xFF}) {
        Record140 r = encode(want);
        std::uint8_t& target = r[slot_of(sector) + kDataOffset + at];
        if (target == b) continue;
        target = b;
        const TTRACK got = decode(r);
        for (int s = 0; s < 16; ++s) {
          EXPECT_EQ(got[s], s == sector ? kUnread : want[s])
              << "sector " << sector << " byte " << at << " := " << int{b} << ", read " << s;
        }
      }
    }
  }
}

// The data field of a sector is the first mark after its address field: without its own
// data prologue the next mark is the next address field, and the sector stays unread.
TEST(Nibble140Read, MissingDataPrologueDoesNotBorrowTheNextField) {
  const TTRACK want = random_track(4);
  Record140 r = encode(want);
  r[slot_of(12) + kDataOffset] = 0xFF;
  const TTRACK got = decode(r);
  for (int s = 0; s < 16; ++s) EXPECT_EQ(got[s], s == 12 ? kUnread : want[s]) << s;
}

TEST(Nibble140Read, LaterCopyOfASectorWins) {
  const TTRACK first = random_track(30), second = random_track(31);
  const Record140 a = encode(first), b = encode(second);
  // Slot of logical 5 from the second track goes over the slot of logical 6 (earlier on the
  // record) or of logical 4 (later).
  for (const auto& [victim, winner] : {std::pair{6, &first}, {4, &second}}) {
    Record140 r = a;
    std::copy_n(b.begin() + slot_of(5), kSlot, r.begin() + slot_of(victim));
    const TTRACK got = decode(r);
    EXPECT_EQ(got[5], (*winner)[5]) << "copy in slot of " << victim;
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
    const auto field = written.begin() + kFirstSlot;
    std::copy_n(field, shift, r.end() - shift);
    std::copy_n(field + shift, 14 - shift, r.begin());
    const TTRACK got = decode(r);
    for (int s = 0; s < 16; ++s) EXPECT_EQ(got[s], kUnread);
  }
}

// Single-byte damage anywhere never yields a wrong sector: each comes out right or unread.
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
  const std::uint8_t alphabet[] = {0xD5, 0xAA, 0x96, 0xAD, 0xDE, 0xEB, 0xFF, 0xAB};
  for (int round = 0; round < 300; ++round) {
    Record140 r;
    if (round % 2) {
      for (auto& b : r) b = alphabet[rng() % std::size(alphabet)];
    } else {
      for (auto& b : r) b = static_cast<std::uint8_t>(rng());
    }
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
  const auto var = load(name); \
  if (!var) GTEST_SKIP() << "test data folder missing: " << name << " not in " AGAT_TESTDATA_DIR

Record140 record_of_nib(const std::vector<std::uint8_t>& nib, int t) {
  Record140 r;
  std::copy_n(nib.begin() + t * NIB140_TRACK_SIZE, r.size(), r.begin());
  return r;
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
      const TTRACK got = decode(record_of_nib(*nib, t));
      for (int s = 0; s < 16; ++s) {
        EXPECT_EQ(0, std::memcmp(got[s].data(), dsk->data() + (t * 16 + s) * 256, 256))
            << nib_name << " track " << t << " sector " << s;
      }
    }
  }
}

// Fields written here equal an independent encoder's except in the two repeated values.
TEST(Nibble140Interop, DataFieldsMatchAnIndependentEncoder) {
  LOAD_OR_SKIP(nib, "nib/files.nib");
  LOAD_OR_SKIP(dsk, "dos33/files.dsk");
  int compared = 0;
  for (int t = 0; t < 35; ++t) {
    TTRACK B;
    for (int s = 0; s < 16; ++s) std::memcpy(B[s].data(), dsk->data() + (t * 16 + s) * 256, 256);
    const Record140 ours = encode(B, static_cast<std::uint8_t>(t));
    const Record140 theirs = record_of_nib(*nib, t);
    // Their data field of a physical sector: the D5 AA AD that follows its address field.
    const int size = static_cast<int>(theirs.size());
    for (int p = 0; p + 14 + 349 <= size; ++p) {
      if (theirs[p] != 0xD5 || theirs[p + 1] != 0xAA || theirs[p + 2] != 0x96) continue;
      const int physical = decode_44(&theirs[p + 7]);
      const auto logical = std::ranges::find(kLogicalToPhysical, physical) - kLogicalToPhysical.begin();
      ASSERT_LT(logical, 16);
      int d = p + 14;
      while (d < p + 64 && theirs[d] != 0xD5) ++d;
      ASSERT_LE(d + 349, size);
      const std::uint8_t* our_field = ours.data() + slot_of(static_cast<int>(logical)) + kDataOffset;
      for (int i = 0; i < 349; ++i) {
        if (i >= 87 && i <= 89) continue;  // BUF2 entries 1 and 0, and the value chained on
        ASSERT_EQ(our_field[i], theirs[d + i]) << "track " << t << " physical " << physical << " byte " << i;
      }
      ++compared;
    }
  }
  EXPECT_EQ(compared, 35 * 16);
}

TEST(Nibble140Interop, ThirteenSectorImageDecodesToNothing) {
  LOAD_OR_SKIP(nib, "other/aw-init-13sector.nib");
  ASSERT_EQ(nib->size(), 35 * NIB140_TRACK_SIZE);
  for (int t = 0; t < 35; ++t) {
    const TTRACK got = decode(record_of_nib(*nib, t));
    for (int s = 0; s < 16; ++s) EXPECT_EQ(got[s], kUnread) << "track " << t << " sector " << s;
  }
}

}  // namespace
}  // namespace agat

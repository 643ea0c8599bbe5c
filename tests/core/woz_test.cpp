// WOZ images: the file written (signature, CRC, INFO, TMAP, META), tracks latched from bit
// streams with slips, changed data fields written back where they lay, version 1 files, and
// damaged files that are refused, or opened with what they lack reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "core/cp1251_literal.h"
#include "core/nibble_140.h"
#include "core/woz_file.h"
#include "core/woz_track.h"
#include "support/image_files.h"

namespace agat {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<TTRACK> random_tracks() {
  std::vector<TTRACK> tracks(35);
  for (std::size_t t = 0; t < 35; ++t) tracks[t] = testing::random_track(t + 7);
  return tracks;
}

// The offset and size of the data of the first chunk ID; {0, 0} when there is none.
std::pair<std::size_t, std::size_t> chunk(const Bytes& f, std::string_view id) {
  for (std::size_t at = 12; at + 8 <= f.size(); at += 8 + get_le32(&f[at + 4]))
    if (std::string_view(reinterpret_cast<const char*>(&f[at]), 4) == id)
      return {at + 8, get_le32(&f[at + 4])};
  return {0, 0};
}
std::string text(const Bytes& f, std::size_t at, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(&f[at]), size);
}
void seal(Bytes& f) {
  put_le32(&f[8], woz_crc32(std::span(f).subspan(12)));
}

// The track records of a file, as the core holds them.
Bytes records_of(const Bytes& f) {
  Bytes records(35 * WOZ_TRACK_RECORD);
  std::string title;
  EXPECT_TRUE(woz_unpack(f, records, title));
  return records;
}

// The same disk as a version 1 file made by "Capture 0.1", with META and an unknown chunk.
Bytes as_version1(const Bytes& v2) {
  Bytes f{'W', 'O', 'Z', '1', 0xFF, 0x0A, 0x0D, 0x0A, 0, 0, 0, 0}, info(60, ' '), tmap(160, 0xFF),
      trks(35 * 6656, 0);
  info[0] = info[1] = 1;
  std::copy_n("Capture 0.1", 11, &info[5]);
  const Bytes records = records_of(v2);
  for (int t = 0; t < 35; ++t) {
    tmap[4 * t] = static_cast<std::uint8_t>(t);
    const std::uint8_t* rec = &records[t * WOZ_TRACK_RECORD];
    std::copy_n(rec + WOZ_BITS_AT, 6646, &trks[t * 6656]);
    put_le16(&trks[t * 6656 + 6648], static_cast<std::uint16_t>(get_le32(rec)));
  }
  for (const auto& [id, data] : {std::pair<std::string, Bytes>{"INFO", info},
                                 {"TMAP", tmap},
                                 {"TRKS", trks},
                                 {"XTRA", {1, 2, 3}},
                                 {"META", {'t', 'i', 't', 'l', 'e', '\t', 'D', '\n'}}}) {
    f.insert(f.end(), id.begin(), id.end());
    f.resize(f.size() + 4);
    put_le32(&f[f.size() - 4], static_cast<std::uint32_t>(data.size()));
    f.insert(f.end(), data.begin(), data.end());
  }
  seal(f);
  return f;
}

// Track T of RECORDS latched and laid again with ZEROS(i) zero bits before byte i, from a start
// SHIFT bits on: the slips and long sync bytes of a capture, and a seam inside a field.
void add_slips(Bytes& records, int t, std::uint32_t shift, std::function<int(std::size_t)> zeros) {
  LatchedTrack l;
  woz_latch(std::span(records).subspan(t * WOZ_TRACK_RECORD, WOZ_TRACK_RECORD), l);
  std::vector<bool> bits;
  for (std::size_t i = 0; i < l.bytes.size(); ++i) {
    bits.insert(bits.end(), zeros(i), false);
    for (int b = 7; b >= 0; --b) bits.push_back((l.bytes[i] >> b) & 1);
  }
  std::uint8_t* rec = &records[t * WOZ_TRACK_RECORD];
  std::fill_n(rec, WOZ_TRACK_RECORD, 0);
  put_le32(rec, static_cast<std::uint32_t>(bits.size()));
  for (std::size_t i = 0; i < bits.size(); ++i)
    if (bits[(i + shift) % bits.size()]) rec[WOZ_BITS_AT + i / 8] |= 0x80 >> (i % 8);
}

class WozTest : public testing::CoreTest {
 protected:
  std::unique_ptr<TMEDIA> load(const Bytes& file) {
    testing::write_bytes(dir.file("d.woz"), file);
    auto md = testing::load(dir, "d.woz", ITW140);
    warnings = cp1251_to_utf8(FC_WARNINGBUFFER);
    critical = testing::take_critical_text();
    return md;
  }
  void expect_tracks(const TMEDIA& md, const std::vector<TTRACK>& tracks) {
    for (int t = 0; t < 35; ++t)
      for (int s = 0; s < 16; ++s) ASSERT_EQ(md.MASS[t][s], tracks[t][s]) << t << "/" << s;
  }
  testing::TempDir dir;
  std::string warnings, critical;
};

// A new file is a sealed WOZ 2 of this toolset with the usual quarter tracks and the title; a
// version 1 file of the same disk opens as the same sectors, and saved is a version 2 file
// with its creator, META and other chunks kept, written as a new track has the changed field.
TEST_F(WozTest, NewAndVersion1FilesOpenAsTheirSectorsAndSaveAsVersion2) {
  auto tracks = random_tracks();
  const Bytes file = image_file_bytes(ITW140, tracks, "Диск"_w);
  const auto [info, tmap, meta] =
      std::tuple(chunk(file, "INFO").first, chunk(file, "TMAP").first, chunk(file, "META"));
  EXPECT_EQ(text(file, 0, 4) + text(file, info + 5, 20), "WOZ2agat_disk_tools 1.0 ");
  EXPECT_EQ(Bytes(&file[tmap + 134], &file[tmap + 140]), Bytes({0xFF, 34, 34, 34, 0xFF, 0xFF}));
  EXPECT_EQ(text(file, meta.first, meta.second), "title\tДиск\n");
  EXPECT_EQ(get_le32(&records_of(file)[9 * WOZ_TRACK_RECORD]), WOZ_NEW_TRACK_BITS);
  auto md = load(file);
  EXPECT_EQ(critical + warnings + md->DESCRIPTION, "Диск"_w);
  expect_tracks(*md, tracks);

  md = load(as_version1(file));
  ASSERT_EQ(critical + warnings, "");
  EXPECT_EQ(md->DESCRIPTION, "D");
  expect_tracks(*md, tracks);
  md->MASS[5][3].fill(0x11);
  tracks[5][3].fill(0x11);
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(testing::take_critical_text(), "");
  const Bytes v2 = testing::read_bytes(dir.file("d.woz"));
  const std::size_t at = chunk(v2, "INFO").first;
  EXPECT_EQ(text(v2, 0, 4) + char('0' + v2[at]) + text(v2, at + 5, 11), "WOZ22Capture 0.1");
  EXPECT_EQ(std::tuple(chunk(v2, "XTRA").second, chunk(v2, "META").second), std::tuple(3u, 8u));
  EXPECT_EQ(get_le32(&v2[8]), woz_crc32(std::span(v2).subspan(12)));
  EXPECT_EQ(records_of(v2), records_of(image_file_bytes(ITW140, tracks)));
}

// Zero bits between bytes and a seam inside a data field are read past; a changed field is
// written over the old bytes' places, the framing and every other byte kept.
// Bytes laid with chosen zero bits after each latch back as laid, each at its place: runs of
// ten-bit sync bytes of every length, runs with no zero bits between bytes, short slips, and
// gaps longer than the latch reads at once.
TEST_F(WozTest, LatchTakesEveryByteWhereItWasLaid) {
  Bytes rec(WOZ_TRACK_RECORD, 0), laid;
  std::vector<std::uint32_t> at;
  std::minstd_rand random(5);
  std::uint32_t bit = 0;
  for (int group = 0; bit < 50000; ++group)
    for (int i = 0, n = 1 + group % 13, kind = group % 4; i < n; ++i) {
      const auto b = static_cast<std::uint8_t>(kind == 0 ? 0xFF : 0x80 | random());
      laid.push_back(b);
      at.push_back(bit);
      for (int k = 0; k < 8; ++k, ++bit)
        rec[WOZ_BITS_AT + bit / 8] |= static_cast<std::uint8_t>(((b << k) & 0x80) >> (bit % 8));
      const std::uint32_t gap = i + 1 == n ? 57 + group % 11 : 1;
      bit += kind == 0 ? 2 : kind == 1 ? 0 : kind == 2 ? random() % 4 : gap;
    }
  put_le32(rec.data(), bit);
  LatchedTrack l;
  woz_latch(rec, l);
  EXPECT_TRUE(std::ranges::equal(l.bytes, laid));
  EXPECT_TRUE(std::ranges::equal(l.starts, at));
}

TEST_F(WozTest, SlipsAreReadAndKeptByAChangedField) {
  auto tracks = random_tracks();
  Bytes file = image_file_bytes(ITW140, tracks), records = records_of(file);
  add_slips(records, 0, 0, [](std::size_t i) { return static_cast<int>(i % 3); });
  add_slips(records, 1, 30000, [](std::size_t i) { return i % 7 == 0 ? 5 : 0; });
  add_slips(records, 2, 51000, [](std::size_t i) { return i < 40 ? 2 : static_cast<int>(i % 2); });
  ASSERT_TRUE(woz_pack(records, {}, "", file));
  auto md = load(file);
  ASSERT_EQ(critical + warnings, "");
  expect_tracks(*md, tracks);
  for (int t = 0; t < 3; ++t) {
    md->MASS[t][t * 5].fill(0xC3);
    tracks[t][t * 5].fill(0xC3);
  }
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(testing::take_critical_text(), "");
  const Bytes saved = testing::read_bytes(dir.file("d.woz")), after = records_of(saved);
  for (int t = 0; t < 3; ++t) {
    LatchedTrack a, b;
    woz_latch(std::span(records).subspan(t * WOZ_TRACK_RECORD, WOZ_TRACK_RECORD), a);
    woz_latch(std::span(after).subspan(t * WOZ_TRACK_RECORD, WOZ_TRACK_RECORD), b);
    EXPECT_TRUE(std::ranges::equal(a.starts, b.starts)) << t;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) changed += a.bytes[i] != b.bytes[i];
    EXPECT_TRUE(changed > 200 && changed <= NIB140_DATA_BODY) << t << ": " << changed;
  }
  expect_tracks(*load(saved), tracks);
}

// Lengths, offsets and sizes are checked: a file that cannot be a WOZ image is refused; one
// with a wrong CRC or without some tracks opens and says so once, their sectors unreadable and
// unwritable; one with flux tracks opens but is not saved. A refused save changes nothing.
TEST_F(WozTest, DamagedFilesAreRefusedOrOpenWithWhatTheyLack) {
  const Bytes good = image_file_bytes(ITW140, random_tracks());
  const auto at = [](Bytes& f, const char* id, std::size_t k) {
    return &f[chunk(f, id).first + k];
  };
  const std::string lost = "Чтение образа: в файле WOZ нет дорожек или они не читаются: ";
  const struct {
    std::function<void(Bytes&)> damage;
    std::string critical, warning;
    int lost_track;
  } kCases[] = {
      {[](Bytes& f) { f.resize(11); }, "Чтение образа: файл не образ WOZ\r\n", "", -1},
      {[&](Bytes& f) { put_le32(at(f, "TRKS", 0) - 4, 1u << 30); },
       "Чтение образа: блок TRKS файла WOZ выходит за конец файла\r\n", "", -1},
      {[&](Bytes& f) { *(at(f, "TMAP", 0) - 5) = 'Q'; },
       "Чтение образа: в файле WOZ нет блока TMAP\r\n", "", -1},
      {[&](Bytes& f) { *at(f, "INFO", 1) = 2; },
       "Чтение образа: образ WOZ снят не с дискеты 5,25 дюйма\r\n", "", -1},
      {[](Bytes& f) { f[300] ^= 1; }, "",
       "Чтение образа: контрольная сумма файла WOZ не сходится\r\n", -1},
      {[&](Bytes& f) { *at(f, "TMAP", 8) = 0xFF; }, "", lost + "2\r\n", 2},
      {[&](Bytes& f) { put_le16(at(f, "TRKS", 24), 0xFFF0); }, "", lost + "3\r\n", 3},
      {[&](Bytes& f) { put_le32(at(f, "TRKS", 36), 0x7FFFFFFF); }, "", lost + "4\r\n", 4},
      {[](Bytes& f) {
         f.insert(f.end(), {'F', 'L', 'U', 'X', 0, 0, 0, 0});
       },
       "", "", -2},
  };
  for (const auto& c : kCases) {
    Bytes f = good;
    c.damage(f);
    if (f.size() > 12 && c.warning.find("контрольная") == std::string::npos) seal(f);
    auto md = load(f);
    SCOPED_TRACE(c.critical + c.warning);
    EXPECT_EQ(critical, c.critical);
    EXPECT_EQ(warnings, c.warning);
    if (!c.critical.empty()) continue;
    for (int t = 0; t < 35; ++t)
      EXPECT_EQ(std::pair(md->unwritable[t], md->MASS[t][0] == testing::kUnread),
                std::pair(t == c.lost_track ? 0xFFFFu : 0u, t == c.lost_track))
          << t;
    if (c.lost_track == -1) continue;
    md->MASS[std::max(c.lost_track, 1)][0].fill(1);
    FC_SAVEMEDIA(*md, false);
    EXPECT_NE(testing::take_critical_text().find("файл образа не изменён"), std::string::npos);
    EXPECT_EQ(testing::read_bytes(dir.file("d.woz")), f);
  }
}

// The file's CRC is the common CRC-32: its check values, empty, short and past a word.
TEST_F(WozTest, Crc32IsTheCommonOne) {
  const auto crc = [](std::string_view s) {
    return woz_crc32({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
  };
  EXPECT_EQ(std::tuple(crc(""), crc("a"), crc("123456789"),
                       crc("The quick brown fox jumps over the lazy dog")),
            std::tuple(0u, 0xE8B7BE43u, 0xCBF43926u, 0x414FA339u));
  // Long runs are folded 64 and 16 bytes at a time: every length round those steps, from
  // several alignments, against the CRC taken a bit at a time.
  std::vector<std::uint8_t> bytes(700);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 3));
  for (std::size_t from = 0; from < 16; from += 5)
    for (std::size_t size = 0; from + size <= bytes.size(); size += size < 200 ? 1 : 97) {
      std::uint32_t bitwise = 0xFFFFFFFF;
      for (std::size_t i = from; i < from + size; ++i)
        for (int k = 0, b = bytes[i]; k < 8; ++k, b >>= 1)
          bitwise = (bitwise >> 1) ^ (((bitwise ^ b) & 1) ? 0xEDB88320u : 0);
      ASSERT_EQ(woz_crc32(std::span(bytes).subspan(from, size)), ~bitwise) << from << " " << size;
    }
}

}  // namespace
}  // namespace agat

// WOZ images: the file written (signature, CRC, INFO, TMAP, META), tracks latched from bit
// streams with slips, changed data fields written back where they lay, version 1 files, and
// damaged files that are refused, or opened with what they lack reported.
#include <gtest/gtest.h>

#include <functional>

#include "core/cp1251_literal.h"
#include "core/image_build.h"
#include "core/image_file.h"
#include "core/image_form.h"
#include "core/nibble_140.h"
#include "core/woz_file.h"
#include "core/woz_track.h"
#include "support/image_files.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

std::vector<TTRACK> random_tracks() {
  std::vector<TTRACK> tracks(35);
  for (std::size_t t = 0; t < tracks.size(); ++t) tracks[t] = testing::random_track(t + 7);
  return tracks;
}

// The data of the first chunk ID (offset and size), or {0, 0}.
std::pair<std::size_t, std::size_t> chunk(const Bytes& f, std::string_view id) {
  for (std::size_t at = 12; at + 8 <= f.size(); at += 8 + get_le32(&f[at + 4]))
    if (std::string_view(reinterpret_cast<const char*>(&f[at]), 4) == id)
      return {at + 8, get_le32(&f[at + 4])};
  return {0, 0};
}

void seal(Bytes& f) {
  put_le32(&f[8], woz_crc32(std::span(f).subspan(12)));
}

// The record of whole track T of a version 2 file.
Bytes record_of(const Bytes& f, int t) {
  const std::size_t e = chunk(f, "TRKS").first + f[chunk(f, "TMAP").first + 4 * t] * 8;
  Bytes rec(WOZ_TRACK_RECORD, 0);
  const std::uint32_t bits = get_le32(&f[e + 4]);
  put_le32(rec.data(), bits);
  std::copy_n(&f[get_le16(&f[e]) * 512], (bits + 7) / 8, rec.begin() + WOZ_BITS_AT);
  return rec;
}

// The same disk as a version 1 file, with CREATOR and an unknown chunk after TRKS.
Bytes as_version1(const Bytes& v2, std::string_view creator) {
  Bytes f{'W', 'O', 'Z', '1', 0xFF, 0x0A, 0x0D, 0x0A, 0, 0, 0, 0};
  const auto put = [&](std::string_view id, const Bytes& data) {
    f.insert(f.end(), id.begin(), id.end());
    f.resize(f.size() + 4);
    put_le32(&f[f.size() - 4], static_cast<std::uint32_t>(data.size()));
    f.insert(f.end(), data.begin(), data.end());
  };
  Bytes info(60, 0), tmap(160, 0xFF), trks(35 * 6656, 0);
  info[0] = info[1] = 1;
  std::fill_n(&info[5], 32, ' ');
  std::copy(creator.begin(), creator.end(), &info[5]);
  for (int t = 0; t < 35; ++t) {
    tmap[4 * t] = static_cast<std::uint8_t>(t);
    const Bytes rec = record_of(v2, t);
    const std::uint32_t bits = get_le32(rec.data());
    std::copy_n(rec.begin() + WOZ_BITS_AT, (bits + 7) / 8, &trks[t * 6656]);
    put_le16(&trks[t * 6656 + 6646], static_cast<std::uint16_t>((bits + 7) / 8));
    put_le16(&trks[t * 6656 + 6648], static_cast<std::uint16_t>(bits));
  }
  put("INFO", info);
  put("TMAP", tmap);
  put("TRKS", trks);
  put("XTRA", {1, 2, 3});
  put("META", {'t', 'i', 't', 'l', 'e', '\t', 'D', 'u', 'm', 'p', '\n'});
  seal(f);
  return f;
}

// The bits of a track latched, then laid again with K(i) zero bits before byte i, from a start
// SHIFT bits on: the slips and long sync bytes of a capture, and a seam inside a field.
Bytes with_slips(const Bytes& rec, std::uint32_t shift, const std::function<int(std::size_t)>& k) {
  LatchedTrack l;
  woz_latch(rec, l);
  std::vector<int> bits;
  for (std::size_t i = 0; i < l.bytes.size(); ++i) {
    bits.insert(bits.end(), k(i), 0);
    for (int b = 7; b >= 0; --b) bits.push_back((l.bytes[i] >> b) & 1);
  }
  Bytes out(WOZ_TRACK_RECORD, 0);
  put_le32(out.data(), static_cast<std::uint32_t>(bits.size()));
  for (std::size_t i = 0; i < bits.size(); ++i)
    if (bits[(i + shift) % bits.size()]) out[WOZ_BITS_AT + i / 8] |= 0x80 >> (i % 8);
  return out;
}

class WozTest : public CoreTest {
 protected:
  std::unique_ptr<TMEDIA> load(const Bytes& file) {
    testing::write_bytes(dir.file("d.woz"), file);
    auto md = testing::load(dir, "d.woz", ITW140);
    warnings = cp1251_to_utf8(FC_WARNINGBUFFER);
    critical = testing::take_critical_text();
    return md;
  }
  TempDir dir;
  std::string warnings, critical;
};

// A new file is a sealed WOZ 2 of this toolset with the standard quarter tracks and the title;
// it opens as its sectors, and a changed sector's field alone is written again.
TEST_F(WozTest, NewFileOpensAsItsSectorsAndSavesOneFieldInPlace) {
  auto tracks = random_tracks();
  const Bytes file = image_file_bytes(ITW140, tracks, "Диск"_w);
  ASSERT_TRUE(is_woz_file(file));
  EXPECT_EQ(file[3], '2');
  EXPECT_EQ(get_le32(&file[8]), woz_crc32(std::span(file).subspan(12)));
  const auto [info, info_size] = chunk(file, "INFO");
  ASSERT_EQ(info_size, 60u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[info + 5]), 32),
            "agat_disk_tools 1.0             ");
  const auto [tmap, tmap_size] = chunk(file, "TMAP");
  for (const auto& [q, want] : {std::pair{0, 0},
                                {1, 0},
                                {2, 0xFF},
                                {3, 1},
                                {4, 1},
                                {136, 34},
                                {137, 34},
                                {138, 0xFF},
                                {159, 0xFF}})
    EXPECT_EQ(file[tmap + q], want) << q;
  const auto [meta, meta_size] = chunk(file, "META");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[meta]), meta_size), "title\tДиск\n");
  EXPECT_EQ(get_le32(record_of(file, 9).data()), WOZ_NEW_TRACK_BITS);

  auto md = load(file);
  ASSERT_EQ(critical + warnings, "");
  TIMAGET type = ITI140;
  EXPECT_TRUE(image_type_of_file(dir.file("d.woz"), file.size(), type) && type == ITW140);
  std::string title;
  EXPECT_TRUE(image_description(dir.file("d.woz"), title) && title == "Диск"_w);
  EXPECT_EQ(md->DESCRIPTION, "Диск"_w);
  for (int t = 0; t < 35; ++t)
    for (int s = 0; s < 16; ++s) ASSERT_EQ(md->MASS[t][s], tracks[t][s]) << t << "/" << s;

  md->MASS[5][3].fill(0x11);
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(testing::take_critical_text(), "");
  const Bytes saved = testing::read_bytes(dir.file("d.woz"));
  EXPECT_EQ(get_le32(&saved[8]), woz_crc32(std::span(saved).subspan(12)));
  const auto [meta_at, meta_length] = chunk(saved, "META");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&saved[meta_at]), meta_length),
            "title\tДиск\n");
  for (int t = 0; t < 35; ++t) EXPECT_EQ(record_of(saved, t) == record_of(file, t), t != 5) << t;
  tracks[5][3].fill(0x11);
  EXPECT_EQ(saved, image_file_bytes(ITW140, tracks, "Диск"_w));
}

// Zero bits between bytes (slips, long sync bytes) and a seam inside a data field are read
// past; a changed field is written over the old bytes' places, every other bit kept.
TEST_F(WozTest, SlipsAreReadAndKeptByAChangedField) {
  auto tracks = random_tracks();
  Bytes file = image_file_bytes(ITW140, tracks);
  std::vector<std::uint8_t> records(35 * WOZ_TRACK_RECORD, 0);
  std::string title;
  ASSERT_TRUE(woz_unpack(file, records, title));
  const struct {
    int track;
    std::uint32_t shift;
    std::function<int(std::size_t)> zeros;
  } kCaptures[] = {
      {0, 0, [](std::size_t i) { return static_cast<int>(i % 3); }},
      {1, 30000, [](std::size_t i) { return i % 7 == 0 ? 5 : 0; }},
      {2, 51000, [](std::size_t i) { return i < 40 ? 2 : static_cast<int>(i % 2); }},
  };
  for (const auto& c : kCaptures) {
    const Bytes rec = with_slips(Bytes(records.begin() + c.track * WOZ_TRACK_RECORD,
                                       records.begin() + (c.track + 1) * WOZ_TRACK_RECORD),
                                 c.shift, c.zeros);
    std::copy(rec.begin(), rec.end(), records.begin() + c.track * WOZ_TRACK_RECORD);
  }
  ASSERT_TRUE(woz_pack(records, {}, "", file));
  auto md = load(file);
  ASSERT_EQ(critical + warnings, "");
  for (const auto& c : kCaptures) {
    SCOPED_TRACE(c.track);
    for (int s = 0; s < 16; ++s) ASSERT_EQ(md->MASS[c.track][s], tracks[c.track][s]) << s;
    md->MASS[c.track][c.track * 5].fill(0xC3);
    tracks[c.track][c.track * 5].fill(0xC3);
  }
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(testing::take_critical_text(), "");
  const Bytes saved = testing::read_bytes(dir.file("d.woz"));
  for (const auto& c : kCaptures) {
    SCOPED_TRACE(c.track);
    const Bytes before = record_of(file, c.track), after = record_of(saved, c.track);
    LatchedTrack a, b;
    woz_latch(before, a);
    woz_latch(after, b);
    EXPECT_EQ(a.starts, b.starts);  // the same framing: every zero bit where it was
    std::size_t changed = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) changed += a.bytes[i] != b.bytes[i];
    EXPECT_GT(changed, 200u);
    EXPECT_LE(changed, NIB140_DATA_BODY);
  }
  md = load(saved);
  for (int t = 0; t < 3; ++t)
    for (int s = 0; s < 16; ++s) EXPECT_EQ(md->MASS[t][s], tracks[t][s]) << t << "/" << s;
}

// A version 1 file opens; saved, it becomes version 2 with its creator, META and other
// chunks kept.
TEST_F(WozTest, Version1IsReadAndSavedAsVersion2KeepingItsChunks) {
  auto tracks = random_tracks();
  const Bytes v1 = as_version1(image_file_bytes(ITW140, tracks), "Capture 0.1");
  auto md = load(v1);
  ASSERT_EQ(critical + warnings, "");
  EXPECT_EQ(md->DESCRIPTION, "Dump");
  for (int t = 0; t < 35; ++t)
    for (int s = 0; s < 16; ++s) ASSERT_EQ(md->MASS[t][s], tracks[t][s]) << t << "/" << s;
  md->MASS[34][15].fill(0);
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(testing::take_critical_text(), "");
  const Bytes v2 = testing::read_bytes(dir.file("d.woz"));
  EXPECT_EQ(v2[3], '2');
  EXPECT_EQ(v2[chunk(v2, "INFO").first], 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&v2[chunk(v2, "INFO").first + 5]), 11),
            "Capture 0.1");
  EXPECT_EQ(chunk(v2, "XTRA").second, 3u);
  EXPECT_EQ(chunk(v2, "META").second, 11u);
  EXPECT_EQ(get_le32(&v2[8]), woz_crc32(std::span(v2).subspan(12)));
  tracks[34][15].fill(0);
  md = load(v2);
  for (int t = 0; t < 35; ++t)
    for (int s = 0; s < 16; ++s) ASSERT_EQ(md->MASS[t][s], tracks[t][s]) << t << "/" << s;
}

// Lengths, offsets and sizes are checked: a file that cannot be a WOZ image is refused; one
// with a wrong CRC or without some tracks opens and says so once, their sectors unreadable.
TEST_F(WozTest, DamagedFilesAreRefusedOrOpenWithWhatTheyLack) {
  const Bytes good = image_file_bytes(ITW140, random_tracks());
  const auto entry = [&](Bytes& f, int t) { return &f[chunk(f, "TRKS").first + 8 * t]; };
  const struct {
    const char* what;
    std::function<void(Bytes&)> damage;
    bool resealed;
    std::string critical, warning;
    int lost_track;
  } kCases[] = {
      {"short", [](Bytes& f) { f.resize(11); }, false, "Чтение образа: файл не образ WOZ\r\n", "",
       -1},
      {"chunk past the end", [&](Bytes& f) { put_le32(&f[chunk(f, "TRKS").first - 4], 1u << 30); },
       true, "Чтение образа: блок TRKS файла WOZ выходит за конец файла\r\n", "", -1},
      {"no TMAP", [&](Bytes& f) { f[chunk(f, "TMAP").first - 5] = 'Q'; }, true,
       "Чтение образа: в файле WOZ нет блока TMAP\r\n", "", -1},
      {"3.5-inch disk", [&](Bytes& f) { f[chunk(f, "INFO").first + 1] = 2; }, true,
       "Чтение образа: образ WOZ снят не с дискеты 5,25 дюйма\r\n", "", -1},
      {"wrong CRC", [](Bytes& f) { f[300] ^= 1; }, false, "",
       "Чтение образа: контрольная сумма файла WOZ не сходится\r\n", -1},
      {"unmapped track", [&](Bytes& f) { f[chunk(f, "TMAP").first + 8] = 0xFF; }, true, "",
       "Чтение образа: в файле WOZ нет дорожек или они не читаются: 2\r\n", 2},
      {"blocks past the end", [&](Bytes& f) { put_le16(entry(f, 3), 0xFFF0); }, true, "",
       "Чтение образа: в файле WOZ нет дорожек или они не читаются: 3\r\n", 3},
      {"more bits than blocks", [&](Bytes& f) { put_le32(entry(f, 4) + 4, 0x7FFFFFFF); }, true, "",
       "Чтение образа: в файле WOZ нет дорожек или они не читаются: 4\r\n", 4},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    Bytes f = good;
    c.damage(f);
    if (c.resealed) seal(f);
    auto md = load(f);
    EXPECT_EQ(critical, c.critical);
    EXPECT_EQ(warnings, c.warning);
    if (!c.critical.empty()) continue;
    for (int t = 0; t < 35; ++t) {
      EXPECT_EQ(md->unwritable[t], t == c.lost_track ? 0xFFFFu : 0u) << t;
      EXPECT_EQ(md->MASS[t][0] == testing::kUnread, t == c.lost_track) << t;
    }
    // A sector of a lost track cannot be written: the file stays as it was.
    if (c.lost_track < 0) continue;
    md->MASS[c.lost_track][0].fill(1);
    FC_SAVEMEDIA(*md, false);
    EXPECT_NE(testing::take_critical_text(), "");
    EXPECT_EQ(testing::read_bytes(dir.file("d.woz")), f);
  }
}

// Flux tracks are kept by nothing this toolset writes: such a file is not saved.
TEST_F(WozTest, FileWithFluxTracksIsNotSaved) {
  Bytes f = image_file_bytes(ITW140, random_tracks());
  f.insert(f.end(), {'F', 'L', 'U', 'X', 0, 0, 0, 0});
  seal(f);
  auto md = load(f);
  ASSERT_EQ(critical, "");
  md->MASS[1][1].fill(1);
  FC_SAVEMEDIA(*md, false);
  EXPECT_EQ(testing::take_critical_text(),
            "Запись образа: в файле WOZ есть дорожки потока (FLUX), их запись не "
            "поддерживается; файл образа не изменён\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("d.woz")), f);
}

}  // namespace
}  // namespace agat

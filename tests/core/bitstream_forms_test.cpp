// The HFE and MFI forms with files laid out by other tools: other gaps, sector orders and
// densities, tracks beyond the disk, damaged cells, older versions, missing tracks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "core/cp1251_literal.h"
#include "core/image_build.h"
#include "core/image_file.h"
#include "core/image_form.h"
#include "core/mfi_file.h"
#include "core/mfm_track.h"
#include "core/track_checksum.h"
#include "support/image_files.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

std::vector<TTRACK> random_disk() {
  std::vector<TTRACK> tracks(MAXTRACK + 1);
  for (std::size_t t = 0; t < tracks.size(); ++t) tracks[t] = testing::random_track(t + 7);
  return tracks;
}

// MFM cells of one side as another tool lays them: first cell in bit 0 of each byte.
struct CellWriter {
  Bytes bits;
  std::size_t at = 0;
  int last = 0;
  void cell(int v) {
    if (bits.size() * 8 <= at) bits.push_back(0);
    if (v) bits[at / 8] |= static_cast<std::uint8_t>(1 << (at % 8));
    ++at;
  }
  void byte(int v) {
    for (int k = 7; k >= 0; --k) {
      const int d = (v >> k) & 1;
      cell(!last && !d);
      cell(d);
      last = d;
    }
  }
  void sync() {
    for (int k = 31; k >= 0; --k) cell((0x89245555u >> k) & 1);
    last = 1;
  }
};

// 6,500 bytes a track, wider gaps than ours and sectors in the order 0, 8, 16, 3, ...; the
// marks start TRACK % 8 cells into a byte.
Bytes other_side(const TTRACK& sectors, int track) {
  CellWriter w;
  for (int i = 0; i < 40; ++i) w.byte(0xAA);
  while (w.at % 8 != static_cast<std::size_t>(track % 8)) w.cell(0);
  for (int i = 0; i < 21; ++i) {
    const int s = i * 8 % 21;
    w.sync();
    for (const int b : {0x95, 0x6A, 0xFE, track, s, 0x5A}) w.byte(b);
    for (int g = 0; g < 9; ++g) w.byte(0xAA);
    w.sync();
    w.byte(0x6A), w.byte(0x95);
    for (const std::uint8_t b : sectors[s]) w.byte(b);
    w.byte(CALCCRC(sectors[s])), w.byte(0x5A);
    for (int g = 0; g < 30; ++g) w.byte(0xAA);
  }
  while (w.at < 6500 * 16) w.byte(0xAA);
  return w.bits;
}

// An HFE file of CYLINDERS cylinders: the disk's tracks, then cylinders of noise.
Bytes other_hfe(const std::vector<TTRACK>& disk, int cylinders) {
  Bytes file(1024, 0xFF);
  std::memcpy(file.data(), "HXCPICFE", 8);
  const std::uint8_t head[] = {0, static_cast<std::uint8_t>(cylinders), 2, 0, 250, 0, 44, 1, 7, 1, 1, 0};
  std::memcpy(&file[8], head, sizeof head);
  for (int c = 0; c < cylinders; ++c) {
    Bytes sides[2];
    for (int s = 0; s < 2; ++s)
      sides[s] = c < 80 ? other_side(disk[2 * c + s], 2 * c + s) : Bytes(13000, c + s);
    put_le16(&file[512 + 4 * c], static_cast<std::uint16_t>(file.size() / 512));
    put_le16(&file[512 + 4 * c + 2], 26000);
    for (std::size_t i = 0; i < 13000; i += 256)
      for (int s = 0; s < 2; ++s) {
        Bytes chunk(sides[s].begin() + i, sides[s].begin() + std::min<std::size_t>(i + 256, 13000));
        chunk.resize(256, 0);
        file.insert(file.end(), chunk.begin(), chunk.end());
      }
  }
  return file;
}

class BitstreamForms : public CoreTest {};

// Read whatever the gaps and order; a damaged sector reads $BD and cannot be written; a save
// of a changed sector changes only the cells of its data field, in the other cylinder's
// blocks nothing, and keeps the cylinders beyond the disk.
TEST_F(BitstreamForms, HfeOfAnotherToolSavesOnlyTheChangedField) {
  TempDir dir;
  auto disk = random_disk();
  Bytes file = other_hfe(disk, 82);
  // Cylinder 1, side 1 (track 3): one data cell of the 30th byte of sector 5 turned over.
  const std::size_t cyl1 = std::size_t{get_le16(&file[516])} * 512;
  // Sector 5 is the 20th on the track; its data start after the sync, address field, gap,
  // sync and prologue.
  const std::size_t head = 32 + 6 * 16 + 9 * 16 + 32 + 2 * 16, sector = head + 258 * 16 + 30 * 16;
  const std::size_t flip = 643 + 19 * sector + head + 30 * 16 + 1;  // a data cell
  file[cyl1 + (flip / 8 / 256) * 512 + 256 + flip / 8 % 256] ^= static_cast<std::uint8_t>(1 << (flip % 8));
  testing::write_bytes(dir.file("o.hfe"), file);

  auto md = testing::load(dir, "o.hfe", ITH800);
  ASSERT_EQ(testing::take_critical(), "");
  for (int t = 0; t <= MAXTRACK; ++t)
    for (int s = 0; s <= MAXSECTOR; ++s)
      if (t != 3 || s != 5) {
        ASSERT_EQ(md->MASS[t][s], disk[t][s]) << t << "/" << s;
      }
  EXPECT_EQ(md->MASS[3][5], testing::kUnread);
  EXPECT_EQ(md->unwritable[3], 1u << 5);

  md->MASS[7][2].fill(0x11);
  md->MASS[3][6].fill(0x22);
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(testing::take_critical(), "");
  const Bytes saved = testing::read_bytes(dir.file("o.hfe"));
  ASSERT_EQ(saved.size(), file.size());
  const std::size_t cyl3 = std::size_t{get_le16(&file[512 + 12])} * 512;
  std::size_t changed = 0;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (saved[i] == file[i]) continue;
    ++changed;
    const bool in_cyl1_side1 = i >= cyl1 && i < cyl3 && (i - cyl1) % 512 >= 256;
    const bool in_cyl3_side1 = i >= cyl3 && i < cyl3 + 26112 && (i - cyl3) % 512 >= 256;
    ASSERT_TRUE(in_cyl1_side1 || in_cyl3_side1) << i;
  }
  EXPECT_LE(changed, 2u * 258 * 2 + 4);
  auto again = testing::load(dir, "o.hfe", ITH800);
  disk[7][2].fill(0x11);
  disk[3][6].fill(0x22);
  EXPECT_EQ(again->MASS[7][2], disk[7][2]);
  EXPECT_EQ(again->MASS[3][6], disk[3][6]);
  EXPECT_EQ(again->MASS[3][5], testing::kUnread);
  EXPECT_EQ(again->MASS[3][4], disk[3][4]);
}

// What a file cannot be read as, and the tracks it lacks, each told once.
TEST_F(BitstreamForms, RefusedFilesAndMissingTracksAreTold) {
  TempDir dir;
  const auto disk = random_disk();
  const Bytes hfe = image_file_bytes(ITH800, disk);
  const Bytes mfi = image_file_bytes(ITM800, disk);
  const Bytes mfi140 = image_file_bytes(ITM140, std::vector<TTRACK>(35));
  const auto cut_track = [](Bytes f, std::size_t entry) {  // a track's table entry zeroed
    std::fill_n(f.begin() + entry, 2, 0);
    return f;
  };
  Bytes v3 = hfe, small = hfe, bad_zlib = mfi;
  std::memcpy(v3.data(), "HXCHFEV3", 8);
  small[9] = 40, small[10] = 1;
  bad_zlib[get_le32(&mfi[32 + 16 * 5])] ^= 0xFF;
  const struct {
    TIMAGET form;
    Bytes file;
    const char* critical;
    const char* warning;
  } cases[] = {
      {ITH800, v3, "Чтение образа: образ HFE версии 3 не поддерживается\r\n", ""},
      {ITH800, small,
       "Чтение образа: образ HFE не диска 800 К (цилиндров 40, сторон 1); образы 140 К в форме "
       "HFE не поддерживаются\r\n",
       ""},
      {ITH800, cut_track(hfe, 512 + 4 * 9 + 2), "",
       "Чтение образа: в файле HFE нет дорожки 18 и ещё 1, их секторы не читаются\r\n"},
      {ITM800, bad_zlib, "", "Чтение образа: в файле MFI нет дорожки 5, их секторы не читаются\r\n"},
      {ITM800, Bytes(mfi.begin(), mfi.begin() + 32), "Чтение образа: в файле MFI нет ни одной дорожки диска 800 К\r\n", ""},
      {ITM140, Bytes(mfi140.begin(), mfi140.begin() + 32), "Чтение образа: в файле MFI нет ни одной дорожки диска 140 К\r\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.critical + std::string(c.warning));
    testing::write_bytes(dir.file("x"), c.file);
    auto md = testing::load(dir, "x", c.form);
    EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER), c.warning);
    EXPECT_EQ(testing::take_critical_text(), c.critical);
  }
}

Bytes zlib_pack(const std::vector<std::uint32_t>& entries) {
  Bytes raw(entries.size() * 4), out(compressBound(raw.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) put_le32(&raw[4 * i], entries[i]);
  uLongf size = out.size();
  compress(out.data(), &size, raw.data(), raw.size());
  out.resize(size);
  return out;
}

// Version 1 (levels whose times fill the turn exactly) and version 2 with quarter tracks
// read as the flux changes they were made from.
TEST_F(BitstreamForms, MfiOfVersionOneAndOfQuarterTracksRead) {
  TempDir dir;
  const auto disk = random_disk();
  Bytes v1(32 + 16 * 160, 0), quarter(32 + 16 * 160 * 4, 0);
  std::memcpy(v1.data(), "MESSFLOPPYIMAGE\0\x50\0\0\0\2", 21);
  std::memcpy(quarter.data(), "MAMEFLOPPYIMAGE\0\x50\0\0\x80\2", 21);
  Bytes record(MFI800_RECORD_SIZE);
  for (int t = 0; t < 160; ++t) {
    mfm_encode_track(record, static_cast<std::uint8_t>(t), disk[t]);
    std::vector<std::uint32_t> flux = mfi_entries(record), levels;
    std::uint32_t level = 0, used = 0;
    for (const std::uint32_t f : flux) {  // a zone up to each change, then the other level
      levels.push_back(level << 28 | f);
      used += f, level ^= 1;
    }
    levels.push_back(level << 28 | (200'000'000 - used));
    const auto put = [](Bytes& file, std::size_t entry, const Bytes& packed, std::size_t size) {
      put_le32(&file[entry], static_cast<std::uint32_t>(file.size()));
      put_le32(&file[entry + 4], static_cast<std::uint32_t>(packed.size()));
      put_le32(&file[entry + 8], static_cast<std::uint32_t>(size));
      file.insert(file.end(), packed.begin(), packed.end());
    };
    put(v1, 32 + 16 * t, zlib_pack(levels), levels.size() * 4);
    put(quarter, 32 + 16 * ((t / 2 * 4) * 2 + t % 2), zlib_pack(flux), flux.size() * 4);
  }
  for (const Bytes* file : {&v1, &quarter}) {
    testing::write_bytes(dir.file("m.mfi"), *file);
    auto md = testing::load(dir, "m.mfi", ITM800);
    ASSERT_EQ(testing::take_critical(), "");
    for (int t = 0; t <= MAXTRACK; ++t)
      for (int s = 0; s <= MAXSECTOR; ++s) ASSERT_EQ(md->MASS[t][s], disk[t][s]) << t << "/" << s;
  }
}

// A 140 KB disk's MFI (one head) is told from an 800 KB disk's by its heads; tracks of another
// writer's uneven timing read, and a save keeps an unchanged one's packed entries as they
// were while the changed track is made anew and reads back.
TEST_F(BitstreamForms, MfiOf140KbDiskKeepsUnchangedTracksAndRewritesChangedOnes) {
  TempDir dir;
  std::vector<TTRACK> disk(35);
  for (std::size_t t = 0; t < disk.size(); ++t) disk[t] = testing::random_track(t + 40);
  Bytes file = image_file_bytes(ITM140, disk);
  const auto packed_of = [](const Bytes& f, int t) {
    const std::uint8_t* e = &f[32 + 16 * t];
    return Bytes(f.begin() + get_le32(e), f.begin() + get_le32(e) + get_le32(e + 4));
  };
  for (const int t : {0, 4}) {  // each change up to 8% of a cell early or late
    const Bytes packed = packed_of(file, t);
    Bytes raw(get_le32(&file[32 + 16 * t + 8]));
    uLongf size = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &size, packed.data(), packed.size()), Z_OK);
    std::vector<std::uint32_t> flux(raw.size() / 4);
    for (std::size_t i = 0; i < flux.size(); ++i)
      flux[i] = get_le32(&raw[4 * i]) + (i % 2 == 0 ? 300 : -300);
    const Bytes jittered = zlib_pack(flux);
    put_le32(&file[32 + 16 * t], static_cast<std::uint32_t>(file.size()));
    put_le32(&file[32 + 16 * t + 4], static_cast<std::uint32_t>(jittered.size()));
    file.insert(file.end(), jittered.begin(), jittered.end());
  }
  testing::write_bytes(dir.file("d.mfi"), file);
  Bytes two_heads = file;
  two_heads[20] = 2;
  testing::write_bytes(dir.file("two.mfi"), two_heads);
  TIMAGET one = ITI140, two = ITI140;
  EXPECT_TRUE(image_type_of_file(dir.file("d.mfi"), file.size(), one));
  EXPECT_TRUE(image_type_of_file(dir.file("two.mfi"), file.size(), two));
  EXPECT_EQ(std::pair(one, two), std::pair(ITM140, ITM800));

  auto md = testing::load(dir, "d.mfi", ITM140);
  ASSERT_EQ(testing::take_critical(), "");
  for (int t = 0; t < 35; ++t)
    for (int s = 0; s < 16; ++s) ASSERT_EQ(md->MASS[t][s], disk[t][s]) << t << "/" << s;
  md->MASS[4][9].fill(0x5A);
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(testing::take_critical(), "");
  const Bytes saved = testing::read_bytes(dir.file("d.mfi"));
  EXPECT_EQ(packed_of(saved, 0), packed_of(file, 0));
  EXPECT_NE(packed_of(saved, 4), packed_of(file, 4));
  disk[4][9].fill(0x5A);
  auto again = testing::load(dir, "d.mfi", ITM140);
  for (int t = 0; t < 35; ++t)
    for (int s = 0; s < 16; ++s) ASSERT_EQ(again->MASS[t][s], disk[t][s]) << t << "/" << s;
}

}  // namespace
}  // namespace agat

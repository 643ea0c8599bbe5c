#include "core/image_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <random>

#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "support/aim_track.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::TempDir;

void fill_random(TMEDIA& md, std::uint32_t seed) {
  std::mt19937 rng(seed);
  for (int t = 0; t <= md.NUMTR; ++t)
    for (int s = 0; s <= md.NUMSC; ++s)
      for (auto& b : md.MASS[t][s]) b = static_cast<std::uint8_t>(rng());
}

bool same_sectors(const TMEDIA& a, const TMEDIA& b) {
  for (int t = 0; t <= a.NUMTR; ++t)
    for (int s = 0; s <= a.NUMSC; ++s)
      if (a.MASS[t][s] != b.MASS[t][s]) return false;
  return true;
}

std::vector<std::uint8_t> random_bytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

// An existing image file of any of the nine forms, with random sector contents (and a
// random trailer where the form has one).
std::vector<std::uint8_t> make_image_file(const std::string& path, TIMAGET type) {
  std::vector<std::uint8_t> file;
  if (type == ITA800) {
    for (int t = 0; t <= 159; ++t) {
      TTRACK track;
      std::mt19937 rng(t);
      for (auto& s : track)
        for (auto& b : s) b = static_cast<std::uint8_t>(rng());
      auto record = testing::aim_record(testing::aim_cells(track, static_cast<std::uint8_t>(t)));
      file.insert(file.end(), record.begin(), record.end());
    }
  } else if (type == ITN140 || type == ITN800) {
    TempDir scratch;
    auto md = testing::create_image(scratch.host_path(), "n", type);
    fill_random(*md, 7);
    FC_SAVEMEDIA(*md, false);
    file = testing::read_bytes(scratch.file("n"));
  } else {
    file = random_bytes(IMAGEDESC[type].FULLSIZE, 11);
  }
  testing::write_bytes(path, file);
  return file;
}

class ImageFormTest : public CoreTest, public ::testing::WithParamInterface<TIMAGET> {
 protected:
  TempDir dir;
  std::string path = dir.file("disk.img");
  std::unique_ptr<TMEDIA> open_image() {
    auto md = testing::image_medium(dir.host_path(), "disk.img", GetParam());
    FC_LOADMEDIA(*md);
    EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
    return md;
  }
};

TEST_P(ImageFormTest, SectorsSurviveASaveAndTheRestOfTheFileStays) {
  const TIMAGET type = GetParam();
  const auto original = make_image_file(path, type);
  const std::size_t data = image_data_size(type);
  ASSERT_LE(data, original.size());

  auto md = open_image();
  const bool plain = type != ITA800 && type != ITN140 && type != ITN800;
  if (plain) {
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 256, md->MASS[0][0].begin()));
  }
  // Change a few sectors across the disk, including the last one.
  md->MASS[0][0].fill(0);
  md->MASS[17][3].fill(0xFF);
  md->MASS[md->NUMTR][md->NUMSC][7] ^= 0x5A;
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");

  const auto saved = testing::read_bytes(path);
  ASSERT_EQ(saved.size(), original.size());
  EXPECT_TRUE(std::equal(original.begin() + data, original.end(), saved.begin() + data))
      << "the trailer changed";
  auto again = open_image();
  EXPECT_TRUE(same_sectors(*md, *again));
  if (type == ITA800) {
    // Only data, checksum and closing cells change in place; marks, headers and gaps stay.
    std::size_t changed_cells = 0;
    for (std::size_t i = 0; i < data; i += 2)
      if (saved[i] != original[i] || saved[i + 1] != original[i + 1]) ++changed_cells;
    EXPECT_LE(changed_cells, 3u * 258u);
  }
}

INSTANTIATE_TEST_SUITE_P(AllNineForms, ImageFormTest,
                         ::testing::Values(ITI140, IT4I140, IT128I140, ITN140, ITI800, IT4I800,
                                           IT128I800, ITN800, ITA800),
                         testing::ImageTypeName());

TEST_F(CoreTest, PlainLayoutIsTrackAfterTrack) {
  TempDir dir;
  auto bytes = random_bytes(860164, 3);
  testing::write_bytes(dir.file("d"), bytes);
  auto md = testing::image_medium(dir.host_path(), "d", IT4I800);
  FC_LOADMEDIA(*md);
  const std::size_t offset = (100 * 21 + 20) * 256;
  EXPECT_TRUE(
      std::equal(md->MASS[100][20].begin(), md->MASS[100][20].end(), bytes.begin() + offset));
}

TEST_F(CoreTest, LoadFailuresKeepTheSectors) {
  TempDir dir;
  auto md = testing::image_medium(dir.host_path(), "missing.dsk", ITI140);
  md->MASS[3][3].fill(0x42);
  FC_LOADMEDIA(*md);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()), "Чтение образа: ошибка открытия файла\r\n");
  EXPECT_EQ(md->MASS[3][3][0], 0x42);

  testing::write_bytes(dir.file("short.dsk"),
                       random_bytes(143360 - 1, 1));  // shortened since listed
  md->IMAGENAME = "short.dsk";
  FC_LOADMEDIA(*md);
  EXPECT_NE(testing::take_critical(), "");
  EXPECT_EQ(md->MASS[3][3][0], 0x42);

  std::filesystem::create_directory(dir.file("dir.dsk"));
  md->IMAGENAME = "dir.dsk";
  FC_LOADMEDIA(*md);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()), "Чтение образа: ошибка открытия файла\r\n");

  md->MEDIAT = MDHOSTFS;  // a host medium has no image: nothing happens
  FC_LOADMEDIA(*md);
  FC_SAVEMEDIA(*md, true);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
}

TEST_F(CoreTest, SaveOverAMissingFileCreatesNothing) {
  TempDir dir;
  auto md = testing::image_medium(dir.host_path(), "gone.dsk", ITI140);
  FC_SAVEMEDIA(*md, false);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()), "Запись образа: ошибка открытия файла\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("gone.dsk")));
}

// A full disk, simulated by a file-size limit: the write fails part-way.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

 private:
  rlimit old_{};
};

TEST_F(CoreTest, AFailedSaveLeavesTheOldFileByteForByte) {
  TempDir dir;
  for (TIMAGET type : {IT128I140, ITN800}) {
    const auto original = make_image_file(dir.file("full.img"), type);
    auto md = testing::image_medium(dir.host_path(), "full.img", type);
    FC_LOADMEDIA(*md);
    md->MASS[1][1].fill(0);
    {
      FileSizeLimit limit(50000);
      FC_SAVEMEDIA(*md, false);
    }
    EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
              "Запись образа: ошибка записи файла, файл образа не изменён\r\n");
    EXPECT_EQ(testing::read_bytes(dir.file("full.img")), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "a temporary file was left behind";
  }
  auto md = testing::image_medium(dir.host_path(), "new.dsk", ITI140);
  {
    FileSizeLimit limit(50000);
    FC_INITMEDIA(*md);
  }
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()), "Запись образа: ошибка записи файла\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("new.dsk")));
}

TEST_F(CoreTest, SaveKeepsPermissionsAndLinks) {
  TempDir dir;
  make_image_file(dir.file("real.dsk"), ITI140);
  ::chmod(dir.file("real.dsk").c_str(), 0640);
  std::filesystem::create_symlink("real.dsk", dir.file("link.dsk"));
  auto md = testing::image_medium(dir.host_path(), "link.dsk", ITI140);
  FC_LOADMEDIA(*md);
  md->MASS[2][2].fill(0x33);
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.dsk")));
  struct stat st {};
  ::stat(dir.file("real.dsk").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(testing::read_bytes(dir.file("real.dsk"))[(2 * 16 + 2) * 256], 0x33);
}

std::vector<int> progress_calls;
void record_progress(std::uint8_t p) {
  progress_calls.push_back(p);
}

TEST_F(CoreTest, ProgressIsReportedAfterEveryTrack) {
  TempDir dir;
  make_image_file(dir.file("a.dsk"), ITI140);
  make_image_file(dir.file("b.dsk"), ITI800);
  PROGRESSPROC = record_progress;
  auto md = testing::image_medium(dir.host_path(), "a.dsk", ITI140);
  FC_LOADMEDIA(*md);
  ASSERT_EQ(progress_calls.size(), 35u);
  EXPECT_EQ(std::vector<int>(progress_calls.begin(), progress_calls.begin() + 10),
            (std::vector<int>{0, 3, 6, 9, 12, 15, 18, 21, 24, 26}));
  EXPECT_EQ(progress_calls[33], 97);
  EXPECT_EQ(progress_calls[34], 100);
  progress_calls.clear();
  auto big = testing::image_medium(dir.host_path(), "b.dsk", ITI800);
  FC_LOADMEDIA(*big);
  FC_SAVEMEDIA(*big, false);
  PROGRESSPROC = nullptr;
  ASSERT_EQ(progress_calls.size(), 320u);
  EXPECT_EQ(progress_calls[159], 100);
  EXPECT_EQ(progress_calls[80], 50);
}

TEST_F(CoreTest, UndecodableNibbleSectorsLoadAsUnread) {
  TempDir dir;
  make_image_file(dir.file("n.nib"), ITN140);
  auto bytes = testing::read_bytes(dir.file("n.nib"));
  // Track 5's record: the first data field (logical sector 15) starts at 128 + 14 + 5;
  // one changed disk byte in its body breaks the checksum.
  const std::size_t at = 5 * 6656 + 128 + 14 + 5 + 3 + 100;
  bytes[at] = bytes[at] == 0x96 ? 0x97 : 0x96;
  testing::write_bytes(dir.file("n.nib"), bytes);
  auto md = testing::image_medium(dir.host_path(), "n.nib", ITN140);
  FC_LOADMEDIA(*md);
  EXPECT_FALSE(FC_IS_SECOK(md->MASS[5][15]));
  EXPECT_TRUE(FC_IS_SECOK(md->MASS[5][14]));
  EXPECT_TRUE(FC_IS_SECOK(md->MASS[6][15]));
}

}  // namespace
}  // namespace agat

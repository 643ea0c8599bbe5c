#include "content/media_compare.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "content/viewer_recorder.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::image_medium;
using testing::readable;
using testing::TempDir;

using Bytes = std::vector<std::uint8_t>;

// A plain image of random sectors: 140 KB or 800 KB, with `trailer` bytes after them.
Bytes random_plain(TIMAGET geometry, std::size_t trailer = 0, std::uint32_t seed = 1) {
  Bytes image((IMAGEDESC[geometry].NTR + 1) * (IMAGEDESC[geometry].NSC + 1) * 256 + trailer);
  std::mt19937 rng(seed);
  for (auto& b : image) b = static_cast<std::uint8_t>(rng());
  return image;
}

std::uint8_t* sector(Bytes& image, int sectors_per_track, int t, int s) {
  return image.data() + (t * sectors_per_track + s) * 256;
}

void fill_sector(Bytes& image, int t, int s, std::uint8_t value) {
  std::fill_n(sector(image, 16, t, s), 256, value);
}

class MediaCompare : public CoreTest {
 protected:
  TempDir dir;
  testing::ViewRecorder viewer;

  // Compares images `a` and `b` of the given types in `dir`; the report shown, or ""
  // when nothing was shown.
  std::string compare(const std::string& a, TIMAGET type_a, const std::string& b, TIMAGET type_b) {
    auto md1 = image_medium(dir.host_path(), a, type_a);
    auto md2 = image_medium(dir.host_path(), b, type_b);
    FC_CMPMEDIA(*md1, *md2);
    if (viewer.shown.empty()) return "";
    EXPECT_EQ(viewer.shown.size(), 1u);
    return readable(viewer.shown.back());
  }

  // The two title lines of a report on images `a` and `b` of `dir`.
  std::string titles(const std::string& a, const std::string& b) const {
    return "{0F}Сравнение образа " + dir.host_path() + a + "\n{0F}с образом        " +
           dir.host_path() + b + ":\n{0F}";
  }
};

TEST_F(MediaCompare, EqualImagesSayNoDifferenceWhateverTheirForm) {
  const Bytes image = random_plain(ITI140);
  testing::write_bytes(dir.file("a.dsk"), image);
  testing::write_bytes(dir.file("b.dsk"), image);
  Bytes with_trailer = image;
  with_trailer.resize(IMAGEDESC[IT128I140].FULLSIZE, 0x55);
  testing::write_bytes(dir.file("c.dsk"), with_trailer);

  EXPECT_EQ(compare("a.dsk", ITI140, "b.dsk", ITI140),
            titles("a.dsk", "b.dsk") + "Отличий между образами не найдено");
  viewer.shown.clear();
  EXPECT_EQ(compare("a.dsk", ITI140, "c.dsk", IT128I140),
            titles("a.dsk", "c.dsk") + "Отличий между образами не найдено");
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
}

TEST_F(MediaCompare, BothImagesAreReadAgainFromTheirFiles) {
  const Bytes image = random_plain(ITI140);
  testing::write_bytes(dir.file("a.dsk"), image);
  testing::write_bytes(dir.file("b.dsk"), image);
  auto md1 = image_medium(dir.host_path(), "a.dsk", ITI140);
  auto md2 = image_medium(dir.host_path(), "b.dsk", ITI140);
  // Changes in memory that were never saved do not count.
  md1->MASS[3][3].fill(1);
  md2->MASS[4][4].fill(2);
  FC_CMPMEDIA(*md1, *md2);
  ASSERT_EQ(viewer.shown.size(), 1u);
  EXPECT_EQ(readable(viewer.shown[0]),
            titles("a.dsk", "b.dsk") + "Отличий между образами не найдено");
  EXPECT_EQ(md1->MASS[3][3][0], image[(3 * 16 + 3) * 256]);
}

TEST_F(MediaCompare, EachDifferingSectorListsItsOffsets) {
  const Bytes a = random_plain(ITI140);
  Bytes b = a;
  sector(b, 16, 0, 0)[0] ^= 1;  // the first sector of the disk...
  sector(b, 16, 17, 1)[0] ^= 1;
  sector(b, 16, 17, 1)[1] ^= 0x80;
  sector(b, 16, 17, 1)[0x5F] ^= 0xFF;
  sector(b, 16, 34, 15)[0xFF] ^= 2;  // ...and the last
  testing::write_bytes(dir.file("a.dsk"), a);
  testing::write_bytes(dir.file("b.dsk"), b);

  EXPECT_EQ(compare("a.dsk", ITI140, "b.dsk", ITI140), titles("a.dsk", "b.dsk") +
                                                           "{02}  0/ 0- {06} 00\n{06}"
                                                           "{02} 17/ 1- {06} 00 01 5F\n{06}"
                                                           "{02} 34/15- {06} FF\n{06}");
}

TEST_F(MediaCompare, ASectorDifferingEverywhereIsOneLine) {
  const Bytes a = random_plain(ITI140);
  Bytes b = a;
  for (int o = 0; o < 256; ++o) sector(b, 16, 3, 7)[o] ^= 0x5A;
  testing::write_bytes(dir.file("a.dsk"), a);
  testing::write_bytes(dir.file("b.dsk"), b);

  std::string offsets;
  for (int o = 0; o < 256; ++o) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", o);
    offsets += hex;
  }
  EXPECT_EQ(compare("a.dsk", ITI140, "b.dsk", ITI140),
            titles("a.dsk", "b.dsk") + "{02}  3/ 7- {06}" + offsets + "\n{06}");
}

TEST_F(MediaCompare, LargeImagesAreComparedToTheirLastSector) {
  const Bytes a = random_plain(ITI800);
  Bytes b = a;
  sector(b, 21, 159, 20)[0x80] ^= 1;
  sector(b, 21, 100, 16)[7] ^= 1;
  b.insert(b.end(), {1, 2, 3, 4});  // the 4-byte trailer form
  testing::write_bytes(dir.file("a.dsk"), a);
  testing::write_bytes(dir.file("b.dsk"), b);

  EXPECT_EQ(compare("a.dsk", ITI800, "b.dsk", IT4I800),
            titles("a.dsk", "b.dsk") + "{02}100/16- {06} 07\n{06}{02}159/20- {06} 80\n{06}");
}

TEST_F(MediaCompare, UnreadableSectorsNameTheirImageButAreNoDifference) {
  Bytes plain = random_plain(ITI140);
  fill_sector(plain, 9, 9, UNREAD_FILL);  // unreadable in both: equal, no line
  // The nibble twin: the same sectors, but 5/3 could not be read.
  auto twin = image_medium(dir.host_path(), "twin.nib", ITN140);
  for (int t = 0; t < 35; ++t)
    for (int s = 0; s < 16; ++s) std::copy_n(sector(plain, 16, t, s), 256, twin->MASS[t][s].data());
  twin->MASS[5][3].fill(UNREAD_FILL);
  FC_SAVEMEDIA(*twin, true);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  // The plain image lost 20/2, and 11/4 holds the label some copiers write instead.
  fill_sector(plain, 20, 2, UNREAD_FILL);
  std::copy(BADLABEL.begin(), BADLABEL.end(), sector(plain, 16, 11, 4));
  testing::write_bytes(dir.file("plain.dsk"), plain);

  EXPECT_EQ(compare("plain.dsk", ITI140, "twin.nib", ITN140),
            titles("plain.dsk", "twin.nib") +
                "{01}  5/ 3- ошибка чтения образа twin.nib\n{01}"
                " 11/ 4- ошибка чтения образа plain.dsk\n{01}"
                " 20/ 2- ошибка чтения образа plain.dsk\n{01}"
                "Отличий между образами не найдено");
}

TEST_F(MediaCompare, AnIndependentNibbleImageEqualsItsSectorImage) {
  const std::filesystem::path data(AGAT_TESTDATA_DIR);
  if (!std::filesystem::exists(data / "dos33/files.dsk") ||
      !std::filesystem::exists(data / "nib/files.nib"))
    GTEST_SKIP() << "test data missing: dos33/files.dsk, nib/files.nib in " AGAT_TESTDATA_DIR;
  auto md1 = image_medium((data / "dos33").string() + "/", "files.dsk", ITI140);
  auto md2 = image_medium((data / "nib").string() + "/", "files.nib", ITN140);
  FC_CMPMEDIA(*md1, *md2);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  ASSERT_EQ(viewer.shown.size(), 1u);
  const std::string report = readable(viewer.shown[0]);
  EXPECT_TRUE(report.ends_with("\n{0F}Отличий между образами не найдено")) << report;
}

TEST_F(MediaCompare, PathsAreShownInTheReportsCodePage) {
  const std::filesystem::path sub = dir.path() / "диски";
  std::filesystem::create_directory(sub);
  const Bytes image = random_plain(ITI140);
  testing::write_bytes((sub / "образ.dsk").string(), image);
  testing::write_bytes((sub / "日本.dsk").string(), image);
  auto md1 = image_medium(sub.string() + "/", "образ.dsk", ITI140);
  auto md2 = image_medium(sub.string() + "/", "日本.dsk", ITI140);
  FC_CMPMEDIA(*md1, *md2);
  ASSERT_EQ(viewer.shown.size(), 1u);
  // The buffer is Windows-1251; a character the code page lacks shows as "?".
  EXPECT_EQ(readable(viewer.shown[0]), "{0F}Сравнение образа " + sub.string() +
                                           "/образ.dsk\n{0F}с образом        " + sub.string() +
                                           "/??.dsk:\n{0F}Отличий между образами не найдено");
}

TEST_F(MediaCompare, DifferentGeometriesAreRefused) {
  testing::write_bytes(dir.file("small.dsk"), random_plain(ITI140));
  testing::write_bytes(dir.file("large.dsk"), random_plain(ITI800));
  EXPECT_EQ(compare("small.dsk", ITI140, "large.dsk", ITI800), "");
  EXPECT_EQ(cp1251_to_utf8(FC_CRITICALERRORBUFFER),
            "Сравнение образов: невозможно сравнить диски с разной геометрией\r\n");
}

TEST_F(MediaCompare, AHostDirectoryIsNotAnImage) {
  testing::write_bytes(dir.file("a.dsk"), random_plain(ITI140));
  for (bool host_first : {true, false}) {
    SCOPED_TRACE(host_first);
    auto image = image_medium(dir.host_path(), "a.dsk", ITI140);
    auto host = testing::new_medium();
    host->MEDIAT = MDHOSTFS;
    host->HOSTPATH = dir.host_path();
    if (host_first) {
      FC_CMPMEDIA(*host, *image);
    } else {
      FC_CMPMEDIA(*image, *host);
    }
    EXPECT_TRUE(viewer.shown.empty());
    EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
              "Сравнение образов: это не образ диска\r\n");
  }
}

TEST_F(MediaCompare, AFailedLoadOrAPendingErrorStopsIt) {
  testing::write_bytes(dir.file("a.dsk"), random_plain(ITI140));
  EXPECT_EQ(compare("a.dsk", ITI140, "missing.dsk", ITI140), "");
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()), "Чтение образа: ошибка открытия файла\r\n");

  // A message left by an earlier step stops the comparison before it starts.
  FC_CRITICALERRORBUFFER = "earlier\r\n";
  EXPECT_EQ(compare("a.dsk", ITI140, "a.dsk", ITI140), "");
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "earlier\r\n");
}

}  // namespace
}  // namespace agat

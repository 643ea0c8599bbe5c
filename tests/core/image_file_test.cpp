#include "core/image_file.h"

#include <gtest/gtest.h>

#include <set>

#include "core/cp1251_literal.h"
#include "core/emulator_header.h"
#include "core/host_errors.h"
#include "core/image_container.h"
#include "support/aim_track.h"
#include "support/host_faults.h"
#include "support/image_files.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::load;
using testing::make_image_file;
using testing::TempDir;

class TrackFormTest : public CoreTest, public ::testing::WithParamInterface<TIMAGET> {};

// Unchanged tracks are written back byte for byte; in a changed track with a sector that
// did not decode, only the changed sectors' data fields. A changed sector that did not
// decode is refused, the file unchanged. The AIM writer does not follow an end cell
// inside a data field round into the track's first sectors.
TEST_P(TrackFormTest, ASaveKeepsWhatTheReaderCouldNotDecode) {
  TempDir dir;
  const TIMAGET type = GetParam();
  const std::string path = dir.file("disk.img");
  const auto good = make_image_file(path, type);
  const std::size_t rec = image_data_size(type) / (IMAGEDESC[type].NTR + 1);
  // A byte inside the data of sector 3 on track 5.
  const std::size_t at = 5 * rec + (type == ITN140   ? 128 + 408 * 12 + 22 + 100
                                    : type == ITN800 ? 3 * 282 + 24 + 100
                                                     : 2 * (288 * 3 + 30 + 17));
  auto damaged = good;
  damaged[at] = type == ITN140 ? (good[at] == 0x96 ? 0x97 : 0x96) : good[at] ^ 1;
  // AIM: an end cell inside the data of sector 20 on track 6.
  if (type == ITA800) put_le16(&damaged[6 * rec + 2 * (288 * 20 + 30 + 100)], 0x200);
  testing::write_bytes(path, damaged);
  auto md = load(dir, "disk.img", type);
  ASSERT_EQ(md->MASS[5][3], testing::kUnread);
  const auto save = [&](int t, int s, std::uint8_t v) {
    md->MASS[t][s].fill(v);
    FC_SAVEMEDIA(*md, false);
    return testing::take_critical_text();
  };
  const auto refused = [](const std::string& where) {
    return "Запись образа: сектор " + where +
           " не читается в файле образа, его нельзя записать; файл образа не изменён\r\n";
  };
  const auto changed_tracks = [&](const std::vector<std::uint8_t>& before) {
    const auto now = testing::read_bytes(path);
    std::set<std::size_t> tracks;
    for (std::size_t i = 0; i < now.size(); ++i)
      if (now[i] != before[i]) tracks.insert(i / rec);
    return tracks;
  };

  EXPECT_EQ(save(9, 0, 0x99), "");
  EXPECT_EQ(changed_tracks(damaged), std::set<std::size_t>{9});
  EXPECT_EQ(save(5, 7, 0x77), "");
  auto before = testing::read_bytes(path);
  EXPECT_EQ(save(5, 3, 0x33), refused("5/3"));
  EXPECT_TRUE(changed_tracks(before).empty());
  md->MASS[5][3] = testing::kUnread;
  if (type == ITA800) {
    EXPECT_EQ(save(6, 5, 0x66), "");
    EXPECT_EQ(save(6, 20, 0x20), refused("6/20"));
  }
  before = testing::read_bytes(path);
  before[at] = good[at];  // mended, the damaged sector reads as it was written
  testing::write_bytes(path, before);
  auto again = load(dir, "disk.img", type);
  const TTRACK five = testing::random_track(5), six = testing::random_track(6);
  EXPECT_EQ(std::tuple(again->MASS[5][3], again->MASS[5][7], again->MASS[9][0]),
            std::tuple(five[3], testing::filled(0x77), testing::filled(0x99)));
  if (type == ITA800) {  // the stream was not followed round into sector 0
    EXPECT_EQ(std::tuple(again->MASS[6][0], again->MASS[6][5], again->MASS[6][20]),
              std::tuple(six[0], testing::filled(0x66), testing::kUnread));
  }
}

INSTANTIATE_TEST_SUITE_P(TrackForms, TrackFormTest, ::testing::Values(ITN140, ITN800, ITA800),
                         testing::ImageTypeName());

// A load that fails leaves the sectors in memory as they were, also for a file that got
// shorter since it was listed; a save over a file that is gone creates nothing.
TEST_F(CoreTest, FailedLoadsAndSavesChangeNothing) {
  TempDir dir;
  testing::write_bytes(dir.file("short.dsk"), std::vector<std::uint8_t>(143360 - 1));
  std::filesystem::create_directory(dir.file("dir.dsk"));
  auto md = testing::image_medium(dir.host_path(), "", ITI140);
  md->MASS[3][3].fill(0x42);
  for (auto [name, message] :
       {std::pair{"missing.dsk",
                  "Чтение образа: ошибка открытия файла (нет такого файла или каталога)\r\n"},
        {"short.dsk", "Чтение образа: ошибка чтения файла (файл короче образа)\r\n"},
        {"dir.dsk", "Чтение образа: ошибка открытия файла (это каталог)\r\n"}}) {
    md->IMAGENAME = name;
    FC_LOADMEDIA(*md);
    EXPECT_EQ(testing::take_critical_text(), message);
    EXPECT_EQ(md->MASS[3][3][0], 0x42) << name;
  }
  // A host that fails the read of a sound image, or ends the file at once as if it were
  // cut meanwhile.
  make_image_file(dir.file("good.dsk"), ITI140);
  md->IMAGENAME = "good.dsk";
  for (auto [fault, message] :
       {std::pair{HostFileFault{EIO},
                  "Чтение образа: ошибка чтения файла (ошибка ввода-вывода)\r\n"},
        {HostFileFault{0, 0}, "Чтение образа: ошибка чтения файла (файл короче образа)\r\n"}}) {
    testing::InjectedFaults faults({{HostFileCall::read, 1, fault}});
    FC_LOADMEDIA(*md);
    EXPECT_EQ(testing::take_critical_text(), message);
    EXPECT_EQ(md->MASS[3][3][0], 0x42);
  }
  md->IMAGENAME = "gone.dsk";
  FC_SAVEMEDIA(*md, false);
  EXPECT_EQ(testing::take_critical_text(),
            "Запись образа: ошибка открытия файла (нет такого файла или каталога)\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("gone.dsk")));
}

// A save that meets a failing host (a short or failing read of the old file, a full disk, a
// failing sync or rename, no room for the copy) leaves the file byte for byte, its trailer,
// header or AIM cells included, and no copy beside it, and says why; the next save succeeds.
TEST_F(CoreTest, SavesSurviveAFailingHost) {
  TempDir dir;
  for (TIMAGET type : {IT128I140, ITE800, ITA800}) {
    SCOPED_TRACE(testing::image_type_name(type));
    make_image_file(dir.file("disk.img"), type);
    auto md = load(dir, "disk.img", type);
    md->MASS[3][3] = md->MASS[4][4];
    const auto reason = [](int e) { return cp1251_to_utf8(host_read_error_text(e)); };
    testing::expect_failures_keep_file(dir, dir.file("disk.img"), true, reason, [&] {
      FC_SAVEMEDIA(*md, false);
      return testing::take_critical_text();
    });
    FC_SAVEMEDIA(*md, false);
    EXPECT_EQ(testing::take_critical_text(), "");
    EXPECT_EQ(load(dir, "disk.img", type)->MASS[3][3], md->MASS[4][4]);
    EXPECT_EQ(testing::entries_of(dir.path()), std::set<std::string>{"disk.img"});
  }
}

// The description in code page 866 comes as Windows-1251, what that lacks as "?", its length
// byte held to the room there is; a file that lost the signature is neither read nor written.
TEST_F(CoreTest, EmulatorHeaders) {
  TempDir dir;
  std::vector<std::uint8_t> file = testing::emulator_header_bytes(1);
  file.resize(860416, 0);
  testing::write_bytes(dir.file("e.dsk"), file);
  std::string text;
  ASSERT_TRUE(image_description(dir.file("e.dsk"), text));
  EXPECT_EQ(text, "Тест памяти Агат-9 (КС=19176)"_w);
  file[0x32] = 0xFF;
  file[0x33] = 0xB3;  // a box-drawing character
  text = emulator_header_description(std::span<const std::uint8_t, 256>(file.data(), 256));
  EXPECT_EQ(std::tuple(text.size(), text.substr(0, 4)), std::tuple(205u, "?ест"_w));
  EXPECT_EQ(emulator_header_description(make_emulator_header("Ёё№ — Ўў°"_w)), "Ёё№ ? Ўў°"_w);
  for (auto [given, fits] : {std::pair{"Ёё№·¤"_w, true}, {"—"_w, false}, {"І"_w, false}})
    EXPECT_EQ(description_fits_header(given), fits) << cp1251_to_utf8(given);
  EXPECT_EQ(std::pair(description_fits_header(std::string(205, 'x')),
                      description_fits_header(std::string(206, 'x'))),
            std::pair(true, false));

  file[0] = 'a';
  testing::write_bytes(dir.file("e.dsk"), file);
  auto md = testing::image_medium(dir.host_path(), "e.dsk", ITE800);
  FC_LOADMEDIA(*md);
  EXPECT_EQ(testing::take_critical_text(),
            "Чтение образа: в файле нет заголовка образа эмулятора\r\n");
  FC_SAVEMEDIA(*md, false);
  EXPECT_EQ(testing::take_critical_text(),
            "Запись образа: в файле нет заголовка образа эмулятора, файл образа не изменён\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("e.dsk")), file);
}

std::vector<int> progress;

// After every track of a load or a save: the track's share of the last track number in
// per cent, rounded to the nearest integer.
TEST_F(CoreTest, ProgressIsReportedAfterEveryTrack) {
  TempDir dir;
  make_image_file(dir.file("a.dsk"), ITI140);
  make_image_file(dir.file("b.dsk"), ITI800);
  make_image_file(dir.file("b.hfe"), ITH800);  // its tracks are decoded on two threads
  PROGRESSPROC = [](std::uint8_t p) { progress.push_back(p); };
  load(dir, "a.dsk", ITI140);
  EXPECT_EQ(progress, (std::vector<int>{0,  3,  6,  9,  12, 15, 18, 21, 24, 26, 29, 32,
                                        35, 38, 41, 44, 47, 50, 53, 56, 59, 62, 65, 68,
                                        71, 74, 76, 79, 82, 85, 88, 91, 94, 97, 100}));
  progress.clear();
  load(dir, "b.hfe", ITH800);
  const std::vector<int> threaded = progress;
  progress.clear();
  FC_SAVEMEDIA(*load(dir, "b.dsk", ITI800), false);
  PROGRESSPROC = nullptr;
  ASSERT_EQ(progress.size(), 320u);
  EXPECT_EQ(threaded, std::vector<int>(progress.begin(), progress.begin() + 160));
  EXPECT_EQ(std::tuple(progress[80], progress[159], progress[160]), std::tuple(50, 100, 0));
}

}  // namespace
}  // namespace agat

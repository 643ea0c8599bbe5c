// New images that boot: the DOS of a master (what its VTOC marks used and nothing on the disk
// holds) at the same places in a new image, the volume name, and the masters refused.

#include <gtest/gtest.h>

#include <set>

#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/volume_name.h"
#include "core/vtoc.h"
#include "harness.h"
#include "support/testdata.h"

namespace agat::testing {
namespace {

using AgatdiskBoot = AgatdiskTest;
using Place = std::pair<int, int>;

// An 800 KB master through the core: a file, a volume name, track 0 and a few sectors
// elsewhere holding a system that no catalog names.
std::unique_ptr<TMEDIA> make_master(const std::string& dir, const std::string& name,
                                    const std::set<Place>& system) {
  auto md = create_image(dir, name, ITI800);
  save(*md, "FILE", 0x04, pattern(3000, 7));
  set_volume_name(as<TVTOCSECTOR>(md->MASS[17][0]), L2A("МАСТЕР"_w));
  for (const auto& [t, s] : system) {
    GETSECT(*md, static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s));
    const Bytes b = pattern(256, static_cast<std::uint32_t>(t * 32 + s));
    std::copy(b.begin(), b.end(), md->MASS[t][s].begin());
  }
  FC_SAVEMEDIA(*md, false);
  return md;
}

TEST_F(AgatdiskBoot, NewImageTakesTheMastersSystem) {
  std::set<Place> system = {{1, 0}, {1, 4}, {100, 20}, {159, 3}};
  for (int s = 0; s <= 20; ++s) system.insert({0, s});
  const auto master = make_master(dir.path().string() + "/", "m.dsk", system);
  ASSERT_EQ(take_critical(), "");
  expect_outcome(run({"new", "b.nib", "--form", "nib800", "--boot", "m.dsk"}), 0, "", "");
  expect_outcome(run({"new", "c.dsk", "--form", "dsk800", "--boot", "m.dsk", "--volume",
                      "ДРУГОЙ ТОМ"}),
                 0, "", "");
  expect_outcome(run({"new", "d.dsk", "--form", "dsk140", "--volume", "ТОМ 1"}), 0, "", "");
  EXPECT_EQ(run({"list", "b.nib"}).out, "Том: МАСТЕР\nСвободных секторов: 3331\n");
  EXPECT_EQ(run({"list", "c.dsk"}).out, "Том: ДРУГОЙ ТОМ\nСвободных секторов: 3331\n");
  EXPECT_EQ(run({"list", "d.dsk"}).out, "Том: ТОМ 1\nСвободных секторов: 542\n");
  // The system at its places and taken; the file, the catalog and the rest left behind.
  auto md = image_medium(dir.path().string() + "/", "b.nib", ITN800);
  FC_READCAT(*md);
  ASSERT_EQ(take_critical(), "");
  const std::set<Place> own = {{17, 0}, {17, 1}, {50, 0}, {114, 0}};
  int copied = 0, wrong = 0;
  for (int t = 0; t <= md->NUMTR; ++t) {
    for (int s = 0; s <= md->NUMSC; ++s) {
      if (own.count({t, s}) != 0) continue;
      const bool dos = system.count({t, s}) != 0;
      copied += dos && md->MASS[t][s] == master->MASS[t][s];
      wrong += dos == FC_IS_SECFREE(*md, static_cast<std::uint8_t>(t),
                                     static_cast<std::uint8_t>(s)) ||
               (!dos && md->MASS[t][s] != kUnread);
    }
  }
  EXPECT_EQ(copied, static_cast<int>(system.size()));
  EXPECT_EQ(wrong, 0);
}

// A master made by real DOS 3.3 INIT holds its DOS on tracks 0 to 2.
TEST_F(AgatdiskBoot, IndependentMaster) {
  AGAT_REQUIRE_TESTDATA();
  const std::string master = testdata("other/new-init.do");
  expect_outcome(run({"new", "b.dsk", "--form", "dsk140", "--boot", master}), 0, "", "");
  const Bytes m = file_bytes(master), b = file_bytes(dir.file("b.dsk"));
  EXPECT_TRUE(std::equal(m.begin(), m.begin() + 3 * 16 * 256, b.begin()));
  EXPECT_EQ(run({"list", "b.dsk"}).out, "Том:\nСвободных секторов: 510\n");
}

// A master that cannot give its system leaves no new file; a volume name that cannot be one
// is a usage error.
TEST_F(AgatdiskBoot, Refusals) {
  const std::string d = dir.path().string() + "/";
  create_image(d, "small.dsk", ITI140);
  auto bad = make_master(d, "bad.dsk", {});
  as<TVTOCSECTOR>(bad->MASS[17][0]).TRNUM = 35;
  FC_SAVEMEDIA(*bad, false);
  // The catalog moved to 18/0, its old place still taken: the new catalog's place.
  auto moved = make_master(d, "moved.dsk", {});
  moved->MASS[18][0] = moved->MASS[17][1];
  GETSECT(*moved, 18, 0);
  as<TVTOCSECTOR>(moved->MASS[17][0]).SE = 0;
  as<TVTOCSECTOR>(moved->MASS[17][0]).TE = 18;
  FC_SAVEMEDIA(*moved, false);
  ASSERT_EQ(take_critical(), "");
  const struct {
    std::vector<std::string> options;
    int status;
    std::string err;
  } cases[] = {
      {{"--boot", "small.dsk"}, 1, "у образца другой размер диска, образ не создан"},
      {{"--boot", "bad.dsk"}, 1, "VTOC образа повреждён или на диске нет DOS"},
      {{"--boot", "moved.dsk"}, 1, "сектор ДОС 17/1 в новом образе занят: каталог"},
      {{"--boot", "none.dsk"}, 1, "none.dsk"},
      {{"--volume", std::string(30, 'A')}, 2, "длиннее 29 знаков"},
      {{"--volume", "A\tB"}, 2, "нет в кодировке Агата"},
      {{"--volume", "A✓"}, 2, "нет в кодировке Агата"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options[1]);
    std::vector<std::string> args = {"new", "out.dsk", "--form", "dsk800"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    expect_outcome(run(args), c.status, "", c.err);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.dsk")));
  }
}

}  // namespace
}  // namespace agat::testing

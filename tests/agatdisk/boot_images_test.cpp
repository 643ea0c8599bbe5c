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

// An 800 KB master through the core: a file, a volume name, and a system that no catalog
// names on the sectors SYSTEM; CHANGE spoils it before it is saved.
void master(TempDir& dir, const std::string& name, const std::set<Place>& system,
            const std::function<void(TMEDIA&)>& change = {}) {
  auto md = create_image(dir.path().string() + "/", name, ITI800);
  save(*md, "FILE", 0x04, pattern(3000, 7));
  set_volume_name(as<TVTOCSECTOR>(md->MASS[17][0]), L2A("МАСТЕР"_w));
  for (const auto& [t, s] : system) {
    GETSECT(*md, static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s));
    const Bytes b = pattern(256, static_cast<std::uint32_t>(t * 32 + s));
    std::copy(b.begin(), b.end(), md->MASS[t][s].begin());
  }
  if (change) change(*md);
  FC_SAVEMEDIA(*md, false);
}

TEST_F(AgatdiskBoot, NewImageTakesTheMastersSystem) {
  const std::set<Place> system = {{0, 0}, {0, 20}, {1, 4}, {100, 20}, {159, 3}};
  // The catalog moved to 18/0, its old place still taken: the new image's catalog stays there.
  master(dir, "m.dsk", system, [](TMEDIA& md) {
    md.MASS[18][0] = md.MASS[17][1];
    GETSECT(md, 18, 0);
    as<TVTOCSECTOR>(md.MASS[17][0]).TE = 18;
    as<TVTOCSECTOR>(md.MASS[17][0]).SE = 0;
  });
  // Track 0 is taken in every image: what the master left unwritten there is copied too.
  const Outcome r = run({"new", "b.dsk", "--form", "dsk800", "--boot", "m.dsk"});
  expect_outcome(r, 0, "", "секторов ДОС, которые не читаются в образце: 19, они скопированы");
  EXPECT_TRUE(contains(r.err, "сектор ДОС 17/1 в новом образе занят: каталог, он не перенесён"));
  expect_outcome(run({"new", "e.dsk", "--form", "dsk800", "--volume", "МАСТЕР"}), 0, "", "");
  EXPECT_EQ(run({"list", "b.dsk"}).out, "Том: МАСТЕР\nСвободных секторов: 3332\n");
  EXPECT_EQ(run({"list", "e.dsk"}).out, "Том: МАСТЕР\nСвободных секторов: 3335\n");
  EXPECT_TRUE(contains(run({"check", "b.dsk"}).out, " 0/18 0/19 0/20 1/4 100/20 159/3\n"));
  // The system's sectors hold the master's bytes, every other one (the VTOC and its maps aside)
  // is as in a new image of the same volume name: the file was left behind.
  const Bytes m = file_bytes(dir.file("m.dsk")), b = file_bytes(dir.file("b.dsk")),
              e = file_bytes(dir.file("e.dsk"));
  for (std::size_t at = 0; at < b.size(); at += 256) {
    const Place p{at / 256 / 21, at / 256 % 21};
    EXPECT_TRUE(std::equal(b.begin() + at, b.begin() + at + 256,
                           (system.count(p) != 0 ? m : e).begin() + at) ||
                (p.second == 0 && (p.first == 17 || p.first == 50 || p.first == 114)))
        << p.first << "/" << p.second;
  }
  // A master made by real DOS 3.3 INIT holds its DOS on tracks 0 to 2.
  if (!have_testdata()) return;
  expect_outcome(run({"new", "i.dsk", "--form", "dsk140", "--boot", testdata("other/new-init.do")}),
                 0, "", "");
  const Bytes init = file_bytes(testdata("other/new-init.do")), i = file_bytes(dir.file("i.dsk"));
  EXPECT_TRUE(std::equal(init.begin(), init.begin() + 3 * 16 * 256, i.begin()));
}

// A master that cannot give its system leaves no new file; a volume name that cannot be one
// is a usage error.
TEST_F(AgatdiskBoot, Refusals) {
  create_image(dir.path().string() + "/", "small.dsk", ITI140);
  master(dir, "bad.dsk", {}, [](TMEDIA& md) { as<TVTOCSECTOR>(md.MASS[17][0]).TRNUM = 35; });
  const std::tuple<std::string, std::string, int, std::string> cases[] = {
      {"--boot", "small.dsk", 1, "у образца другой размер диска, образ не создан"},
      {"--boot", "bad.dsk", 1, "VTOC образа повреждён или на диске нет DOS"},
      {"--volume", std::string(30, 'A'), 2, "длиннее 29 знаков"},
      {"--volume", "A\tB", 2, "нет в кодировке Агата"},
      {"--volume", "A✓", 2, "нет в кодировке Агата"},
  };
  for (const auto& [option, value, status, err] : cases) {
    expect_outcome(run({"new", "out.dsk", "--form", "dsk800", option, value}), status, "", err);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.dsk"))) << value;
  }
}

}  // namespace
}  // namespace agat::testing

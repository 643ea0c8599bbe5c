// The catalog operations through agatdisk: rm, undelete, lock, unlock, mkdir and cd, each
// checked in the listing that follows and against the image's VTOC.

#include <gtest/gtest.h>

#include "harness.h"

namespace agat::testing {
namespace {

// A deleted entry: its name is compared without the last byte, which holds a track.
const TCATREC& deleted_entry(TMEDIA& md, const std::string& name) {
  const TAGATNAME n = agat_name(name);
  for (int i = 0; i < md.CAT.CATNUM; ++i) {
    const TCATREC& e = md.CAT.CATREC[i];
    if (e.TTSL == 0xFF && std::equal(n.begin(), n.end() - 1, e.AGATNAME.begin())) return e;
  }
  throw std::runtime_error("no deleted entry " + name);
}

class AgatdiskOperations : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ImageBuilder(dir.file("d.dsk"), ITI140)
        .file("HELLO", 0x02, pattern(300, 1))
        .file("DATA", 0x04, pattern(1000, 2))
        .file("LOCKED", 0x84, pattern(10, 3));
    write_bytes(dir.file("small"), pattern(100, 4));
  }

  // Runs a command that must succeed quietly, and checks the image afterwards.
  void ok(const std::vector<std::string>& args) {
    SCOPED_TRACE(args[0]);
    const Outcome r = run_agatdisk(args, dir.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    expect_sound(dir.file("d.dsk"));
  }
  Outcome run(const std::vector<std::string>& args) {
    return run_agatdisk(args, dir.path().string());
  }
  Json list() { return listing("d.dsk", dir.path().string()); }
  Json entry(const Json& l, const std::string& name) {
    const std::optional<Json> e = listed(l, name);
    if (!e) throw std::runtime_error("not listed: " + name);
    return *e;
  }

  TempDir dir;
};

TEST_F(AgatdiskOperations, LockUnlockDeleteUndelete) {
  ok({"lock", "d.dsk", "DATA"});
  EXPECT_EQ(entry(list(), "DATA")["ext"].integer(), 0x84);
  ok({"lock", "d.dsk", "DATA"});  // stays locked
  EXPECT_TRUE(entry(list(), "DATA")["locked"].flag);
  ok({"unlock", "d.dsk", "DATA"});
  EXPECT_EQ(entry(list(), "DATA")["ext"].integer(), 0x04);
  ok({"unlock", "d.dsk", "HELLO"});  // stays unlocked
  EXPECT_EQ(entry(list(), "HELLO")["ext"].integer(), 0x02);

  // A lock guards nothing: the file is deleted, its sectors freed, its data left in place.
  const int free = list()["free"].integer();
  ok({"rm", "d.dsk", "LOCKED"});
  Json l = list();
  EXPECT_TRUE(entry(l, "LOCKED")["deleted"].flag);
  EXPECT_EQ(l["free"].integer(), free + 2);
  EXPECT_EQ(run({"get", "d.dsk", "LOCKED"}).out, text_of(whole_sectors(pattern(10, 3))));

  // Undeleted, it has its whole name back, its type, its lock and its sectors.
  ok({"undelete", "d.dsk", "LOCKED"});
  l = list();
  const Json back = entry(l, "LOCKED");
  EXPECT_FALSE(back["deleted"].flag);
  EXPECT_EQ(back["ext"].integer(), 0x84);
  EXPECT_EQ(l["free"].integer(), free);
  auto md = read_image(dir.file("d.dsk"));
  EXPECT_EQ(find_entry(*md, "LOCKED")->AGATNAME, agat_name("LOCKED"));
  EXPECT_EQ(run({"get", "d.dsk", "LOCKED"}).out, text_of(whole_sectors(pattern(10, 3))));
}

// An undeleted file one of whose sectors is taken meanwhile: restored, with a warning (the
// core names the entry as it restored it, with a stand-in last character).
TEST_F(AgatdiskOperations, UndeleteOverATakenSector) {
  ok({"rm", "d.dsk", "DATA"});
  auto md = read_image(dir.file("d.dsk"));
  const TCATREC& e = deleted_entry(*md, "DATA");
  const auto& list_sector = as<TTSLSECTOR>(md->MASS[e.AGATNAME[29]][e.STSL]);
  const int t = list_sector.TSL[2][0], s = list_sector.TSL[2][1];
  ASSERT_TRUE(GETSECT(*md, static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s)));
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(take_critical(), "");

  const Outcome r = run({"undelete", "d.dsk", "DATA"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "agatdisk: предупреждение: Восстановление файла \"DATA" + std::string(25, ' ') +
                       "r\": сектор " + std::to_string(t) + "/" + std::to_string(s) +
                       " уже занят другим файлом\n");
  EXPECT_FALSE(entry(list(), "DATA")["deleted"].flag);
  EXPECT_EQ(run({"get", "d.dsk", "DATA"}).out, text_of(whole_sectors(pattern(1000, 2))));
}

// An entry whose kept track leads to no T/S list is not restored, and the image is kept.
TEST_F(AgatdiskOperations, UndeleteThatCannotBe) {
  ok({"rm", "d.dsk", "DATA"});
  auto md = read_image(dir.file("d.dsk"));
  const TCATREC& e = deleted_entry(*md, "DATA");
  Bytes image = file_bytes(dir.file("d.dsk"));
  image[(e.TCAT * 16 + e.SCAT) * 256 + 11 + 35 * e.OCAT + 32] = 0;  // the kept track: 0
  write_bytes(dir.file("d.dsk"), image);

  const Outcome r = run({"undelete", "d.dsk", "DATA"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "agatdisk: файл \"DATA\" не восстановлен: сохранённая в записи дорожка не ведёт к его "
            "T/S-списку\n");
  EXPECT_TRUE(file_bytes(dir.file("d.dsk")) == image);
}

// mkdir makes a sub-catalog; cd enters it, and entering its first entry, which bears its
// name, comes back.
TEST_F(AgatdiskOperations, SubCatalogs) {
  ok({"mkdir", "d.dsk", "GAMES"});
  const Json root = list();
  EXPECT_EQ(entry(root, "GAMES")["kind"].text, "btk");
  EXPECT_EQ(entry(root, "GAMES")["type"].kind, Json::null);
  EXPECT_EQ(root["free"].integer(), 542 - 3 - 5 - 2 - 2);

  ok({"cd", "d.dsk", "GAMES"});
  ok({"put", "d.dsk", "small", "--name", "CHESS"});
  ok({"mkdir", "d.dsk", "OLD"});
  Json inside = list();
  ASSERT_EQ(inside["entries"].items.size(), 3u);
  EXPECT_EQ(inside["entries"][0]["name"].text, "GAMES");  // the way back
  EXPECT_EQ(inside["entries"][0]["kind"].text, "btk");
  EXPECT_EQ(inside["entries"][1]["name"].text, "CHESS");
  EXPECT_EQ(run({"get", "d.dsk", "HELLO"}).status, 1);  // the root's files are not here

  // Two levels down and back up.
  ok({"cd", "d.dsk", "OLD"});
  EXPECT_EQ(list()["entries"][0]["name"].text, "OLD");
  ok({"cd", "d.dsk", "OLD"});
  ok({"cd", "d.dsk", "GAMES"});
  EXPECT_TRUE(listed(list(), "HELLO"));
  EXPECT_FALSE(listed(list(), "CHESS"));

  // Only an empty sub-catalog is deleted; deleted files do not count.
  Outcome r = run({"rm", "d.dsk", "GAMES"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Удалять непустой каталог нельзя (\"GAMES"), std::string::npos) << r.err;
  ok({"cd", "d.dsk", "GAMES"});
  ok({"rm", "d.dsk", "CHESS"});
  ok({"rm", "d.dsk", "OLD"});
  ok({"cd", "d.dsk", "GAMES"});
  ok({"rm", "d.dsk", "GAMES"});
  EXPECT_TRUE(entry(list(), "GAMES")["deleted"].flag);
  EXPECT_EQ(list()["free"].integer(), 542 - 3 - 5 - 2);
}

}  // namespace
}  // namespace agat::testing

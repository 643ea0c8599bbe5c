// Operations on catalog entries, and moving between places.
#include "core/catalog_ops.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/host_paths.h"
#include "support/image_test.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::CoreTest;
using testing::find_entry;
using testing::take_critical_text;
using testing::TempDir;

class CatalogOpsTest : public testing::ImageTest {
  void SetUp() override {
    ImageTest::SetUp();
    make();
  }
};

// Undeleting takes a file's sectors again and makes the last name character, which kept
// the list's track, a blank. A saved track that leads to no T/S list (off the disk, or no
// list there, or track 0, which would end the catalog) is refused with a message and
// changes nothing, not even in memory.
TEST_F(CatalogOpsTest, DeleteAndUndelete) {
  const TCATREC old = save("GONE", 2000);
  const std::uint32_t free_before = md->FREESPACE;
  FC_DELETE(md->CAT.CATREC[1]);
  reload();
  EXPECT_EQ(md->FREESPACE, free_before + 9);  // one list and eight data sectors
  FC_UNDELETE(md->CAT.CATREC[1]);
  reload();
  EXPECT_EQ(std::tuple(md->CAT.CATREC[1].AGATNAME[29], md->FREESPACE),
            std::tuple(AGAT_SPACE, free_before));
  testing::DiskAudit(*md).expect_vtoc_matches();

  FC_DELETE(md->CAT.CATREC[1]);
  const auto saved_track = [&](std::uint8_t t) {
    reload();
    as<TCATSECTOR>(md->MASS[17][1]).CR[0].N[29] = t;
    md->MASS[0][old.STSL].fill(0);  // shaped like a T/S list
    store();
  };
  for (const std::uint8_t t : {std::uint8_t{40}, std::uint8_t{3}, std::uint8_t{0}}) {
    saved_track(t);
    const auto image = image_bytes();
    const auto mass = std::make_unique<decltype(md->MASS)>(md->MASS);
    FC_UNDELETE(md->CAT.CATREC[1]);
    EXPECT_TRUE(image_bytes() == image && *mass == md->MASS) << int{t};
    EXPECT_NE(take_critical_text().find("файл не восстановлен"), std::string::npos);
  }
}

// Undeleting a file whose sectors were handed out since is refused, naming who holds them
// (a file, a new sub-catalog, or only the VTOC's mark), and changes nothing; once the
// holder is gone, the file comes back whole. P's deleted entry comes first in the catalog,
// so a new entry reuses it and A's entry stays.
TEST_F(CatalogOpsTest, UndeleteRefusesSectorsTakenSince) {
  const auto deleted_a = [this]() -> TCATREC& { return md->CAT.CATREC[2]; };
  const std::vector<std::pair<std::function<void()>, const char*>> cases{
      {[this] { save("B", 700); }, "секторы 16/15, 16/14, 16/13, 16/12 занимает файл \"B"},
      {[this] { FC_MAKEDIR(*md, agat_name("SUB")); }, "занимает каталог"},
      {[&] { GETSECT(*md, deleted_a().AGATNAME[29], deleted_a().STSL), store(); },
       "сектор 17/13 отмечен занятым в VTOC"},
  };
  for (const auto& [take, holder] : cases) {
    make();
    for (std::size_t i = 0; i < 5120; ++i) buf[i] = static_cast<std::uint8_t>(i % 251);
    save("P", 1);
    save("A", 5120);
    FC_DELETE(entry("A"));
    FC_DELETE(entry("P"));
    reload();
    take();
    reload();
    const auto image = image_bytes();
    FC_UNDELETE(deleted_a());
    const std::string text = take_critical_text();
    EXPECT_EQ(image_bytes(), image) << holder;
    EXPECT_TRUE(text.starts_with("Восстановление файла \"A" + std::string(29, ' ') +
                                 "\": его секторы с тех пор заняты, файл не восстановлен\r\n") &&
                text.find(holder) != std::string::npos)
        << text;
  }
  FREESECT(*md, deleted_a().AGATNAME[29], deleted_a().STSL);
  store();
  FC_UNDELETE(deleted_a());
  reload();
  FC_LOAD(entry("A"), buf);
  EXPECT_EQ(std::tuple(take_critical_text(), entry("A").SIZE, buf[5119]),
            std::tuple("", 5120, 5119 % 251));
  testing::DiskAudit(*md).expect_vtoc_matches();
}

// Chains that loop end every walk with a message and nothing saved: a file's T/S lists on
// deletion, a sub-catalog's sectors on its deletion, a catalog in the searches for free
// and named entries.
TEST_F(CatalogOpsTest, LoopingChainsNeverHang) {
  save("LOOP", 122 * 256);
  FC_MAKEDIR(*md, agat_name("SUB"));
  reload();
  for (const char* name : {"LOOP", "SUB"}) {
    const TCATREC& e = entry(name);
    as<TTSLSECTOR>(md->MASS[e.TTSL][e.STSL]).TE = e.TTSL;  // the first sector links to itself
    as<TTSLSECTOR>(md->MASS[e.TTSL][e.STSL]).SE = e.STSL;
  }
  store();
  const auto before = image_bytes();
  const auto mass = std::make_unique<decltype(md->MASS)>(md->MASS);
  FC_DELETE(entry("LOOP"));
  FC_DELETE(entry("SUB"));
  EXPECT_TRUE(*mass == md->MASS);  // decided before anything changed, even in memory
  const std::string text = take_critical_text();
  for (const char* m : {"Удаление файла: t/s список: цепочка секторов замкнута в кольцо",
                        "Удалялся файл \"LOOP", "Удаление BTK-каталога: цепочка"})
    EXPECT_NE(text.find(m), std::string::npos) << m;
  EXPECT_EQ(image_bytes(), before);

  reload();
  auto& cat = as<TCATSECTOR>(md->MASS[17][1]);
  cat.TE = 17;
  cat.SE = 1;
  for (auto& entry : cat.CR) entry.TF = 5;  // no free entry
  std::uint8_t t, s;
  std::int32_t o;
  EXPECT_FALSE(FC_FINDFREECAT(*md, t, s, o, true));
  EXPECT_FALSE(FINDTHISCAT(*md, agat_name("NONE"), t, s, o, false));
  EXPECT_EQ(take_critical_text(),
            "Поиск свободных входов в каталоге: каталог: цепочка секторов замкнута в кольцо на "
            "секторе 17/1\r\nПоиск заданных входов в каталоге: каталог: цепочка секторов "
            "замкнута в кольцо на секторе 17/1\r\n");
}

// A new name may repeat another; the type changes with it. Locking: 0 toggles, 1 locks,
// -1 unlocks, both in an image and in the header of a ".FIL" file, whose bytes stay.
TEST_F(CatalogOpsTest, RenameRetypeAndLock) {
  save("ONE", 10);
  save("TWO", 10);
  TCATREC cr2 = entry("ONE");
  cr2.AGATNAME = agat_name("TWO");
  cr2.EXT = 0x82;
  FC_RENAME(entry("ONE"), cr2);
  for (auto [mode, ext] : {std::pair{0, 0x02}, {1, 0x82}, {1, 0x82}, {-1, 0x02}, {0, 0x82}}) {
    reload();
    EXPECT_EQ(md->CAT.CATREC[1].AGATNAME, agat_name("TWO"));
    FC_RELOCK(md->CAT.CATREC[1], static_cast<std::int8_t>(mode));
    reload();
    EXPECT_EQ(md->CAT.CATREC[1].EXT, ext) << mode;
  }

  std::vector<std::uint8_t> bytes(40 + 5, 0x11);
  bytes[39] = 0x04;
  testing::write_bytes(dir.file("P.FIL"), bytes);
  md->MEDIAT = MDHOSTFS;
  reload();
  TCATREC& fil = entry("P.FIL");
  FC_RELOCK(fil, 0);
  cr2.AGATNAME = agat_name("NEW NAME");
  FC_RENAME(fil, cr2);  // type $82
  FC_RELOCK(fil, -1);
  std::copy(cr2.AGATNAME.begin(), cr2.AGATNAME.end(), bytes.begin());
  bytes[39] = 0x02;
  EXPECT_EQ(testing::read_bytes(dir.file("P.FIL")), bytes);
  FC_RELOCK(fil, 0);
  EXPECT_EQ(testing::read_bytes(dir.file("P.FIL"))[39], 0x82);
  std::filesystem::remove(dir.file("P.FIL"));
  FC_RELOCK(fil, 1);
  EXPECT_NE(take_critical_text(), "");
}

// A sub-catalog takes two sectors; its name cannot be made twice. Entered, it lists ".."
// and its slave entry, through which the way back leads; the move is in the file. One
// whose first sector is unreadable is not entered. Renamed from the parent, master and
// slave change together; from inside, where the slave entry does not match the parent's
// first entry, renaming is refused, and so it is for a master entry whose pointer leaves
// the disk. Not empty, its deletion is refused and nothing saved; holding only a deleted
// file, it is deleted and its sectors freed.
TEST_F(CatalogOpsTest, SubCatalogsMakeEnterRenameDelete) {
  save("F", 10);
  const std::uint32_t free_before = md->FREESPACE;
  FC_MAKEDIR(*md, agat_name("SUB"));
  reload();
  EXPECT_EQ(md->FREESPACE, free_before - 2);
  FC_MAKEDIR(*md, agat_name("SUB"));
  EXPECT_EQ(take_critical_text(), "Такое имя уже есть (\"SUB                           \")\r\n");

  // Never written, the VTOC: neither is a catalog.
  TCATREC bad = entry("SUB");
  const auto before = image_bytes();
  for (auto [t, s, why] :
       {std::tuple{3, 1, " не читается"}, {17, 0, " не похож на сектор каталога"}}) {
    bad.TTSL = static_cast<std::uint8_t>(t);
    bad.STSL = static_cast<std::uint8_t>(s);
    FC_CHDIR(bad);
    EXPECT_EQ(take_critical_text(), "Переход в BTK-каталог: новый каталог: сектор " +
                                        std::to_string(t) + "/" + std::to_string(s) + why + "\r\n");
  }
  EXPECT_EQ(image_bytes(), before);

  FC_CHDIR(entry("SUB"));
  reload();
  ASSERT_EQ(md->CAT.CATNUM, 2);
  EXPECT_EQ(md->CAT.CATREC[1].AGATNAME, agat_name("SUB"));
  TCATREC cr2 = md->CAT.CATREC[1];
  cr2.AGATNAME = agat_name("NEWSUB");
  FC_RENAME(md->CAT.CATREC[1], cr2);
  const std::string refused = "Записи slave и master-каталогов не совпадают !\r\n";
  EXPECT_EQ(take_critical_text(), refused);
  reload();  // what the refused renaming changed in memory goes
  save("INNER", 10);
  FC_CHDIR(md->CAT.CATREC[1]);
  reload();  // from the file
  EXPECT_NE(find_entry(*md, "F"), nullptr);

  as<TCATSECTOR>(md->MASS[17][1]).CR[1].TF = 200;
  FC_RENAME(entry("SUB"), cr2);
  EXPECT_EQ(take_critical_text(), refused);
  reload();
  FC_RENAME(entry("SUB"), cr2);
  reload();
  const TCATREC& renamed = entry("NEWSUB");
  EXPECT_EQ(as<TCATSECTOR>(md->MASS[renamed.TTSL][renamed.STSL]).CR[0].N[0], cr2.AGATNAME[0]);

  const auto full = image_bytes();
  const auto mass = std::make_unique<decltype(md->MASS)>(md->MASS);
  FC_DELETE(entry("NEWSUB"));
  EXPECT_EQ(take_critical_text(),
            "Удалять непустой каталог нельзя (\"NEWSUB                        \") !\r\n");
  EXPECT_TRUE(image_bytes() == full && *mass == md->MASS);
  FC_CHDIR(entry("NEWSUB"));
  reload();
  FC_DELETE(entry("INNER"));
  reload();
  FC_CHDIR(md->CAT.CATREC[1]);
  reload();
  FC_DELETE(entry("NEWSUB"));
  reload();
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_EQ(md->FREESPACE, free_before);
  testing::DiskAudit(*md).expect_vtoc_matches();
}

// Host directories and files: a directory made twice, a rename onto an existing name
// (both files stay as they were), a directory that is not empty, a file that is gone:
// each a message. ".." is never deleted.
TEST_F(CoreTest, HostObjects) {
  TempDir dir;
  auto md = testing::new_medium();
  md->HOSTPATH = dir.host_path();
  const auto quoted = [&](const std::string& name) { return "\"" + dir.file(name) + "\""; };
  FC_MAKEDIR(*md, std::string("каталог"));
  FC_MAKEDIR(*md, std::string("каталог"));
  EXPECT_EQ(take_critical_text(), "Ошибка создания каталога " + quoted("каталог") + " !\r\n");
  testing::write_bytes(dir.file("a.dsk"), std::vector<std::uint8_t>(143360, 0));
  testing::write_bytes(dir.file("b.dsk"), std::vector<std::uint8_t>(143360, 1));
  testing::write_bytes(dir.file("каталог/x"), {1});
  FC_READCAT(*md);

  TCATREC cr2 = *find_entry(*md, "a.dsk");
  cr2.HOSTNAME = "b.dsk";
  FC_RENAME(*find_entry(*md, "a.dsk"), cr2);
  EXPECT_EQ(take_critical_text(), "Ошибка переименования " + quoted("a.dsk") + " !\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("b.dsk")), std::vector<std::uint8_t>(143360, 1));
  EXPECT_EQ(testing::read_bytes(dir.file("a.dsk")), std::vector<std::uint8_t>(143360, 0));
  cr2.HOSTNAME = "c.dsk";
  FC_RENAME(*find_entry(*md, "a.dsk"), cr2);
  FC_READCAT(*md);
  FC_DELETE(*find_entry(*md, "каталог"));
  EXPECT_EQ(take_critical_text(),
            "Ошибка удаления каталога\r\n" + quoted("каталог") + ". Возможно, он не пуст !\r\n");
  std::filesystem::remove(testing::fs_path(dir.file("каталог/x")));
  FC_DELETE(*find_entry(*md, "каталог"));
  FC_DELETE(*find_entry(*md, "c.dsk"));
  FC_DELETE(*find_entry(*md, ".."));
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_FALSE(std::filesystem::exists(testing::fs_path(dir.file("каталог"))));
  EXPECT_FALSE(std::filesystem::exists(dir.file("c.dsk")));
  FC_DELETE(*find_entry(*md, "c.dsk"));
  EXPECT_EQ(take_critical_text(), "Ошибка удаления файла " + quoted("c.dsk") + " !\r\n");
}

// The parent of a host path; host directories are entered and left by path. An image
// entered takes the geometry of its form, and its ".." leads back to the directory that
// holds it.
TEST_F(CoreTest, ChangeOfPlace) {
  for (auto [path, parent] : {std::pair{"/a/b/", "/a/"}, {"/a/", "/"}, {"/", "/"}, {"x/", "x/"}})
    EXPECT_EQ(parent_host_path(path), parent) << path;
  auto md = testing::new_medium();
  md->HOSTPATH = "/a/";
  TCATREC e;
  e.PMEDIA = md.get();
  for (auto [name, path] :
       {std::pair{"sub dir", std::string("/a/sub dir") + HOST_SEPARATOR}, {"..", "/a/"}}) {
    e.HOSTNAME = name;
    FC_CHDIR(e);
    EXPECT_EQ(md->HOSTPATH, path);
  }
  for (auto [type, tr, sc] : {std::tuple{IT128I140, 34, 15}, {ITA800, 159, 20}}) {
    e.CATRECT = CRTDISKIMAGE;
    e.HOSTNAME = "disk.img";
    e.IMAGET = type;
    FC_CHDIR(e);
    EXPECT_EQ(std::tuple(md->MEDIAT, md->IMAGENAME, md->IMAGET, md->NUMTR, md->NUMSC),
              std::tuple(MDIMAGE, "disk.img", type, tr, sc));
    EXPECT_EQ(md->VTOCMASKS, sc == 15 ? &FC_VTOCMASK140 : &FC_VTOCMASK800);
    e.CATRECT = CRTHOSTFSDIR;
    FC_CHDIR(e);
    EXPECT_EQ(std::tuple(md->MEDIAT, md->HOSTPATH), std::tuple(MDHOSTFS, "/a/"));
  }
}

}  // namespace
}  // namespace agat

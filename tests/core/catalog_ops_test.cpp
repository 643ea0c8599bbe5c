#include "core/catalog_ops.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/change_dir.h"
#include "core/cp1251_literal.h"
#include "core/file_transfer.h"
#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::CoreTest;
using testing::find_entry;
using testing::TempDir;

class CatalogOpsTest : public CoreTest {
 protected:
  TempDir dir;
  std::unique_ptr<TMEDIA> md = testing::create_image(dir.host_path(), "o.dsk", ITI140);
  TFILEBUF& buf = *[] {
    static TFILEBUF b;
    return &b;
  }();

  void SetUp() override {
    CoreTest::SetUp();
    FC_READCAT(*md);
  }
  void save(const std::string& name, std::int32_t size, std::uint8_t ext = 0x04) {
    TCATREC cr;
    cr.AGATNAME = agat_name(name);
    cr.EXT = ext;
    cr.SIZE = size;
    std::fill(buf.begin(), buf.begin() + size, static_cast<std::uint8_t>(name[0]));
    FC_SAVE(cr, buf, *md, false);
    ASSERT_EQ(cp1251_to_utf8(FC_CRITICALERRORBUFFER), "");
    reload();
  }
  void reload() { FC_READCAT(*md); }
  TCATREC& entry(const std::string& name) {
    TCATREC* e = find_entry(*md, name);
    if (e == nullptr) throw std::runtime_error("no entry " + name);
    return *e;
  }
  void expect_consistent() { testing::DiskAudit(*md).expect_vtoc_matches(); }
};

TEST_F(CatalogOpsTest, DeleteAndUndeleteRoundTrip) {
  save("KEEP", 300);
  save("GONE", 2000);
  const std::uint32_t free_before = md->FREESPACE;
  FC_DELETE(entry("GONE"));
  reload();
  EXPECT_EQ(md->FREESPACE, free_before + 9);  // one list and eight data sectors
  TCATREC& deleted = md->CAT.CATREC[2];
  EXPECT_EQ(deleted.TTSL, 0xFF);
  expect_consistent();

  FC_LOAD(deleted, buf);  // a deleted file still loads through the track kept in its name
  EXPECT_EQ(deleted.SIZE, 2048);
  EXPECT_EQ(buf[0], 'G');

  FC_UNDELETE(md->CAT.CATREC[2]);
  reload();
  TCATREC& back = md->CAT.CATREC[2];
  EXPECT_NE(back.TTSL, 0xFF);
  EXPECT_EQ(back.AGATNAME[29], 0x52);  // the last name character comes back as $52
  EXPECT_EQ(back.EXT, 0x04);
  EXPECT_EQ(back.SIZECAT, 9);
  EXPECT_EQ(md->FREESPACE, free_before);  // its sectors are taken again
  expect_consistent();
  FC_LOAD(back, buf);
  EXPECT_EQ(buf[1999], 'G');
}

TEST_F(CatalogOpsTest, UndeleteWarnsWhereAnotherFileTookASector) {
  save("OLD", 256);
  const TCATREC old = entry("OLD");
  FC_DELETE(entry("OLD"));
  reload();
  ASSERT_TRUE(GETSECT(*md, old.TTSL, old.STSL));  // another file took the T/S list
  FC_SAVEMEDIA(*md, false);
  reload();
  FC_UNDELETE(md->CAT.CATREC[1]);
  EXPECT_NE(cp1251_to_utf8(FC_WARNINGBUFFER).find("уже занят другим файлом"), std::string::npos);
  FC_WARNINGBUFFER.clear();
}

TEST_F(CatalogOpsTest, UndeleteWithoutATsListWritesNothing) {
  save("F", 10);
  FC_DELETE(entry("F"));
  reload();
  const auto before = testing::read_bytes(dir.file("o.dsk"));
  for (std::uint8_t saved_track :
       {std::uint8_t{40}, std::uint8_t{3}}) {  // off the disk; no list there
    as<TCATSECTOR>(md->MASS[17][1]).CR[0].N[29] = saved_track;
    FC_SAVEMEDIA(*md, false);
    reload();
    const auto image = testing::read_bytes(dir.file("o.dsk"));
    FC_UNDELETE(md->CAT.CATREC[1]);
    EXPECT_EQ(testing::read_bytes(dir.file("o.dsk")), image);
    EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  }
  (void)before;
}

TEST_F(CatalogOpsTest, LoopingChainsNeverHang) {
  save("LOOP", 122 * 256);
  TCATREC& e = entry("LOOP");
  auto& list = as<TTSLSECTOR>(md->MASS[e.TTSL][e.STSL]);
  list.TE = e.TTSL;
  list.SE = e.STSL;
  FC_SAVEMEDIA(*md, false);
  reload();
  const auto before = testing::read_bytes(dir.file("o.dsk"));
  FC_DELETE(entry("LOOP"));
  EXPECT_NE(cp1251_to_utf8(FC_CRITICALERRORBUFFER)
                .find("Удаление файла: t/s список: цепочка секторов замкнута в кольцо"),
            std::string::npos);
  EXPECT_NE(cp1251_to_utf8(FC_CRITICALERRORBUFFER).find("Удалялся файл \"LOOP"), std::string::npos);
  EXPECT_EQ(testing::read_bytes(dir.file("o.dsk")), before);
  testing::take_critical();

  // A catalog chain that loops: searches for free and named entries end with a message.
  reload();
  as<TCATSECTOR>(md->MASS[17][1]).TE = 17;
  as<TCATSECTOR>(md->MASS[17][1]).SE = 1;
  std::uint8_t t, s;
  std::int32_t o;
  EXPECT_FALSE(FINDTHISCAT(*md, agat_name("NONE"), t, s, o, false) && false);
  for (int i = 1; i < 7; ++i) as<TCATSECTOR>(md->MASS[17][1]).CR[i].TF = 5;
  EXPECT_FALSE(FC_FINDFREECAT(*md, t, s, o, true));
  EXPECT_FALSE(FINDTHISCAT(*md, agat_name("NONE"), t, s, o, false));
  EXPECT_NE(cp1251_to_utf8(FC_CRITICALERRORBUFFER)
                .find("Поиск свободных входов в каталоге: каталог: цепочка"),
            std::string::npos);
  EXPECT_NE(cp1251_to_utf8(FC_CRITICALERRORBUFFER)
                .find("Поиск заданных входов в каталоге: каталог: цепочка"),
            std::string::npos);
}

TEST_F(CatalogOpsTest, RenameRetypeAndLock) {
  save("ONE", 10);
  save("TWO", 10);
  TCATREC cr2 = entry("ONE");
  cr2.AGATNAME = agat_name("TWO");  // a duplicate name is allowed
  cr2.EXT = 0x82;
  FC_RENAME(entry("ONE"), cr2);
  reload();
  EXPECT_EQ(md->CAT.CATREC[1].AGATNAME, agat_name("TWO"));
  EXPECT_EQ(md->CAT.CATREC[1].EXT, 0x82);

  FC_RELOCK(md->CAT.CATREC[1], 0);  // toggles: unlocked now
  reload();
  EXPECT_EQ(md->CAT.CATREC[1].EXT, 0x02);
  FC_RELOCK(md->CAT.CATREC[1], 1);
  FC_RELOCK(md->CAT.CATREC[1], 1);
  reload();
  EXPECT_EQ(md->CAT.CATREC[1].EXT, 0x82);
  FC_RELOCK(md->CAT.CATREC[1], -1);
  reload();
  EXPECT_EQ(md->CAT.CATREC[1].EXT, 0x02);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
}

TEST_F(CatalogOpsTest, SubCatalogsMakeEnterRenameDelete) {
  save("F", 10);
  const std::uint32_t free_before = md->FREESPACE;
  FC_MAKEDIR(*md, agat_name("SUB"));
  reload();
  EXPECT_EQ(md->FREESPACE, free_before - 2);
  TCATREC& master = entry("SUB");
  EXPECT_EQ(master.CATRECT, CRTBTKDIR);
  expect_consistent();

  FC_MAKEDIR(*md, agat_name("SUB"));
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Такое имя уже есть (\"SUB                           \")\r\n");

  // Enter it: ".." and the slave entry with the sub-catalog's name.
  FC_CHDIR(entry("SUB"));
  reload();
  ASSERT_EQ(md->CAT.CATNUM, 2);
  EXPECT_EQ(md->CAT.CATREC[1].CATRECT, CRTBTKDIR);
  EXPECT_EQ(md->CAT.CATREC[1].AGATNAME, agat_name("SUB"));
  save("INNER", 10);
  EXPECT_EQ(md->CAT.CATNUM, 3);
  // Back through the slave entry; the move is in the file.
  FC_CHDIR(md->CAT.CATREC[1]);
  auto fresh = testing::image_medium(dir.host_path(), "o.dsk", ITI140);
  FC_READCAT(*fresh);
  EXPECT_NE(find_entry(*fresh, "F"), nullptr);
  reload();

  // Renamed from the parent: master and slave change together.
  TCATREC cr2 = entry("SUB");
  cr2.AGATNAME = agat_name("NEWSUB");
  FC_RENAME(entry("SUB"), cr2);
  reload();
  const TCATREC& renamed = entry("NEWSUB");
  EXPECT_EQ(as<TCATSECTOR>(md->MASS[renamed.TTSL][renamed.STSL]).CR[0].N[0],
            agat_name("NEWSUB")[0]);

  // Not empty: refused, nothing saved.
  const auto before = testing::read_bytes(dir.file("o.dsk"));
  FC_DELETE(entry("NEWSUB"));
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Удалять непустой каталог нельзя (\"NEWSUB                        \") !\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("o.dsk")), before);
  reload();  // what the refused deletion changed in memory goes

  // Holding only a deleted file: deleted, its catalog sectors freed.
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
  expect_consistent();
}

TEST_F(CatalogOpsTest, RenamingASubCatalogFromInsideIsRefused) {
  save("FIRST", 1);  // the parent's first entry is not the sub-catalog
  FC_MAKEDIR(*md, agat_name("SUB"));
  reload();
  FC_CHDIR(entry("SUB"));
  reload();
  TCATREC cr2 = md->CAT.CATREC[1];
  cr2.AGATNAME = agat_name("X");
  FC_RENAME(md->CAT.CATREC[1], cr2);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Записи slave и master-каталогов не совпадают !\r\n");

  // A master entry whose pointer leaves the disk is refused the same way, without a read.
  FC_CHDIR(md->CAT.CATREC[1]);
  reload();
  as<TCATSECTOR>(md->MASS[17][1]).CR[0].TF = 200;
  TCATREC master = entry("SUB");
  FC_RENAME(master, cr2);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Записи slave и master-каталогов не совпадают !\r\n");
}

TEST_F(CatalogOpsTest, SubCatalogChainThatLoopsIsNotDeleted) {
  FC_MAKEDIR(*md, agat_name("SUB"));
  reload();
  TCATREC& sub = entry("SUB");
  auto& second = as<TCATSECTOR>(md->MASS[sub.TTSL][sub.STSL]);
  auto& third = as<TCATSECTOR>(md->MASS[second.TE][second.SE]);
  third.TE = sub.TTSL;
  third.SE = sub.STSL;
  FC_SAVEMEDIA(*md, false);
  reload();
  const auto before = testing::read_bytes(dir.file("o.dsk"));
  FC_DELETE(entry("SUB"));
  EXPECT_NE(cp1251_to_utf8(testing::take_critical()).find("Удаление BTK-каталога: цепочка"),
            std::string::npos);
  EXPECT_EQ(testing::read_bytes(dir.file("o.dsk")), before);
}

TEST_F(CoreTest, HostObjects) {
  TempDir dir;
  auto md = testing::new_medium();
  md->HOSTPATH = dir.host_path();
  FC_MAKEDIR(*md, std::string("каталог"));
  FC_MAKEDIR(*md, std::string("каталог"));
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Ошибка создания каталога \"" + dir.file("каталог") + "\" !\r\n");
  testing::write_bytes(dir.file("a.dsk"), std::vector<std::uint8_t>(143360, 0));
  testing::write_bytes(dir.file("b.dsk"), std::vector<std::uint8_t>(143360, 1));
  testing::write_bytes(dir.file("каталог/x"), {1});
  FC_READCAT(*md);

  // Renaming onto an existing name fails and leaves both files as they were.
  TCATREC cr2 = *find_entry(*md, "a.dsk");
  cr2.HOSTNAME = "b.dsk";
  FC_RENAME(*find_entry(*md, "a.dsk"), cr2);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Ошибка переименования \"" + dir.file("a.dsk") + "\" !\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("b.dsk"))[0], 1);
  EXPECT_EQ(testing::read_bytes(dir.file("a.dsk"))[0], 0);
  cr2.HOSTNAME = "c.dsk";
  FC_RENAME(*find_entry(*md, "a.dsk"), cr2);
  EXPECT_TRUE(std::filesystem::exists(dir.file("c.dsk")));

  FC_READCAT(*md);
  FC_DELETE(*find_entry(*md, "каталог"));
  EXPECT_EQ(
      cp1251_to_utf8(testing::take_critical()),
      "Ошибка удаления каталога\r\n\"" + dir.file("каталог") + "\". Возможно, он не пуст !\r\n");
  std::filesystem::remove(dir.file("каталог/x"));
  FC_DELETE(*find_entry(*md, "каталог"));
  FC_DELETE(*find_entry(*md, "c.dsk"));
  FC_DELETE(*find_entry(*md, ".."));
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_FALSE(std::filesystem::exists(dir.file("каталог")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("c.dsk")));
  FC_DELETE(*find_entry(*md, "c.dsk"));
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Ошибка удаления файла \"" + dir.file("c.dsk") + "\" !\r\n");
}

TEST_F(CoreTest, FilFileHeadersAreEditedInPlace) {
  TempDir dir;
  std::vector<std::uint8_t> bytes(40 + 5, 0x11);
  bytes[39] = 0x04;
  testing::write_bytes(dir.file("P.FIL"), bytes);
  auto md = testing::new_medium();
  md->HOSTPATH = dir.host_path();
  FC_READCAT(*md);
  TCATREC& e = *find_entry(*md, "P.FIL");
  FC_RELOCK(e, 1);
  TCATREC cr2 = e;
  cr2.AGATNAME = agat_name("NEW NAME");
  cr2.EXT = 0x02;
  FC_RENAME(e, cr2);
  const auto after = testing::read_bytes(dir.file("P.FIL"));
  EXPECT_EQ(after.size(), 45u);
  EXPECT_EQ(after[39], 0x02);
  EXPECT_EQ(after[0], agat_name("NEW NAME")[0]);
  EXPECT_EQ(after[44], 0x11);
  std::filesystem::remove(dir.file("P.FIL"));
  FC_RELOCK(e, 1);
  EXPECT_NE(testing::take_critical(), "");
}

}  // namespace
}  // namespace agat

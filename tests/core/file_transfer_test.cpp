#include "core/file_transfer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/catalog_ops.h"
#include "core/cp1251_literal.h"
#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::CoreTest;
using testing::TempDir;

TFILEBUF& shared_buffer() {
  static TFILEBUF buf;
  return buf;
}

class TransferTest : public CoreTest {
 protected:
  TempDir dir;
  TFILEBUF& buf = shared_buffer();
  std::unique_ptr<TMEDIA> md;

  void make(TIMAGET type) {
    md = testing::create_image(dir.host_path(), "t.img", type);
    FC_READCAT(*md);
  }
  void fill(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < size; ++i) buf[i] = static_cast<std::uint8_t>(rng());
  }
  TCATREC record(const std::string& name, std::int32_t size, std::uint8_t ext = 0x04) {
    TCATREC cr;
    cr.CATRECT = CRTAGATFILE;
    cr.AGATNAME = agat_name(name);
    cr.EXT = ext;
    cr.SIZE = size;
    for (std::size_t i = 0; i < cr.TSDATA.size(); ++i)
      cr.TSDATA[i] = static_cast<std::uint8_t>(0x30 + i);
    return cr;
  }
  // Saves a file, reads the catalog again and returns the new entry.
  TCATREC* save(const std::string& name, std::int32_t size, std::uint32_t seed) {
    fill(static_cast<std::size_t>(size), seed);
    TCATREC cr = record(name, size);
    FC_SAVE(cr, buf, *md, false);
    EXPECT_EQ(cp1251_to_utf8(FC_CRITICALERRORBUFFER), "");
    FC_READCAT(*md);
    return testing::find_entry(*md, name);
  }
  void expect_loads_back(TCATREC& e, std::int32_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> want(static_cast<std::size_t>(size));
    std::mt19937 rng(seed);
    for (auto& b : want) b = static_cast<std::uint8_t>(rng());
    FC_LOAD(e, buf);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
    EXPECT_EQ(e.SIZE, std::max(256, (size + 255) / 256 * 256));
    EXPECT_TRUE(std::equal(want.begin(), want.end(), buf.begin()));
    EXPECT_EQ(e.TSDATA[8], 0x38);
  }
};

TEST_F(TransferTest, RoundTripsAndTheLengthByte) {
  make(ITI800);
  struct Case {
    const char* name;
    std::int32_t size;
    int length_byte;
  };
  const Case cases[] = {{"EMPTY", 0, 2},          {"ONE", 1, 2},
                        {"S122", 122 * 256, 123}, {"S123", 123 * 256, 125},
                        {"S200", 200 * 256, 202}, {"S300", 300 * 256, 255}};
  std::uint32_t seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCATREC* e = save(c.name, c.size, seed);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->SIZECAT, c.length_byte);
    expect_loads_back(*e, c.size, seed++);
  }
  // A second T/S list holds in bytes 5..6 the number of data sectors before it.
  TCATREC* e = testing::find_entry(*md, "S200");
  const auto& first = as<TTSLSECTOR>(md->MASS[e->TTSL][e->STSL]);
  const auto& second = as<TTSLSECTOR>(md->MASS[first.TE][first.SE]);
  EXPECT_EQ(get_le16(second.DATA + 2), 122);
  EXPECT_EQ(second.TE, 0);
  EXPECT_EQ(first.DATA[0], 0x30);  // the carried bytes land in the first list only
  EXPECT_EQ(second.DATA[0], 0);
  testing::DiskAudit(*md).expect_vtoc_matches();
}

// The largest file a new image holds: data sectors and their T/S lists fill every free
// sector; one byte more does not fit.
TEST_F(TransferTest, TheLargestFileFillsTheDisk) {
  for (auto [type, sectors] : {std::pair{ITI140, 537}, std::pair{ITN800, 3307}}) {
    make(type);
    TCATREC* e = save("MAX", sectors * 256, 4);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(md->FREESPACE, 0u);
    expect_loads_back(*e, sectors * 256, 4);
    testing::DiskAudit(*md).expect_vtoc_matches();
    std::filesystem::remove(dir.file("t.img"));
  }
  make(ITI140);
  fill(537 * 256 + 1, 4);
  TCATREC cr = record("MAX", 537 * 256 + 1);
  FC_SAVE(cr, buf, *md, false);
  EXPECT_NE(testing::take_critical(), "");
}

TEST_F(TransferTest, ExactlyOneFullListHasNoTerminator) {
  make(ITI140);
  TCATREC* e = save("S122", 122 * 256, 5);
  const auto& list = as<TTSLSECTOR>(md->MASS[e->TTSL][e->STSL]);
  EXPECT_EQ(list.TE, 0);
  EXPECT_NE(list.TSL[121][0], 0);
  EXPECT_EQ(md->FREESPACE, 542u - 123u);
}

TEST_F(TransferTest, SavingReplacesAFileOfTheSameName) {
  make(ITI140);
  save("SAME", 1000, 1);
  save("OTHER", 10, 2);
  TCATREC* e = save("SAME", 3000, 3);
  int live = 0, deleted = 0;
  for (int i = 1; i < md->CAT.CATNUM; ++i) {
    if (testing::name_text(md->CAT.CATREC[i].AGATNAME).rfind("SAME", 0) != 0) continue;
    (md->CAT.CATREC[i].TTSL == 0xFF ? deleted : live)++;
  }
  EXPECT_EQ(live, 1);
  EXPECT_EQ(deleted, 0);  // the deleted old entry was the first free one and was reused
  EXPECT_EQ(e->OCAT, 0);
  expect_loads_back(*e, 3000, 3);
  testing::DiskAudit(*md).expect_vtoc_matches();
}

TEST_F(TransferTest, AFullDiskSavesNothing) {
  make(ITI140);
  // A sub-catalog of the same name is never replaced.
  FC_MAKEDIR(*md, agat_name("DIR"));
  FC_READCAT(*md);
  TCATREC dir_file = record("DIR", 10);
  FC_SAVE(dir_file, buf, *md, false);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Удаление файла: маркер указывает на BTK-каталог !\r\n"
            "Записывался файл \"DIR                           \"\r\n");

  save("BIG", 400 * 256, 1);
  const auto before = testing::read_bytes(dir.file("t.img"));
  fill(200 * 256, 2);
  TCATREC cr = record("TOO BIG", 200 * 256);
  FC_SAVE(cr, buf, *md, false);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Выделение сектора: закончилось свободное пространство среды.\r\n"
            "Записывался файл \"TOO BIG                       \"\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("t.img")), before);
}

TEST_F(TransferTest, TheCatalogGrowsByASectorWhenFull) {
  make(ITI140);
  for (int i = 0; i < 8; ++i) save("F" + std::to_string(i), 10, static_cast<std::uint32_t>(i));
  EXPECT_EQ(md->CAT.CATNUM, 9);
  const TCATREC* last = testing::find_entry(*md, "F7");
  EXPECT_NE(last->SCAT, 1);
  EXPECT_EQ(last->OCAT, 0);
  EXPECT_EQ(as<TCATSECTOR>(md->MASS[17][1]).TE, last->TCAT);
  testing::DiskAudit(*md).expect_vtoc_matches();
  std::uint8_t t, s;
  std::int32_t o;
  EXPECT_TRUE(FC_FINDFREECAT(*md, t, s, o, false));
  EXPECT_EQ(o, 1);
}

TEST_F(TransferTest, LoadingDamagedFiles) {
  make(ITI140);
  TCATREC* e = save("F", 5 * 256, 1);
  auto& list = as<TTSLSECTOR>(md->MASS[e->TTSL][e->STSL]);

  list.TSL[3][0] = 40;  // a data pair off the disk: skipped with a warning
  FC_LOAD(*e, buf);
  EXPECT_EQ(e->SIZE, 4 * 256);
  EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER),
            "Загрузка файла: данные: указатель на сектор\r\nвыходит за пределы среды: 40/" +
                std::to_string(list.TSL[3][1]) + "\r\nСчитывался файл \"F" + std::string(29, ' ') +
                "\"\r\n");
  testing::take_critical();

  list.TSL[3][0] = 0;  // a zero track ends the file, whatever the sector
  list.TSL[3][1] = 7;
  FC_LOAD(*e, buf);
  EXPECT_EQ(e->SIZE, 3 * 256);
  EXPECT_EQ(FC_WARNINGBUFFER, "");

  md->MASS[list.TSL[1][0]][list.TSL[1][1]].fill(0xBD);  // unreadable: copied with a warning
  FC_LOAD(*e, buf);
  EXPECT_EQ(e->SIZE, 3 * 256);
  EXPECT_EQ(buf[256], 0xBD);
  EXPECT_NE(FC_WARNINGBUFFER, "");
  testing::take_critical();

  for (auto& p : list.TSL) p[0] = 17, p[1] = 1;  // all 122 pairs used...
  list.TE = e->TTSL;                             // ...and the list links to itself
  list.SE = e->STSL;
  FC_LOAD(*e, buf);
  EXPECT_EQ(cp1251_to_utf8(FC_CRITICALERRORBUFFER),
            "Загрузка файла: t/s список: цепочка секторов замкнута в кольцо на секторе " +
                std::to_string(e->TTSL) + "/" + std::to_string(e->STSL) +
                "\r\nСчитывался файл \"F" + std::string(29, ' ') + "\"\r\n");
  testing::take_critical();

  e->TTSL = 3;  // an unreadable first list
  e->STSL = 3;
  FC_LOAD(*e, buf);
  EXPECT_EQ(e->SIZE, 0);
  EXPECT_NE(FC_CRITICALERRORBUFFER.find("Загрузка файла: t/s список: сектор 3/3 не читается"_w),
            std::string::npos);
}

TEST_F(TransferTest, AListThatNeverEndsStopsAtTheBufferLimit) {
  make(ITI800);
  // 40 lists chained, each with 122 pairs pointing at one data sector: 4880 sectors.
  for (int i = 0; i < 40; ++i) {
    auto& l = as<TTSLSECTOR>(md->MASS[100 + i][0]);
    l = TTSLSECTOR{};
    l.TE = static_cast<std::uint8_t>(i < 39 ? 101 + i : 0);
    for (auto& p : l.TSL) p[0] = 99, p[1] = 1;
  }
  md->MASS[99][1].fill(7);
  TCATREC cr = record("HUGE", 0);
  cr.PMEDIA = md.get();
  cr.TTSL = 100;
  cr.STSL = 0;
  FC_LOAD(cr, buf);
  EXPECT_EQ(cr.SIZE, 3999 * 256);
  EXPECT_EQ(
      cp1251_to_utf8(testing::take_critical()),
      "Буфер переполнен при чтении файла.\r\nВозможно, это ошибка в файловой системе диска.\r\n"
      "Считывался файл \"HUGE                          \"\r\n");
}

TEST_F(TransferTest, FilFilesOnTheHost) {
  auto host = testing::new_medium();
  host->HOSTPATH = dir.host_path();
  fill(1000, 9);
  TCATREC cr = record("PROG", 1000, 0x84);
  cr.HOSTNAME = "PROG.FIL";
  FC_SAVE(cr, buf, *host, true);
  FC_SAVE(cr, buf, *host, true);
  EXPECT_EQ(cr.HOSTNAME, "PROG~1.FIL");
  FC_SAVE(cr, buf, *host, false);  // same name, no uniqueness: replaced
  cr.HOSTNAME = "PROG.FIL";
  FC_SAVE(cr, buf, *host, true);
  EXPECT_EQ(cr.HOSTNAME, "PROG~2.FIL");
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  const auto bytes = testing::read_bytes(dir.file("PROG.FIL"));
  ASSERT_EQ(bytes.size(), 1040u);
  EXPECT_EQ(bytes[39], 0x84);
  EXPECT_EQ(bytes[30], 0x30);
  EXPECT_EQ(bytes[0], 0xD0);  // "P" in Agat code

  FC_READCAT(*host);
  TCATREC* e = testing::find_entry(*host, "PROG~1.FIL");
  ASSERT_NE(e, nullptr);
  e->AGATNAME.fill(0);
  FC_LOAD(*e, buf);
  EXPECT_EQ(e->SIZE, 1000);
  EXPECT_EQ(e->EXT, 0x84);
  EXPECT_EQ(e->AGATNAME, agat_name("PROG"));

  testing::write_bytes(dir.file("EMPTY.FIL"), std::vector<std::uint8_t>(40, 0xA0));
  testing::write_bytes(dir.file("HUGE.FIL"), std::vector<std::uint8_t>(40 + MAXFILESIZE + 5, 1));
  FC_READCAT(*host);
  FC_LOAD(*testing::find_entry(*host, "EMPTY.FIL"), buf);
  EXPECT_EQ(testing::find_entry(*host, "EMPTY.FIL")->SIZE, 0);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  FC_LOAD(*testing::find_entry(*host, "HUGE.FIL"), buf);
  EXPECT_EQ(testing::find_entry(*host, "HUGE.FIL")->SIZE, MAXFILESIZE);
  EXPECT_EQ(cp1251_to_utf8(FC_CRITICALERRORBUFFER)
                .rfind("Файл \"" + dir.file("HUGE.FIL") + "\" велик и будет усечён !\r\n", 0),
            0u);
  testing::take_critical();

  std::filesystem::remove(dir.file("EMPTY.FIL"));  // gone since it was listed
  FC_LOAD(*testing::find_entry(*host, "EMPTY.FIL"), buf);
  EXPECT_NE(testing::take_critical(), "");
}

TEST_F(CoreTest, UniqueNames) {
  TempDir dir;
  for (const char* n : {"A.FIL", "A~1.FIL", "NOEXT"}) testing::write_bytes(dir.file(n), {});
  std::string fn = "A.FIL";
  EXPECT_TRUE(FINDUNIQNAME(dir.host_path(), fn));
  EXPECT_EQ(fn, "A~2.FIL");
  fn = "NOEXT";  // no "." at all: the whole name counts as the extension
  EXPECT_TRUE(FINDUNIQNAME(dir.host_path(), fn));
  EXPECT_EQ(fn, "~1NOEXT");
  fn = "X.FIL";
  EXPECT_FALSE(FINDUNIQNAME(dir.file("missing-dir/sub") + "/", fn) && false);
  testing::take_critical();

  // A directory whose names cannot be looked at: every candidate counts as taken.
  fn = "X.FIL";
  testing::write_bytes(dir.file("plainfile"), {});
  EXPECT_FALSE(FINDUNIQNAME(dir.file("plainfile") + "/", fn));
  EXPECT_EQ(fn, "X.FIL");
  EXPECT_NE(cp1251_to_utf8(testing::take_critical()).find("Не удалось подобрать свободное имя"),
            std::string::npos);
}

}  // namespace
}  // namespace agat

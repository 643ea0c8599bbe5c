#include "core/file_transfer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "core/cp1251_literal.h"
#include "core/host_errors.h"
#include "support/host_faults.h"
#include "support/image_test.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::find_entry;
using testing::take_critical_text;

std::vector<std::uint8_t> random_bytes(std::int32_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> v(static_cast<std::size_t>(size));
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

class TransferTest : public testing::ImageTest {
 protected:
  // A file of random bytes from `seed`, put in buf, with T/S data $30..$38.
  static TCATREC record(const std::string& name, std::int32_t size, std::uint32_t seed = 0,
                        std::uint8_t ext = 0x04) {
    const auto data = random_bytes(size, seed);
    std::copy(data.begin(), data.end(), buf.begin());
    TCATREC cr;
    cr.CATRECT = CRTAGATFILE;
    cr.AGATNAME = agat_name(name);
    cr.EXT = ext;
    cr.SIZE = size;
    std::iota(cr.TSDATA.begin(), cr.TSDATA.end(), std::uint8_t{0x30});
    return cr;
  }
  // Saves a file, reads the catalog again and returns the new entry.
  TCATREC* save(const std::string& name, std::int32_t size, std::uint32_t seed) {
    TCATREC cr = record(name, size, seed);
    FC_SAVE(cr, buf, *md, false);
    EXPECT_EQ(take_critical_text(), "");
    reload();
    return find_entry(*md, name);
  }
  // The file loads as whole sectors, at least one, holding its bytes and zeros after them
  // (never what the buffer held past the file), and with the T/S data it was saved with.
  void expect_loads_back(TCATREC& e, std::int32_t size, std::uint32_t seed) {
    std::fill_n(buf.begin(), size, 0);
    FC_LOAD(e, buf);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
    EXPECT_EQ(e.SIZE, std::max(256, (size + 255) / 256 * 256));
    const auto want = random_bytes(size, seed);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), buf.begin()));
    EXPECT_TRUE(
        std::all_of(buf.begin() + size, buf.begin() + e.SIZE, [](auto b) { return b == 0; }));
    EXPECT_EQ(e.TSDATA, record("", 0).TSDATA);
  }
};

// The length byte counts data sectors and T/S lists (an empty file has one of each) and
// stops at 255. Exactly 122 sectors fill one list, which then has no successor; the
// second list of a longer file holds in bytes 5..6 the number of data sectors before it,
// and the T/S data only in the first. A file of the same name is replaced, its entry used
// again. The eighth entry goes into a new catalog sector linked after the first.
TEST_F(TransferTest, RoundTripsAndTheLengthByte) {
  make(ITI800);
  const std::tuple<const char*, std::int32_t, int> cases[] = {
      {"EMPTY", 0, 2},          {"ONE", 1, 2},
      {"S122", 122 * 256, 123}, {"S123", 123 * 256, 125},
      {"S200", 200 * 256, 202}, {"S300", 300 * 256, 255}};
  std::uint32_t seed = 1;
  for (auto [name, size, length_byte] : cases) {
    TCATREC* e = save(name, size, seed);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->SIZECAT, length_byte) << name;
    expect_loads_back(*e, size, seed++);
  }
  const TCATREC* e = find_entry(*md, "S122");
  EXPECT_EQ(as<TTSLSECTOR>(md->MASS[e->TTSL][e->STSL]).TE, 0);
  e = find_entry(*md, "S200");
  const auto& first = as<TTSLSECTOR>(md->MASS[e->TTSL][e->STSL]);
  const auto& second = as<TTSLSECTOR>(md->MASS[first.TE][first.SE]);
  EXPECT_EQ(std::tuple(get_le16(second.DATA + 2), second.TE, second.DATA[0]),
            std::tuple(122, 0, 0));

  TCATREC* again = save("ONE", 3000, 9);
  EXPECT_EQ(std::tuple(md->CAT.CATNUM, again->OCAT), std::tuple(7, 1));
  expect_loads_back(*again, 3000, 9);
  save("F6", 10, 7);
  TCATREC* last = save("F7", 10, 8);
  EXPECT_EQ(last->OCAT, 0);
  EXPECT_EQ(std::tuple(as<TCATSECTOR>(md->MASS[17][1]).TE, as<TCATSECTOR>(md->MASS[17][1]).SE),
            std::tuple(last->TCAT, last->SCAT));
  testing::DiskAudit(*md).expect_vtoc_matches();
}

// The largest file a new image holds: data sectors and their T/S lists fill every free
// sector, but never the VTOC, its extension sectors or the catalog, even where the map says
// they are free. A file of the name of a sub-catalog is refused, and so is one that does not
// fit (one byte more than the largest), without a change to the image.
TEST_F(TransferTest, TheLargestFileFillsTheDisk) {
  for (auto [type, sectors] : {std::pair{ITI140, 537}, {ITN800, 3307}}) {
    make(type);
    for (auto [t, s] : {std::pair{17, 0}, {17, 1}, {50, 0}, {114, 0}}) FREESECT(*md, t, s);
    TCATREC* e = save("MAX", sectors * 256, 4);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(md->FREESPACE, 0u);
    expect_loads_back(*e, sectors * 256, 4);
    testing::DiskAudit(*md).expect_vtoc_matches();
  }
  make(ITI140);
  FC_MAKEDIR(*md, agat_name("DIR"));  // two sectors: 535 data sectors and 5 lists are left
  reload();
  const auto before = image_bytes();
  TCATREC cr = record("DIR", 10);
  FC_SAVE(cr, buf, *md, false);
  EXPECT_EQ(take_critical_text(),
            "Удаление файла: маркер указывает на BTK-каталог !\r\n"
            "Записывался файл \"DIR                           \"\r\n");
  cr = record("TOO BIG", 535 * 256 + 1);
  FC_SAVE(cr, buf, *md, false);
  EXPECT_EQ(take_critical_text(),
            "Выделение сектора: закончилось свободное пространство среды.\r\n"
            "Записывался файл \"TOO BIG                       \"\r\n");
  EXPECT_EQ(image_bytes(), before);
}

// The first never-used entry ends the catalog, whatever follows it. A file saved into it
// leaves a catalog that still ends after it: after the last entry of a sector a link off the
// disk, or to a sector that does not start with a never-used entry, is cut; a link to a
// sector that does is kept.
TEST_F(TransferTest, ASavedFileKeepsTheCatalogEnded) {
  for (const int slot : {2, 6}) {
    for (const std::uint8_t link : {200, 20, 21}) {
      make(ITI140);
      auto& cs = as<TCATSECTOR>(md->MASS[17][1]);
      for (int o = 0; o < 7; ++o) cs.CR[o].TF = o < slot ? 0x10 + o : 0xAA;  // junk after
      cs.CR[slot].TF = 0;
      cs.TE = link;
      cs.SE = 3;
      md->MASS[20][3].fill(0);  // 21/3 is unread: $BD
      store();
      ASSERT_EQ(take_critical_text(), "") << slot;
      ASSERT_NE(save("NEW", 100, 1), nullptr) << slot << " " << int{link};
      EXPECT_EQ(md->CAT.CATNUM, slot + 2);
      EXPECT_EQ(as<TCATSECTOR>(md->MASS[17][1]).TE, slot == 6 && link != 20 ? 0 : link);
    }
  }
}

// Every byte keeps its offset: a data pair off the disk reads as zeros, with a warning; a
// pair of track 0 is a hole (zeros, whatever its sector byte) when data follows it, and the
// file ends at its last data sector; an unreadable data sector is copied, with a warning;
// a list that links to itself and an unreadable first list stop the load with a message.
TEST_F(TransferTest, LoadingDamagedFiles) {
  make(ITI800);
  TCATREC* e = save("F", 5 * 256, 1);
  auto& list = as<TTSLSECTOR>(md->MASS[e->TTSL][e->STSL]);
  const auto place = [](int t, int s) { return std::to_string(t) + "/" + std::to_string(s); };
  const std::string name = "Считывался файл \"F" + std::string(29, ' ') + "\"\r\n";
  const auto zeros_at = [&](int from) {
    return std::all_of(buf.begin() + from, buf.begin() + from + 256, [](auto b) { return b == 0; });
  };

  const std::uint8_t fifth = md->MASS[list.TSL[4][0]][list.TSL[4][1]][0];
  list.TSL[3][0] = 200;
  buf.fill(0x55);
  FC_LOAD(*e, buf);
  EXPECT_EQ(std::tuple(e->SIZE, zeros_at(3 * 256), buf[4 * 256]), std::tuple(5 * 256, true, fifth));
  EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER),
            "Загрузка файла: данные: указатель на сектор\r\nвыходит за пределы среды: " +
                place(200, list.TSL[3][1]) +
                "\r\nна месте сектора в файле оставлены нули (смещение 768)\r\n" + name);
  testing::take_critical();

  list.TSL[3][0] = 0;
  list.TSL[3][1] = 7;
  md->MASS[list.TSL[1][0]][list.TSL[1][1]].fill(0xBD);
  buf.fill(0x55);
  FC_LOAD(*e, buf);
  EXPECT_EQ(std::tuple(e->SIZE, buf[256], zeros_at(3 * 256), buf[4 * 256]),
            std::tuple(5 * 256, 0xBD, true, fifth));
  EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER), "Загрузка файла: данные: сектор " +
                                                  place(list.TSL[1][0], list.TSL[1][1]) +
                                                  " не читается\r\n" + name);
  testing::take_critical();
  list.TSL[4][0] = 0;  // holes at the end: the file ends at its last data sector
  FC_LOAD(*e, buf);
  EXPECT_EQ(e->SIZE, 3 * 256);
  testing::take_critical();

  for (auto& p : list.TSL) p[0] = 17, p[1] = 1;  // all 122 pairs used...
  list.TE = e->TTSL;                             // ...and the list links to itself
  list.SE = e->STSL;
  FC_LOAD(*e, buf);
  EXPECT_EQ(take_critical_text(),
            "Загрузка файла: t/s список: цепочка секторов замкнута в кольцо на секторе " +
                place(e->TTSL, e->STSL) + "\r\n" + name);
  e->TTSL = 3;
  e->STSL = 3;
  FC_LOAD(*e, buf);
  EXPECT_EQ(e->SIZE, 0);
  EXPECT_EQ(take_critical_text(), "Загрузка файла: t/s список: сектор 3/3 не читается\r\n" + name);

  // 40 lists chained, each with 122 pairs of one data sector: the load stops at 3999
  // sectors, which the buffer holds, with a message.
  for (int i = 0; i < 40; ++i) {
    auto& l = as<TTSLSECTOR>(md->MASS[100 + i][0]);
    l = TTSLSECTOR{};
    l.TE = static_cast<std::uint8_t>(i < 39 ? 101 + i : 0);
    for (auto& p : l.TSL) p[0] = 99, p[1] = 1;
  }
  md->MASS[99][1].fill(7);
  e->TTSL = 100;
  e->STSL = 0;
  FC_LOAD(*e, buf);
  EXPECT_EQ(e->SIZE, 3999 * 256);
  EXPECT_EQ(take_critical_text(),
            "Буфер переполнен при чтении файла.\r\nВозможно, это ошибка в файловой системе "
            "диска.\r\n" +
                name);
}

// A ".FIL" file is a 40-byte header (name, T/S data, type) and the bytes. Saved with
// unique names it gets NAME~1.FIL, NAME~2.FIL... (the first free); without, it replaces
// the file. Loaded, it gives its bytes and its header; a bare header is an empty file; a
// file larger than the buffer is cut, with a message; one gone since it was listed is a
// message.
TEST_F(TransferTest, FilFilesOnTheHost) {
  auto host = testing::new_medium();
  host->HOSTPATH = dir.host_path();
  TCATREC cr = record("PROG", 1000, 9, 0x84);
  cr.HOSTNAME = "PROG.FIL";
  FC_SAVE(cr, buf, *host, true);
  FC_SAVE(cr, buf, *host, true);
  EXPECT_EQ(cr.HOSTNAME, "PROG~1.FIL");
  FC_SAVE(cr, buf, *host, false);
  cr.HOSTNAME = "PROG.FIL";
  FC_SAVE(cr, buf, *host, true);
  EXPECT_EQ(cr.HOSTNAME, "PROG~2.FIL");
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  // A name without "." counts whole as the extension. In a directory whose names cannot be
  // looked at no name is free: the search gives up after a bounded number of candidates.
  std::string noext = "PROG", x = "X.FIL";
  testing::write_bytes(dir.file("PROG"), {});
  EXPECT_TRUE(FINDUNIQNAME(dir.host_path(), noext));
  EXPECT_FALSE(FINDUNIQNAME(dir.file("PROG") + "/", x));
  EXPECT_EQ(std::tuple(noext, x), std::tuple("~1PROG", "X.FIL"));
  EXPECT_NE(take_critical_text().find("Не удалось подобрать свободное имя"), std::string::npos);
  const auto file = testing::read_bytes(dir.file("PROG.FIL"));
  ASSERT_EQ(file.size(), 1040u);
  EXPECT_EQ(std::tuple(file[0], file[30], file[39]), std::tuple(0xD0, 0x30, 0x84));  // "P"

  testing::write_bytes(dir.file("EMPTY.FIL"), std::vector<std::uint8_t>(40, 0xA0));
  testing::write_bytes(dir.file("HUGE.FIL"), std::vector<std::uint8_t>(40 + MAXFILESIZE + 5, 1));
  FC_READCAT(*host);
  TCATREC& e = *find_entry(*host, "PROG~1.FIL");
  e.AGATNAME.fill(0);
  std::fill_n(buf.begin(), 1000, 0);
  FC_LOAD(e, buf);
  EXPECT_EQ(std::tuple(e.SIZE, e.EXT, e.AGATNAME, e.TSDATA),
            std::tuple(1000, 0x84, agat_name("PROG"), cr.TSDATA));
  const auto want = random_bytes(1000, 9);
  EXPECT_TRUE(std::equal(want.begin(), want.end(), buf.begin()));

  TCATREC& empty = *find_entry(*host, "EMPTY.FIL");
  TCATREC& huge = *find_entry(*host, "HUGE.FIL");
  FC_LOAD(empty, buf);
  EXPECT_EQ(std::tuple(empty.SIZE, FC_CRITICALERRORBUFFER), std::tuple(0, ""));
  FC_LOAD(huge, buf);
  EXPECT_EQ(huge.SIZE, MAXFILESIZE);
  EXPECT_EQ(take_critical_text().rfind(
                "Файл \"" + dir.file("HUGE.FIL") + "\" велик и будет усечён !\r\n", 0),
            0u);
  std::filesystem::remove(dir.file("EMPTY.FIL"));
  FC_LOAD(empty, buf);
  EXPECT_NE(take_critical_text(), "");

  // A failing host leaves the old ".FIL" file as it was.
  cr.HOSTNAME = "PROG.FIL";
  cr.SIZE = 3000;
  const auto reason = [](int e) { return cp1251_to_utf8(host_error_text(e)); };
  testing::expect_failures_keep_file(dir, dir.file("PROG.FIL"), false, reason, [&] {
    FC_SAVE(cr, buf, *host, false);
    return take_critical_text();
  });
}

}  // namespace
}  // namespace agat

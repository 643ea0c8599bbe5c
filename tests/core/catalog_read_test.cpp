#include "core/catalog_read.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/catalog_sort.h"
#include "core/cp1251_literal.h"
#include "core/file_transfer.h"
#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "support/testdata.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::CoreTest;
using testing::name_text;
using testing::TempDir;

std::unique_ptr<TMEDIA> read_image(const std::string& dir, const std::string& name, TIMAGET type) {
  auto md = testing::image_medium(dir, name, type);
  FC_READCAT(*md);
  return md;
}

std::vector<std::uint8_t> whole_sectors(std::vector<std::uint8_t> bytes) {
  bytes.resize((bytes.size() + 255) / 256 * 256, 0);
  if (bytes.empty()) bytes.resize(256, 0);
  return bytes;
}

std::vector<std::uint8_t> with_head(std::initializer_list<std::uint8_t> head,
                                    std::vector<std::uint8_t> body) {
  body.insert(body.begin(), head);
  return body;
}

struct Expected {
  std::string name;
  char type;
  bool locked;
  bool deleted;
  std::vector<std::uint8_t> bytes;  // the file as stored, before padding to whole sectors
};

std::vector<Expected> files_dsk_catalog() {
  auto src = [](const std::string& f) {
    return testing::read_bytes(testing::testdata("src/" + f));
  };
  std::vector<Expected> list = {
      {"HELLO", 'A', false, false, src("hello.tok")},
      {"README", 'T', false, false, src("readme.apple")},
      {"RANDOM.BIN", 'B', false, false, with_head({0x00, 0x60, 0xE8, 0x03}, src("random1000.bin"))},
      {"LOCKED.BIN", 'B', true, false, with_head({0x00, 0x03, 0x2C, 0x01}, src("locked300.bin"))},
      {"BIG.BIN", 'B', false, false, with_head({0x00, 0x08, 0xB8, 0x88}, src("big35000.bin"))},
      {"TEXT122", 'T', false, false, src("text122sec.apple")},
      {"TEXT123", 'T', false, false, src("text123sec.apple")},
  };
  for (int i = 1; i <= 24; ++i) {
    char name[16], file[32];
    std::snprintf(name, sizeof name, "FILE.%02d", i);
    std::snprintf(file, sizeof file, "file%02d.apple", i);
    list.push_back({name, 'T', false, false, src(file)});
  }
  list.push_back({"MY FILE. 1", 'T', false, false, src("odd.apple")});
  list.push_back({"DELETED.BIN", 'B', false, true,
                  with_head({0x00, 0x40, 0xF4, 0x01}, src("deleted500.bin"))});
  return list;
}

// The catalog of an image written by an independent DOS 3.3 tool, in both the plain and
// the nibble form, lists exactly its files, and every file loads as its source bytes.
TEST_F(CoreTest, IndependentImagesListAndLoadTheirFiles) {
  AGAT_REQUIRE_TESTDATA();
  const auto expected = files_dsk_catalog();
  for (auto [file, type] :
       {std::pair{"dos33/files.dsk", ITI140}, std::pair{"nib/files.nib", ITN140}}) {
    SCOPED_TRACE(file);
    TempDir dir;
    std::filesystem::copy_file(testing::testdata(file), dir.file("img"));
    auto md = read_image(dir.host_path(), "img", type);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
    ASSERT_EQ(md->CAT.CATNUM, 1 + static_cast<int>(expected.size()));
    EXPECT_EQ(md->CAT.CATREC[0].HOSTNAME, "..");
    EXPECT_EQ(md->FREESPACE, 43u);
    static TFILEBUF buf;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      TCATREC& e = md->CAT.CATREC[i + 1];
      SCOPED_TRACE(expected[i].name);
      const std::size_t compared = expected[i].deleted ? 10 : 30;
      EXPECT_EQ(e.CATRECT, CRTAGATFILE);
      // A deleted entry's last name character holds the former T/S-list track.
      EXPECT_EQ(name_text(e.AGATNAME).substr(0, compared), expected[i].name.substr(0, compared));
      EXPECT_EQ(FC_FTYPE(e.EXT), expected[i].type);
      EXPECT_EQ((e.EXT & 0x80) != 0, expected[i].locked);
      EXPECT_EQ(e.TTSL == 0xFF, expected[i].deleted);
      EXPECT_EQ(e.HOSTNAME, "<not_set>");
      EXPECT_EQ(e.OCAT, static_cast<int>(i % 7));
      FC_LOAD(e, buf);
      ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
      const auto want = whole_sectors(expected[i].bytes);
      ASSERT_EQ(e.SIZE, static_cast<int>(want.size()));
      EXPECT_TRUE(std::equal(want.begin(), want.end(), buf.begin()));
    }
  }
}

// The same files saved by the core into an empty disk of the independent tool come out
// with the layout that tool gave them: entries, types, lengths, deletion marks, the
// second T/S list's count of earlier sectors, and the number of free sectors.
TEST_F(CoreTest, FilesSavedByTheCoreKeepTheLayoutOfTheIndependentTool) {
  AGAT_REQUIRE_TESTDATA();
  TempDir dir;
  std::filesystem::copy_file(testing::testdata("dos33/empty.dsk"), dir.file("ours.dsk"));
  std::filesystem::copy_file(testing::testdata("dos33/files.dsk"), dir.file("theirs.dsk"));
  auto theirs = read_image(dir.host_path(), "theirs.dsk", ITI140);
  auto ours = read_image(dir.host_path(), "ours.dsk", ITI140);
  static TFILEBUF buf;
  const auto expected = files_dsk_catalog();
  for (const Expected& file : expected) {
    TCATREC cr;
    cr.AGATNAME = agat_name(file.name);
    cr.EXT = static_cast<std::uint8_t>(testing::find_entry(*theirs, file.name) != nullptr
                                           ? testing::find_entry(*theirs, file.name)->EXT
                                           : 0x04);
    cr.SIZE = static_cast<std::int32_t>(file.bytes.size());
    buf.fill(0);  // the rest of the last sector comes from the buffer: zeros, as the tool wrote
    std::copy(file.bytes.begin(), file.bytes.end(), buf.begin());
    FC_SAVE(cr, buf, *ours, false);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "") << file.name;
    FC_READCAT(*ours);
  }
  FC_DELETE(*testing::find_entry(*ours, "DELETED.BIN"));
  FC_READCAT(*ours);

  ASSERT_EQ(ours->CAT.CATNUM, theirs->CAT.CATNUM);
  EXPECT_EQ(ours->FREESPACE, theirs->FREESPACE);
  for (int i = 1; i < ours->CAT.CATNUM; ++i) {
    TCATREC& a = ours->CAT.CATREC[i];
    TCATREC& b = theirs->CAT.CATREC[i];
    SCOPED_TRACE(expected[i - 1].name);
    EXPECT_EQ(a.EXT, b.EXT);
    EXPECT_EQ(a.SIZECAT, b.SIZECAT);
    EXPECT_EQ(a.TTSL == 0xFF, b.TTSL == 0xFF);
    EXPECT_TRUE(std::equal(a.AGATNAME.begin(), a.AGATNAME.end() - 1, b.AGATNAME.begin()));
    FC_LOAD(a, buf);
    const std::vector<std::uint8_t> mine(buf.begin(), buf.begin() + a.SIZE);
    FC_LOAD(b, buf);
    EXPECT_EQ(mine, std::vector<std::uint8_t>(buf.begin(), buf.begin() + b.SIZE));
    // A file of more than 122 sectors continues in a second list that counts the first 122.
    const auto& first_a =
        as<TTSLSECTOR>(ours->MASS[a.TTSL == 0xFF ? a.AGATNAME[29] : a.TTSL][a.STSL]);
    const auto& first_b =
        as<TTSLSECTOR>(theirs->MASS[b.TTSL == 0xFF ? b.AGATNAME[29] : b.TTSL][b.STSL]);
    EXPECT_EQ(first_a.TE != 0, first_b.TE != 0);
    if (first_a.TE != 0 && first_b.TE != 0) {
      EXPECT_EQ(get_le16(as<TTSLSECTOR>(ours->MASS[first_a.TE][first_a.SE]).DATA + 2),
                get_le16(as<TTSLSECTOR>(theirs->MASS[first_b.TE][first_b.SE]).DATA + 2));
    }
  }
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
}

TEST_F(CoreTest, IndependentImagesOfOtherShapes) {
  AGAT_REQUIRE_TESTDATA();
  TempDir dir;
  auto copy = [&](const char* from, const char* to) {
    std::filesystem::copy_file(testing::testdata(from), dir.file(to));
  };
  copy("dos33/full.dsk", "full.dsk");
  copy("other/minimal.img", "minimal.dsk");
  copy("other/lots-of-dirents.dsk", "lots.dsk");
  copy("other/dos-files.do", "types.dsk");
  copy("other/stale-deleted.dsk", "stale.dsk");
  copy("other/aw-init-13sector.nib", "13.nib");

  auto full = read_image(dir.host_path(), "full.dsk", ITI140);
  EXPECT_EQ(full->FREESPACE, 0u);
  ASSERT_NE(testing::find_entry(*full, "BIG300"), nullptr);
  EXPECT_EQ(testing::find_entry(*full, "BIG300")->SIZECAT, 47);  // 303 modulo 256
  static TFILEBUF buf;
  FC_LOAD(*testing::find_entry(*full, "BIG300"), buf);
  EXPECT_EQ(testing::find_entry(*full, "BIG300")->SIZE, 300 * 256);
  const auto big = testing::read_bytes(testing::testdata("src/full_big300sec.apple"));
  EXPECT_TRUE(std::equal(big.begin(), big.end(), buf.begin()));

  // A catalog chain in any order is followed by its links.
  auto minimal = read_image(dir.host_path(), "minimal.dsk", ITI140);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_GE(minimal->CAT.CATNUM, 1);

  // 18 empty catalog sectors over two tracks: nothing but "..".
  auto lots = read_image(dir.host_path(), "lots.dsk", ITI140);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_EQ(lots->CAT.CATNUM, 1);

  auto types = read_image(dir.host_path(), "types.dsk", ITI140);
  std::string letters;
  for (int i = 1; i < types->CAT.CATNUM; ++i) letters += FC_FTYPE(types->CAT.CATREC[i].EXT);
  for (char c : {'T', 'I', 'A', 'B'}) EXPECT_NE(letters.find(c), std::string::npos) << c;

  // Deleted entries whose T/S lists were reused: listing and loading never go astray.
  auto stale = read_image(dir.host_path(), "stale.dsk", ITI140);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_EQ(stale->CAT.CATNUM, 1 + 19);
  EXPECT_EQ(stale->CAT.CATREC[2].TTSL, 0xFF);
  for (int i = 1; i < stale->CAT.CATNUM; ++i) {
    FC_LOAD(stale->CAT.CATREC[i], buf);
    EXPECT_LE(stale->CAT.CATREC[i].SIZE, MAXFILESIZE);
    testing::take_critical();
  }

  // A 13-sector disk decodes to nothing: its VTOC is unreadable.
  auto thirteen = read_image(dir.host_path(), "13.nib", ITN140);
  EXPECT_TRUE(thirteen->VTOCINVALID);
  EXPECT_EQ(thirteen->CAT.CATNUM, 1);
  EXPECT_EQ(thirteen->FREESPACE, 0u);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Чтение каталога среды: VTOC: сектор 17/0 не читается\r\n");
}

class ImageCatalogTest : public CoreTest {
 protected:
  TempDir dir;
  std::unique_ptr<TMEDIA> md = testing::create_image(dir.host_path(), "c.dsk", ITI140);
  TCATSECTOR& cat(int t, int s) { return as<TCATSECTOR>(md->MASS[t][s]); }
  void put(int t, int s, int o, std::uint8_t tf, std::uint8_t type, const std::string& name) {
    TCATREC33& e = cat(t, s).CR[o];
    e.TF = tf;
    e.SF = 5;
    e.E = type;
    const TAGATNAME n = agat_name(name);
    std::copy(n.begin(), n.end(), e.N);
    e.L = 3;
    e.R = 0;
  }
  std::unique_ptr<TMEDIA> saved_and_read() {
    FC_SAVEMEDIA(*md, false);
    return read_image(dir.host_path(), "c.dsk", ITI140);
  }
};

TEST_F(ImageCatalogTest, EntryKindsAndTheEndOfTheCatalog) {
  put(17, 1, 0, 10, 0xFF, "SUB");
  put(17, 1, 1, 0xFF, 0x04, "GONE");
  put(17, 1, 2, 11, 0x84, "PROG");
  cat(17, 1).CR[2].R = 0x80;               // hidden
  put(17, 1, 4, 12, 0x00, "NEVER SHOWN");  // after an entry with TF 0
  auto m = saved_and_read();
  ASSERT_EQ(m->CAT.CATNUM, 4);
  EXPECT_EQ(m->CAT.CATREC[1].CATRECT, CRTBTKDIR);
  EXPECT_EQ(m->CAT.CATREC[2].TTSL, 0xFF);
  EXPECT_EQ(m->CAT.CATREC[3].HID, 0x80);
  EXPECT_EQ(m->CAT.CATREC[3].SIZECAT, 3);
  EXPECT_EQ(m->CAT.CATREC[3].TCAT, 17);
  EXPECT_EQ(m->CAT.CATREC[3].SCAT, 1);
  EXPECT_EQ(m->CAT.CATREC[3].OCAT, 2);
  EXPECT_EQ(m->CAT.CATREC[0].AGATNAME, TAGATNAME{});
  EXPECT_EQ(m->VOLUMEID[0], 0x8D);
  EXPECT_EQ(m->VOLUMEID[1], 0xA0);  // from the first zero byte on: Agat blanks
  EXPECT_EQ(m->VOLUMEID[30], 0xA0);
  EXPECT_EQ(m->FREESPACE, 542u);

  cat(17, 1).CR[0].TF = 0;
  m = saved_and_read();
  EXPECT_EQ(m->CAT.CATNUM, 1);
}

TEST_F(ImageCatalogTest, DamagedCatalogsKeepWhatWasRead) {
  put(17, 1, 0, 10, 0x04, "A");
  for (int o = 1; o < 7; ++o) put(17, 1, o, 10, 0x04, "F" + std::to_string(o));
  cat(17, 1).TE = 17;
  cat(17, 1).SE = 9;  // never written: unreadable
  auto m = saved_and_read();
  EXPECT_EQ(m->CAT.CATNUM, 8);
  EXPECT_FALSE(m->VTOCINVALID);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Чтение каталога среды: каталог: сектор 17/9 не читается\r\n");

  // A chain that loops ends at the entry limit.
  cat(17, 1).SE = 1;
  m = saved_and_read();
  EXPECT_EQ(m->CAT.CATNUM, MAXCATSIZE);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Превышен внутренний лимит на число имён в каталоге\r\n");

  md->MASS[17][0].fill(0xBD);
  m = saved_and_read();
  EXPECT_TRUE(m->VTOCINVALID);
  EXPECT_EQ(m->CAT.CATNUM, 1);
  EXPECT_EQ(m->FREESPACE, 0u);
  testing::take_critical();

  // A message left by an earlier step stops the read: not even ".." is listed.
  FC_CRITICALERRORBUFFER = "earlier\r\n";
  FC_READCAT(*m);
  EXPECT_EQ(m->CAT.CATNUM, 0);
  EXPECT_TRUE(m->VTOCINVALID);
}

TEST_F(CoreTest, HostDirectoryListing) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("sub"));
  for (TIMAGET t :
       {ITI140, IT4I140, IT128I140, ITN140, ITI800, IT4I800, IT128I800, ITN800, ITA800}) {
    std::filesystem::path p = dir.file(std::string("img") + testing::image_type_name(t));
    std::ofstream(p).close();
    std::filesystem::resize_file(p, static_cast<std::uintmax_t>(IMAGEDESC[t].FULLSIZE));
  }
  std::ofstream(dir.file("odd.dsk")).close();
  std::filesystem::resize_file(dir.file("odd.dsk"), 143365);  // one byte too long: not listed
  auto fil = [&](const std::string& name, std::size_t data_size, std::uint8_t ext) {
    std::vector<std::uint8_t> bytes(40 + data_size, 0);
    const TAGATNAME n = agat_name("AGAT " + name);
    std::copy(n.begin(), n.end(), bytes.begin());
    bytes[30] = 0x11;
    bytes[39] = ext;
    testing::write_bytes(dir.file(name), bytes);
  };
  fil("a.fil", 0, 0x02);
  fil("B.FIL", 257, 0x84);
  fil(".FIL", 10, 0x00);
  testing::write_bytes(dir.file("short.FiL"), {1, 2, 3});  // no whole header

  auto md = testing::new_medium();
  md->HOSTPATH = dir.host_path();
  FC_READCAT(*md);
  EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER),
            "ReadCat: не удалось обратится к файлу short.FiL\r\n");
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()), "");
  EXPECT_EQ(md->CAT.CATNUM, 2 + 9 + 3);
  ASSERT_NE(testing::find_entry(*md, ".."), nullptr);
  EXPECT_EQ(testing::find_entry(*md, "sub")->CATRECT, CRTHOSTFSDIR);
  EXPECT_EQ(testing::find_entry(*md, "sub")->AGATNAME, NOT_SET_AGATNAME);
  EXPECT_EQ(testing::find_entry(*md, "imgIT4I140")->IMAGET, IT4I140);
  EXPECT_EQ(testing::find_entry(*md, "imgITA800")->IMAGET, ITA800);
  EXPECT_EQ(testing::find_entry(*md, "odd.dsk"), nullptr);
  const TCATREC* b = testing::find_entry(*md, "B.FIL");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->CATRECT, CRTAGATFILE);
  EXPECT_EQ(b->SIZECAT, 2);
  EXPECT_EQ(b->EXT, 0x84);
  EXPECT_EQ(b->TSDATA[0], 0x11);
  EXPECT_EQ(name_text(b->AGATNAME), "AGAT B.FIL");
  EXPECT_EQ(testing::find_entry(*md, "a.fil")->SIZECAT, 0);
  EXPECT_NE(testing::find_entry(*md, ".FIL"), nullptr);
  EXPECT_FALSE(md->VTOCINVALID);

  md->CAT.SORTMODE = SMTYPE;
  FC_SORTCAT(*md);
  std::vector<TCATRECT> kinds;
  for (int i = 0; i < md->CAT.CATNUM; ++i) kinds.push_back(md->CAT.CATREC[i].CATRECT);
  EXPECT_TRUE(std::is_sorted(kinds.begin(), kinds.end()));
  // Images by type when sorting by type, by name when sorting by name.
  EXPECT_EQ(md->CAT.CATREC[2].HOSTNAME, "imgITI140");
  EXPECT_EQ(md->CAT.CATREC[10].HOSTNAME, "imgITA800");
  md->CAT.SORTMODE = SMNAME;
  FC_SORTCAT(*md);
  EXPECT_EQ(md->CAT.CATREC[2].HOSTNAME, "imgIT128I140");
}

TEST_F(CoreTest, TheRootHasNoParentEntry) {
  auto md = testing::new_medium();
  md->HOSTPATH = "/";
  FC_READCAT(*md);
  EXPECT_EQ(testing::find_entry(*md, ".."), nullptr);
  testing::take_critical();
}

TEST(CatalogOrder, TypeLettersAndCollation) {
  EXPECT_EQ(FC_FTYPE(0x00), 'T');
  EXPECT_EQ(FC_FTYPE(0x01), 'I');
  EXPECT_EQ(FC_FTYPE(0x84), 'B');
  EXPECT_EQ(FC_FTYPE(0x06), 'B');
  EXPECT_EQ(FC_FTYPE(0x10), "П"_w[0]);
  EXPECT_EQ(FC_FTYPE(0x20), "К"_w[0]);
  EXPECT_EQ(FC_FTYPE(0x7F), "Д"_w[0]);

  auto raw = [](std::initializer_list<int> codes) {
    TAGATNAME n;
    n.fill(0xA0);
    int i = 0;
    for (int c : codes) n[i++] = static_cast<std::uint8_t>(c);
    return n;
  };
  EXPECT_TRUE(AGATNAME_IS_LESS(raw({0xDA}), raw({0xE1})));  // Latin Z before Cyrillic А
  EXPECT_TRUE(AGATNAME_IS_LESS(raw({0xE1}), raw({0xF1})));  // А before Я
  EXPECT_TRUE(AGATNAME_IS_LESS(raw({0xE2}), raw({0xF7})));  // Б before В
  EXPECT_TRUE(AGATNAME_IS_LESS(raw({0xFE}), raw({0xE0})));  // Ч before Ю
  EXPECT_TRUE(AGATNAME_IS_LESS(raw({0x80}), raw({0xA0})));
  EXPECT_TRUE(AGATNAME_IS_LESS(raw({0xDF}), raw({0x40})));
  EXPECT_FALSE(AGATNAME_IS_LESS(raw({0xC1}), raw({0xC1})));
}

TEST_F(ImageCatalogTest, SortingByNameAndByType) {
  put(17, 1, 0, 0xFF, 0x00, "ZZ DELETED");
  put(17, 1, 1, 10, 0x04, "Б");
  put(17, 1, 2, 10, 0x00, "Б");
  put(17, 1, 3, 10, 0xFF, "SUBDIR");
  put(17, 1, 4, 10, 0x02, "A");
  put(17, 1, 5, 10, 0x00, "Я");
  auto m = saved_and_read();
  auto order = [&] {
    std::vector<std::string> names;
    for (int i = 0; i < m->CAT.CATNUM; ++i)
      names.push_back(i == 0 ? m->CAT.CATREC[0].HOSTNAME
                             : name_text(m->CAT.CATREC[i].AGATNAME) + "/" +
                                   cp1251_to_utf8(std::string(1, FC_FTYPE(m->CAT.CATREC[i].EXT))));
    return names;
  };
  const auto unsorted = order();
  m->CAT.SORTMODE = SMNO;
  FC_SORTCAT(*m);
  EXPECT_EQ(order(), unsorted);
  m->CAT.SORTMODE = SMNAME;
  FC_SORTCAT(*m);
  EXPECT_EQ(order(), (std::vector<std::string>{"..", "SUBDIR/Д", "A/A", "Б/T", "Б/B", "Я/T",
                                               "ZZ DELETED/T"}));
  m->CAT.SORTMODE = SMTYPE;
  FC_SORTCAT(*m);
  EXPECT_EQ(order(), (std::vector<std::string>{"..", "SUBDIR/Д", "Б/T", "Я/T", "A/A", "Б/B",
                                               "ZZ DELETED/T"}));
}

}  // namespace
}  // namespace agat

#include "core/catalog_read.h"

#include <gtest/gtest.h>

#include "core/cp1251_literal.h"
#include "support/image_test.h"
#include "support/testdata.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::CoreTest;
using testing::find_entry;
using testing::name_text;
using testing::take_critical_text;
using testing::TempDir;

TFILEBUF buf;

// A copy of an image of the test data folder in `dir`, its catalog read.
std::unique_ptr<TMEDIA> read_copy(const TempDir& dir, const std::string& from,
                                  TIMAGET type = ITI140) {
  const std::string name = testing::host_string(std::filesystem::path(from).filename());
  std::filesystem::copy_file(testing::testdata(from), dir.file(name));
  // The test images may be read-only; their copies are for writing.
  std::filesystem::permissions(dir.file(name), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  auto md = testing::image_medium(dir.host_path(), name, type);
  FC_READCAT(*md);
  return md;
}

std::vector<std::uint8_t> loaded(TCATREC& e) {
  FC_LOAD(e, buf);
  return {buf.begin(), buf.begin() + e.SIZE};
}

struct Expected {
  std::string name;
  std::string kind;                 // type letter, "*" when locked, "-" when deleted
  std::vector<std::uint8_t> bytes;  // the file as stored, before padding to whole sectors
};

// The files of dos33/files.dsk in catalog order, from their sources.
std::vector<Expected> files_dsk_catalog() {
  const auto src = [](const std::string& f, std::vector<std::uint8_t> head = {}) {
    const auto body = testing::read_bytes(testing::testdata("src/" + f));
    head.insert(head.end(), body.begin(), body.end());
    return head;
  };
  std::vector<Expected> list = {
      {"HELLO", "A", src("hello.tok")},
      {"README", "T", src("readme.apple")},
      {"RANDOM.BIN", "B", src("random1000.bin", {0x00, 0x60, 0xE8, 0x03})},
      {"LOCKED.BIN", "B*", src("locked300.bin", {0x00, 0x03, 0x2C, 0x01})},
      {"BIG.BIN", "B", src("big35000.bin", {0x00, 0x08, 0xB8, 0x88})},
      {"TEXT122", "T", src("text122sec.apple")},
      {"TEXT123", "T", src("text123sec.apple")},
  };
  for (int i = 1; i <= 24; ++i) {
    const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
    list.push_back({"FILE." + n, "T", src("file" + n + ".apple")});
  }
  list.push_back({"MY FILE. 1", "T", src("odd.apple")});
  list.push_back({"DELETED.BIN", "B-", src("deleted500.bin", {0x00, 0x40, 0xF4, 0x01})});
  return list;
}

std::string kind(const TCATREC& e) {
  return std::string(1, FC_FTYPE(e.EXT)) + (e.EXT & 0x80 ? "*" : "") + (e.TTSL == 0xFF ? "-" : "");
}

// The catalog of an image written by an independent DOS 3.3 tool, in both the plain and
// the nibble form, lists exactly its files, and every file loads as its source bytes
// followed by the zeros of its last sector. A deleted entry's last name character holds
// the former T/S-list track.
TEST_F(CoreTest, IndependentImagesListAndLoadTheirFiles) {
  AGAT_REQUIRE_TESTDATA();
  const auto expected = files_dsk_catalog();
  for (auto [file, type] : {std::pair{"dos33/files.dsk", ITI140}, {"nib/files.nib", ITN140}}) {
    TempDir dir;
    auto md = read_copy(dir, file, type);
    ASSERT_EQ(md->CAT.CATNUM, 1 + static_cast<int>(expected.size())) << file;
    EXPECT_EQ(md->FREESPACE, 43u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      TCATREC& e = md->CAT.CATREC[i + 1];
      const Expected& x = expected[i];
      const std::size_t compared = x.kind.back() == '-' ? 10 : 30;
      EXPECT_EQ(std::tuple(name_text(e.AGATNAME).substr(0, compared), kind(e), e.OCAT),
                std::tuple(x.name.substr(0, compared), x.kind, static_cast<int>(i % 7)))
          << file;
      std::vector<std::uint8_t> want = x.bytes;
      want.resize(std::max<std::size_t>(256, (want.size() + 255) / 256 * 256), 0);
      EXPECT_EQ(loaded(e), want) << file << " " << x.name;
    }
  }
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
}

// The same files saved by the core into an empty disk of the independent tool come out
// with the layout that tool gave them: entries, types, lengths, deletion marks, the
// second T/S list's count of earlier sectors, and the number of free sectors.
TEST_F(CoreTest, FilesSavedByTheCoreKeepTheLayoutOfTheIndependentTool) {
  AGAT_REQUIRE_TESTDATA();
  TempDir dir;
  auto theirs = read_copy(dir, "dos33/files.dsk");
  auto ours = read_copy(dir, "dos33/empty.dsk");
  const auto expected = files_dsk_catalog();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    TCATREC cr;
    cr.AGATNAME = agat_name(expected[i].name);
    cr.EXT = theirs->CAT.CATREC[i + 1].EXT;
    cr.SIZE = static_cast<std::int32_t>(expected[i].bytes.size());
    buf.fill(0);  // the rest of the last sector comes from the buffer: zeros, as the tool wrote
    std::copy(expected[i].bytes.begin(), expected[i].bytes.end(), buf.begin());
    FC_SAVE(cr, buf, *ours, false);
    FC_READCAT(*ours);
  }
  FC_DELETE(*find_entry(*ours, "DELETED.BIN"));
  FC_READCAT(*ours);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");

  ASSERT_EQ(ours->CAT.CATNUM, theirs->CAT.CATNUM);
  EXPECT_EQ(ours->FREESPACE, theirs->FREESPACE);
  // Everything but the T/S-list places: the second list's count of the data sectors before
  // it (0 without one) in place of the list itself.
  const auto layout = [](TMEDIA& md, TCATREC& e) {
    const auto& first = as<TTSLSECTOR>(md.MASS[e.TTSL == 0xFF ? e.AGATNAME[29] : e.TTSL][e.STSL]);
    const int count =
        first.TE == 0 ? 0 : get_le16(as<TTSLSECTOR>(md.MASS[first.TE][first.SE]).DATA + 2);
    return std::tuple(name_text(e.AGATNAME).substr(0, 29), kind(e), e.SIZECAT, count, loaded(e));
  };
  for (int i = 1; i < ours->CAT.CATNUM; ++i)
    EXPECT_EQ(layout(*ours, ours->CAT.CATREC[i]), layout(*theirs, theirs->CAT.CATREC[i])) << i;
}

TEST_F(CoreTest, IndependentImagesOfOtherShapes) {
  AGAT_REQUIRE_TESTDATA();
  TempDir dir;
  // A full disk: 300 data sectors and 3 lists give the length byte 303 modulo 256.
  auto full = read_copy(dir, "dos33/full.dsk");
  EXPECT_EQ(full->FREESPACE, 0u);
  TCATREC* big = find_entry(*full, "BIG300");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->SIZECAT, 47);
  EXPECT_EQ(loaded(*big), testing::read_bytes(testing::testdata("src/full_big300sec.apple")));
  // A catalog chain out of order; 18 empty catalog sectors over two tracks.
  EXPECT_NE(find_entry(*read_copy(dir, "other/minimal.img"), "HELLO"), nullptr);
  EXPECT_EQ(read_copy(dir, "other/lots-of-dirents.dsk")->CAT.CATNUM, 1);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");

  auto types = read_copy(dir, "other/dos-files.do");
  std::string letters;
  for (int i = 1; i < types->CAT.CATNUM; ++i) letters += kind(types->CAT.CATREC[i]);
  EXPECT_EQ(letters, "TAITBBB*TIД*ДTTBB"_w);

  // Deleted entries whose T/S lists were reused: listing and loading never go astray.
  auto stale = read_copy(dir, "other/stale-deleted.dsk");
  EXPECT_EQ(stale->CAT.CATNUM, 1 + 19);
  for (int i = 1; i < stale->CAT.CATNUM; ++i)
    EXPECT_LE(loaded(stale->CAT.CATREC[i]).size(), std::size_t{MAXFILESIZE});
  testing::take_critical();

  // A 13-sector disk decodes to nothing: its VTOC is unreadable.
  read_copy(dir, "other/aw-init-13sector.nib", ITN140);
  EXPECT_EQ(take_critical_text(), "Чтение каталога среды: VTOC: сектор 17/0 не читается\r\n");
}

class ImageCatalogTest : public testing::ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    make();
  }
  TCATSECTOR& cat() { return as<TCATSECTOR>(md->MASS[17][1]); }
  void put(int o, std::uint8_t tf, std::uint8_t type, const std::string& name) {
    TCATREC33& e = cat().CR[o];
    e = {tf, 5, type, {}, 3, 0};
    const TAGATNAME n = agat_name(name);
    std::copy(n.begin(), n.end(), e.N);
  }
};

// $FF in the type byte is a sub-catalog, $FF in the track a deleted entry, bit 7 of the
// last byte a hidden one; an entry with track 0 ends the catalog. The volume name ends
// in Agat blanks from its first zero byte on. An unreadable catalog sector keeps the
// entries read before it; a chain that loops ends at the entry limit; an unreadable VTOC
// lists only ".."; a message left by an earlier step stops the read before even "..". Every
// entry past the catalog is blank, however long the catalog read before it.
TEST_F(ImageCatalogTest, EntryKindsAndDamagedCatalogs) {
  const auto rest_blank = [&] {
    for (int i = md->CAT.CATNUM; i <= MAXCATSIZE; ++i) {
      const TCATREC& e = md->CAT.CATREC[i];
      if (e.CATRECT != CRTHOSTFSDIR || e.PMEDIA || !e.HOSTNAME.empty() || e.TTSL || e.SIZECAT ||
          e.AGATNAME != TAGATNAME{})
        return false;
    }
    return true;
  };
  put(0, 10, 0xFF, "SUB");
  put(1, 0xFF, 0x04, "GONE");
  put(2, 11, 0x84, "PROG");
  cat().CR[2].R = 0x80;
  put(4, 12, 0x00, "NEVER SHOWN");  // after an entry with TF 0
  store();
  ASSERT_EQ(md->CAT.CATNUM, 4);
  const TCATREC& prog = md->CAT.CATREC[3];
  EXPECT_EQ(std::tuple(md->CAT.CATREC[1].CATRECT, md->CAT.CATREC[2].TTSL, prog.HID, prog.SIZECAT,
                       prog.TCAT, prog.SCAT, prog.OCAT),
            std::tuple(CRTBTKDIR, 0xFF, 0x80, 3, 17, 1, 2));
  // A new image's volume name is empty: blanks, without the $8D that ends it in the VTOC.
  EXPECT_EQ(std::tuple(md->VOLUMEID[0], md->VOLUMEID[1], md->VOLUMEID[30], md->FREESPACE),
            std::tuple(0xA0, 0xA0, 0xA0, 542u));
  cat().CR[0].TF = 0;
  store();
  EXPECT_EQ(md->CAT.CATNUM, 1);

  for (int o = 0; o < 7; ++o) put(o, 10, 0x04, "F" + std::to_string(o));
  cat().TE = 17;
  cat().SE = 9;  // never written
  store();
  EXPECT_EQ(md->CAT.CATNUM, 8);
  EXPECT_EQ(take_critical_text(), "Чтение каталога среды: каталог: сектор 17/9 не читается\r\n");
  cat().SE = 1;
  store();
  EXPECT_EQ(md->CAT.CATNUM, MAXCATSIZE);
  EXPECT_EQ(take_critical_text(), "Превышен внутренний лимит на число имён в каталоге\r\n");
  md->MASS[17][0].fill(0xBD);
  store();
  EXPECT_EQ(std::tuple(md->VTOCINVALID, md->CAT.CATNUM, md->FREESPACE), std::tuple(true, 1, 0u));
  EXPECT_TRUE(rest_blank());
  testing::take_critical();
  FC_CRITICALERRORBUFFER = "earlier\r\n";
  reload();
  EXPECT_EQ(md->CAT.CATNUM, 0);
  EXPECT_TRUE(rest_blank());
}

// Sorting by name or by type keeps ".." first, then sub-catalogs, then files, deleted
// files last; equal names go by type, equal types by name. Not sorting keeps the catalog
// order. Names collate with Latin capitals before Cyrillic ones, and Cyrillic letters
// alphabetically, not in their KOI code order. The type letter is that of the highest
// type bit, the lock bit aside.
TEST_F(ImageCatalogTest, Sorting) {
  put(0, 0xFF, 0x00, "ZZ DELETED");
  put(1, 10, 0x04, "Б");
  put(2, 10, 0x00, "Б");
  put(3, 10, 0xFF, "SUBDIR");
  put(4, 10, 0x02, "A");
  put(5, 10, 0x00, "Я");
  store();
  const auto order = [&](TSORTMODE mode) {
    md->CAT.SORTMODE = mode;
    FC_SORTCAT(*md);
    std::string names = md->CAT.CATREC[0].HOSTNAME;
    for (int i = 1; i < md->CAT.CATNUM; ++i)
      names += " " + name_text(md->CAT.CATREC[i].AGATNAME) + "/" +
               cp1251_to_utf8(kind(md->CAT.CATREC[i]));
    return names;
  };
  EXPECT_EQ(order(SMNO), ".. ZZ DELETED/T- Б/B Б/T SUBDIR/Д* A/A Я/T");
  EXPECT_EQ(order(SMNAME), ".. SUBDIR/Д* A/A Б/T Б/B Я/T ZZ DELETED/T-");
  EXPECT_EQ(order(SMTYPE), ".. SUBDIR/Д* Б/T Я/T A/A Б/B ZZ DELETED/T-");

  const auto less = [](std::uint8_t a, std::uint8_t b) {
    TAGATNAME n1, n2;
    n1.fill(0xA0), n2.fill(0xA0);
    n1[0] = a, n2[0] = b;
    return AGATNAME_IS_LESS(n1, n2);
  };
  // Control code, blank, A, Z, $DF, $40 (small a), then А, Б, В, Ч, Ю, Я.
  const std::uint8_t codes[] = {0x80, 0xA0, 0xC1, 0xDA, 0xDF, 0x40,
                                0xE1, 0xE2, 0xF7, 0xFE, 0xE0, 0xF1};
  for (std::size_t i = 0; i + 1 < std::size(codes); ++i)
    EXPECT_TRUE(less(codes[i], codes[i + 1]) && !less(codes[i + 1], codes[i])) << i;
  EXPECT_FALSE(less(0xC1, 0xC1));
  std::string letters;
  for (int ext : {0x00, 0x01, 0x84, 0x06, 0x10, 0x20, 0x7F}) letters += FC_FTYPE(ext);
  EXPECT_EQ(letters, "TIBBПКД"_w);
}

// Entries told apart only at the end of a full-length name or of a word of the key, by
// the type after the name, by Cyrillic letters (collated one by one, not eight at a time),
// or not at all: deleted twins, placed by the exchange quicksort alone. Each sort starts
// from the order the one before left; the live entries, which all differ, are sorted alone
// too.
TEST(CatalogSort, EntriesThatDifferLateOrNotAtAll) {
  const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012";  // 29 letters
  const std::tuple<std::string, std::uint8_t, bool> rows[] = {
      // name, type ($FF a BTK sub-catalog), deleted
      {"OLD", 0, true},       {full + "B", 4, false},   {"OLD", 0, true},
      {full + "A", 4, false}, {"ЯБЛОКО", 0, false},     {full + "A", 0, false},
      {"OLD", 0, true},       {"АРБУЗ", 2, false},      {"OLD", 0, false},
      {full + "Я", 0, false}, {"PROGRAM2", 4, false},   {"PROGRAM1", 4, false},
      {full + "1", 4, false}, {full + "Z", 0xFF, false}};
  auto md = testing::new_medium();
  for (int id = 0; id < static_cast<int>(std::size(rows)); ++id) {
    const auto& [name, type, deleted] = rows[id];
    TCATREC& e = md->CAT.CATREC[id];
    std::tie(e.CATRECT, e.AGATNAME, e.EXT, e.TTSL, e.SIZECAT) = std::tuple(
        type == 0xFF ? CRTBTKDIR : CRTAGATFILE, agat_name(name), type, deleted ? 0xFF : 17, id);
  }
  const std::vector<int> by_name = {13, 12, 5, 3, 1, 9, 8, 11, 10, 7, 4, 0, 2, 6};
  const std::vector<int> by_type = {13, 5, 9, 8, 4, 7, 12, 3, 1, 11, 10, 6, 2, 0};
  for (const auto& [mode, count, want] : {std::tuple(SMNAME, 14, by_name),
                                          {SMTYPE, 11, by_type},
                                          {SMTYPE, 14, by_type},
                                          {SMNAME, 11, by_name}}) {
    std::tie(md->CAT.SORTMODE, md->CAT.CATNUM) = std::tuple(mode, count);
    FC_SORTCAT(*md);
    std::vector<int> ids;
    for (int i = 0; i < count; ++i) ids.push_back(md->CAT.CATREC[i].SIZECAT);
    EXPECT_EQ(ids, std::vector<int>(want.begin(), want.begin() + count)) << mode << count;
  }
}

}  // namespace
}  // namespace agat

// agatdisk on the images that independent DOS 3.3 tools made (../shared/testdata): the JSON
// listing names every file with its type, lock and size, and every file comes out byte for
// byte as the source the folder's README names.

#include <gtest/gtest.h>

#include <set>

#include "harness.h"
#include "support/testdata.h"

namespace agat::testing {
namespace {

namespace fs = std::filesystem;

struct Expected {
  std::string name;
  std::string type;
  bool locked;
  bool deleted;
  Bytes bytes;  // as stored, before the padding to whole sectors
};

Bytes source(const std::string& file) {
  return file_bytes(testdata("src/" + file));
}

Bytes with_head(Bytes head, const Bytes& body) {
  head.insert(head.end(), body.begin(), body.end());
  return head;
}

// The files of dos33/files.dsk in catalog order, from the README of the folder.
std::vector<Expected> files_dsk() {
  std::vector<Expected> list = {
      {"HELLO", "A", false, false, source("hello.tok")},
      {"README", "T", false, false, source("readme.apple")},
      {"RANDOM.BIN", "B", false, false,
       with_head({0x00, 0x60, 0xE8, 0x03}, source("random1000.bin"))},
      {"LOCKED.BIN", "B", true, false,
       with_head({0x00, 0x03, 0x2C, 0x01}, source("locked300.bin"))},
      {"BIG.BIN", "B", false, false, with_head({0x00, 0x08, 0xB8, 0x88}, source("big35000.bin"))},
      {"TEXT122", "T", false, false, source("text122sec.apple")},
      {"TEXT123", "T", false, false, source("text123sec.apple")},
  };
  for (int i = 1; i <= 24; ++i) {
    char name[16], file[32];
    std::snprintf(name, sizeof name, "FILE.%02d", i);
    std::snprintf(file, sizeof file, "file%02d.apple", i);
    list.push_back({name, "T", false, false, source(file)});
  }
  list.push_back({"MY FILE. 1", "T", false, false, source("odd.apple")});
  list.push_back({"DELETED.BIN", "B", false, true,
                  with_head({0x00, 0x40, 0xF4, 0x01}, source("deleted500.bin"))});
  return list;
}

// The length byte counts the data sectors and the T/S lists (122 pairs each).
int sectors_of(std::size_t bytes) {
  const int data = static_cast<int>((bytes + 255) / 256);
  return data + (data + 121) / 122;
}

class AgatdiskTestdata : public ::testing::Test {
 protected:
  TempDir dir;
  std::string cwd() const { return dir.path().string(); }
};

TEST_F(AgatdiskTestdata, ListingOfTheIndependentToolsImages) {
  AGAT_REQUIRE_TESTDATA();
  const auto expected = files_dsk();
  for (const char* image : {"dos33/files.dsk", "nib/files.nib"}) {
    SCOPED_TRACE(image);
    const Json list = listing(testdata(image), cwd());
    EXPECT_EQ(list["volume"].text, "");
    EXPECT_EQ(list["free"].integer(), 43);
    ASSERT_EQ(list["entries"].items.size(), expected.size());
    auto md = read_image(testdata(image));
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Json& e = list["entries"][i];
      const Expected& want = expected[i];
      SCOPED_TRACE(want.name);
      EXPECT_EQ(e["name"].text, want.name);
      EXPECT_EQ(e["type"].text, want.type);
      EXPECT_EQ(e["ext"].integer(), (want.type == "A"   ? 0x02
                                     : want.type == "B" ? 0x04
                                                        : 0) |
                                        (want.locked ? 0x80 : 0));
      EXPECT_EQ(e["locked"].flag, want.locked);
      EXPECT_EQ(e["deleted"].flag, want.deleted);
      EXPECT_FALSE(e["hidden"].flag);
      EXPECT_EQ(e["kind"].text, "file");
      EXPECT_EQ(e["sectors"].integer(), sectors_of(want.bytes.size()));
      // The catalog runs 17/15, 17/14 ... with seven entries a sector.
      EXPECT_EQ(e["catalog"][0].integer(), 17);
      EXPECT_EQ(e["catalog"][1].integer(), 15 - static_cast<int>(i / 7));
      EXPECT_EQ(e["catalog"][2].integer(), static_cast<int>(i % 7));
      // The first T/S list: a deleted file's is on the track its last name byte keeps.
      const TCATREC& cr = md->CAT.CATREC[i + 1];
      EXPECT_EQ(e["ts"][0].integer(), want.deleted ? cr.AGATNAME[29] : cr.TTSL);
      EXPECT_EQ(e["ts"][1].integer(), cr.STSL);
      EXPECT_TRUE(FC_IS_TSL(*md, static_cast<std::uint8_t>(e["ts"][0].integer()),
                            static_cast<std::uint8_t>(e["ts"][1].integer())));
    }
  }
}

TEST_F(AgatdiskTestdata, EveryFileComesOutAsItsSource) {
  AGAT_REQUIRE_TESTDATA();
  for (const char* image : {"dos33/files.dsk", "nib/files.nib"}) {
    for (const Expected& want : files_dsk()) {
      SCOPED_TRACE(std::string(image) + " " + want.name);
      const Outcome r = run_agatdisk({"get", testdata(image), want.name}, cwd());
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
      EXPECT_TRUE(r.out == text_of(whole_sectors(want.bytes))) << r.out.size() << " bytes";
    }
  }
}

// A ".FIL" file holds the 40-byte header (name, T/S-list bytes 3..11, type byte) and the
// data; put --fil carries all of it into another image, of any form.
TEST_F(AgatdiskTestdata, FilFilesCarryFilesIntoAnotherImage) {
  AGAT_REQUIRE_TESTDATA();
  const auto expected = files_dsk();
  ASSERT_EQ(run_agatdisk({"new", "copy.nib", "--form", "nib800"}, cwd()).status, 0);
  auto source_md = read_image(testdata("dos33/files.dsk"));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Expected& want = expected[i];
    SCOPED_TRACE(want.name);
    const Outcome r = run_agatdisk({"get", testdata("dos33/files.dsk"), want.name, "--fil"}, cwd());
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes fil = file_bytes(dir.file(want.name + ".FIL"));
    ASSERT_GE(fil.size(), 40u);
    // A deleted file's name loses the track number its last character held.
    TAGATNAME name = source_md->CAT.CATREC[i + 1].AGATNAME;
    if (want.deleted) name[29] = AGAT_SPACE;
    EXPECT_TRUE(std::equal(name.begin(), name.end(), fil.begin()));
    EXPECT_EQ(fil[39], (want.type == "A"   ? 0x02
                        : want.type == "B" ? 0x04
                                           : 0) |
                           (want.locked ? 0x80 : 0));
    EXPECT_TRUE(Bytes(fil.begin() + 40, fil.end()) == whole_sectors(want.bytes));
    if (want.deleted) continue;
    ASSERT_EQ(run_agatdisk({"put", "copy.nib", want.name + ".FIL", "--fil"}, cwd()).status, 0);
  }
  // The copies keep name, type, lock and data.
  const Json list = listing("copy.nib", cwd());
  ASSERT_EQ(list["entries"].items.size(), expected.size() - 1);
  for (std::size_t i = 0; i + 1 < expected.size(); ++i) {
    const Json& e = list["entries"][i];
    EXPECT_EQ(e["name"].text, expected[i].name);
    EXPECT_EQ(e["locked"].flag, expected[i].locked);
    EXPECT_EQ(e["type"].text, expected[i].type);
    const Outcome r = run_agatdisk({"get", "copy.nib", expected[i].name}, cwd());
    EXPECT_TRUE(r.out == text_of(whole_sectors(expected[i].bytes))) << expected[i].name;
  }
  // The T/S-list bytes 3..11 travel too.
  auto copy = read_image(dir.file("copy.nib"));
  auto buf = std::make_unique<TFILEBUF>();
  for (int i = 1; i < copy->CAT.CATNUM; ++i) {
    FC_LOAD(copy->CAT.CATREC[i], *buf);
    FC_LOAD(source_md->CAT.CATREC[i], *buf);
    EXPECT_EQ(copy->CAT.CATREC[i].TSDATA, source_md->CAT.CATREC[i].TSDATA);
  }
  EXPECT_EQ(take_critical(), "");
  expect_sound(dir.file("copy.nib"));
}

TEST_F(AgatdiskTestdata, ImagesOfOtherShapes) {
  AGAT_REQUIRE_TESTDATA();
  // A full disk takes nothing more, and stays as it was.
  fs::copy_file(testdata("dos33/full.dsk"), dir.file("full.dsk"));
  fs::permissions(dir.file("full.dsk"), fs::perms::owner_write, fs::perm_options::add);
  write_bytes(dir.file("more.txt"), source("full_overflow.apple"));
  const Bytes before = file_bytes(dir.file("full.dsk"));
  const Outcome r = run_agatdisk({"put", "full.dsk", "more.txt", "--type", "T"}, cwd());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("закончилось свободное пространство"), std::string::npos) << r.err;
  EXPECT_TRUE(file_bytes(dir.file("full.dsk")) == before);
  EXPECT_TRUE(run_agatdisk({"get", "full.dsk", "BIG300"}, cwd()).out ==
              text_of(source("full_big300sec.apple")));

  // Every type byte shows its letter; the lock bit does not change it.
  const Json types = listing(testdata("other/dos-files.do"), cwd());
  std::set<std::pair<int, std::string>> seen;
  for (const Json& e : types["entries"].items) seen.insert({e["ext"].integer(), e["type"].text});
  for (const auto& want : std::set<std::pair<int, std::string>>{{0x00, "T"},
                                                                {0x01, "I"},
                                                                {0x02, "A"},
                                                                {0x04, "B"},
                                                                {0x40, "Д"},
                                                                {0x84, "B"},
                                                                {0xC0, "Д"}})
    EXPECT_TRUE(seen.count(want)) << want.first;

  // Deleted entries whose T/S lists were reused: every undelete either restores the entry
  // or fails with a message and leaves the image alone.
  fs::copy_file(testdata("other/stale-deleted.dsk"), dir.file("stale.dsk"));
  fs::permissions(dir.file("stale.dsk"), fs::perms::owner_write, fs::perm_options::add);
  const Json stale = listing("stale.dsk", cwd());
  for (const Json& e : stale["entries"].items) {
    if (!e["deleted"].flag) continue;
    SCOPED_TRACE(e["name"].text);
    const Bytes image = file_bytes(dir.file("stale.dsk"));
    const Outcome u = run_agatdisk({"undelete", "stale.dsk", e["name"].text}, cwd());
    EXPECT_TRUE(u.status == 0 || u.status == 1) << u.status;
    if (u.status == 1) {
      EXPECT_NE(u.err, "");
      EXPECT_TRUE(file_bytes(dir.file("stale.dsk")) == image);
    }
  }

  // A 13-sector disk decodes to nothing: its VTOC cannot be read.
  const Outcome thirteen = run_agatdisk({"list", testdata("other/aw-init-13sector.nib")}, cwd());
  EXPECT_EQ(thirteen.status, 1);
  EXPECT_EQ(thirteen.out, "");
  EXPECT_EQ(thirteen.err, "agatdisk: Чтение каталога среды: VTOC: сектор 17/0 не читается\n");
}

}  // namespace
}  // namespace agat::testing

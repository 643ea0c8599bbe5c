// Files into images and out again with put and get: every type, every form an image can
// be made in, sizes around the sector and T/S-list boundaries, and the names typed for them.

#include <gtest/gtest.h>

#include "harness.h"

namespace agat::testing {
namespace {

struct TypeCase {
  std::string given;   // the --type value; "" for none
  int ext;             // the type byte it must give
  std::string letter;  // the letter the listing must show
};

const std::vector<TypeCase> kTypes = {
    {"", 0x04, "B"},  {"T", 0x00, "T"}, {"I", 0x01, "I"},    {"A", 0x02, "A"},   {"B", 0x04, "B"},
    {"S", 0x08, "S"}, {"П", 0x10, "П"}, {"К", 0x20, "К"},    {"Д", 0x40, "Д"},   {"p", 0x10, "П"},
    {"k", 0x20, "К"}, {"d", 0x40, "Д"}, {"д", 0x40, "Д"},    {"т", 0x00, "T"},   {"а", 0x02, "A"},
    {"в", 0x04, "B"}, {"s", 0x08, "S"}, {"0x84", 0x84, "B"}, {"$41", 0x41, "Д"}, {"0X0", 0x00, "T"},
};

// Empty, one byte, around one sector, and 123 sectors (a second T/S list).
const std::vector<std::size_t> kSizes = {0, 1, 255, 256, 257, 1000, 4097, 123 * 256 - 5};

class AgatdiskTransfer : public ::testing::TestWithParam<const char*> {
 protected:
  TempDir dir;
  std::string cwd() const { return dir.path().string(); }
  Outcome run(const std::vector<std::string>& args) { return run_agatdisk(args, cwd()); }
};

TEST_P(AgatdiskTransfer, EveryTypeGoesInAndComesBack) {
  const std::string image = std::string("disk.") + GetParam();
  ASSERT_EQ(run({"new", image, "--form", GetParam()}).status, 0);
  for (std::size_t i = 0; i < kTypes.size(); ++i) {
    const TypeCase& t = kTypes[i];
    SCOPED_TRACE("type " + t.given);
    const std::string host = "f" + std::to_string(i) + ".bin";
    write_bytes(dir.file(host), pattern(kSizes[i % kSizes.size()], static_cast<std::uint32_t>(i)));
    std::vector<std::string> args = {"put", image, host};
    if (!t.given.empty()) args.insert(args.end(), {"--type", t.given});
    const Outcome r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
  }
  const Json list = listing(image, cwd());
  ASSERT_EQ(list["entries"].items.size(), kTypes.size());
  for (std::size_t i = 0; i < kTypes.size(); ++i) {
    const Json& e = list["entries"][i];
    const std::string name = "f" + std::to_string(i) + ".bin";  // the host file's name
    SCOPED_TRACE(name);
    EXPECT_EQ(e["name"].text, name);
    EXPECT_EQ(e["ext"].integer(), kTypes[i].ext);
    EXPECT_EQ(e["type"].text, kTypes[i].letter);
    EXPECT_EQ(e["locked"].flag, (kTypes[i].ext & 0x80) != 0);
    const Bytes data = file_bytes(dir.file(name));
    EXPECT_EQ(run({"get", image, name}).out, text_of(whole_sectors(data)));
    // And through a file named with -o, now and then.
    if (i % 5 != 0) continue;
    ASSERT_EQ(run({"get", image, name, "-o", name + ".out"}).status, 0);
    EXPECT_TRUE(file_bytes(dir.file(name + ".out")) == whole_sectors(data));
  }
  expect_sound(dir.file(image));

  // A file of the same name is replaced: one entry, the new data, the old sectors free.
  const int free_before = list["free"].integer();
  write_bytes(dir.file("f0.bin"), pattern(3000, 99));
  ASSERT_EQ(run({"put", image, "f0.bin"}).status, 0);
  const Json after = listing(image, cwd());
  ASSERT_EQ(after["entries"].items.size(), kTypes.size());  // the freed entry is taken again
  EXPECT_EQ(after["entries"][0]["name"].text, "f0.bin");
  EXPECT_EQ(after["entries"][0]["sectors"].integer(), 13);
  EXPECT_EQ(after["free"].integer(), free_before + 2 - 13);
  EXPECT_EQ(run({"get", image, "f0.bin"}).out, text_of(whole_sectors(pattern(3000, 99))));
  expect_sound(dir.file(image));
}

INSTANTIATE_TEST_SUITE_P(CreatableForms, AgatdiskTransfer,
                         ::testing::Values("dsk140", "nib140", "dsk800", "nib800"));

class AgatdiskNames : public CoreTest {
 protected:
  TempDir dir;
  std::string cwd() const { return dir.path().string(); }
  Outcome run(const std::vector<std::string>& args) { return run_agatdisk(args, cwd()); }
  void SetUp() override {
    CoreTest::SetUp();
    ImageBuilder(dir.file("n.dsk"), ITI140);
    write_bytes(dir.file("data"), pattern(600, 1));
  }
};

// Names typed in UTF-8 become Agat codes padded with blanks; names shown lose the blanks.
TEST_F(AgatdiskNames, TypedNamesAndShownNames) {
  const std::string thirty(30, 'Z');
  for (const std::string& name : {std::string("ПРИВЕТ МИР"), std::string("  LEAD"), thirty,
                                  std::string("ЁЖ"), std::string("a:b*c")}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(run({"put", "n.dsk", "data", "--name", name}).status, 0);
    EXPECT_TRUE(listed(listing("n.dsk", cwd()), name));
    EXPECT_EQ(run({"get", "n.dsk", name}).out, text_of(whole_sectors(pattern(600, 1))));
  }
  // Lower-case Cyrillic letters take the Agat codes of lower-case Latin ones, so they are
  // shown as those; typed again, they find the file all the same.
  ASSERT_EQ(run({"put", "n.dsk", "data", "--name", "ёлка"}).status, 0);
  EXPECT_TRUE(listed(listing("n.dsk", cwd()), "ёlka"));
  EXPECT_EQ(run({"get", "n.dsk", "ёлка"}).status, 0);
  // Trailing blanks typed are the padding itself.
  EXPECT_EQ(run({"get", "n.dsk", "ПРИВЕТ МИР   "}).status, 0);
  // The name of a host file comes in as it is, cut to 30 characters.
  write_bytes(dir.file("a-rather-long-host-file-name-of-40-chars"), pattern(10, 2));
  ASSERT_EQ(run({"put", "n.dsk", dir.file("a-rather-long-host-file-name-of-40-chars")}).status, 0);
  EXPECT_TRUE(listed(listing("n.dsk", cwd()), "a-rather-long-host-file-name-o"));
  // The stored bytes are those of the Agat code: Cyrillic capitals in the upper column.
  auto md = read_image(dir.file("n.dsk"));
  const TCATREC* e = find_entry(*md, "ПРИВЕТ МИР");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->AGATNAME[0], 0xF0);  // П
  EXPECT_EQ(e->AGATNAME[6], 0xA0);  // the blank
  EXPECT_EQ(e->AGATNAME[29], 0xA0);
  expect_sound(dir.file("n.dsk"));
}

// Of two live entries of one name the first in catalog order is taken; a live file goes
// before a deleted one of the same name.
TEST_F(AgatdiskNames, TwinNamesTakeTheFirst) {
  ImageBuilder b(dir.file("t.dsk"), ITI140);
  b.file("TWIN", 0x04, pattern(300, 1)).file("OTHER", 0x00, pattern(300, 2));
  FC_READCAT(b.medium());
  TCATREC* other = find_entry(b.medium(), "OTHER");
  TCATREC renamed = *other;
  renamed.AGATNAME = agat_name("TWIN");
  FC_RENAME(*other, renamed);
  ASSERT_EQ(take_critical(), "");

  EXPECT_EQ(run({"get", "t.dsk", "TWIN"}).out, text_of(whole_sectors(pattern(300, 1))));
  ASSERT_EQ(run({"rm", "t.dsk", "TWIN"}).status, 0);
  EXPECT_EQ(run({"get", "t.dsk", "TWIN"}).out, text_of(whole_sectors(pattern(300, 2))));
  const Json list = listing("t.dsk", cwd());
  EXPECT_TRUE(list["entries"][0]["deleted"].flag);
  EXPECT_FALSE(list["entries"][1]["deleted"].flag);
  expect_sound(dir.file("t.dsk"));
}

// get --fil names its file after the Agat name, and never replaces a file unasked.
TEST_F(AgatdiskNames, FilFileNamesAndReplacing) {
  ASSERT_EQ(run({"put", "n.dsk", "data", "--name", "A/B:C", "--type", "0x82"}).status, 0);
  ASSERT_EQ(run({"get", "n.dsk", "A/B:C", "--fil"}).status, 0);
  const Bytes fil = file_bytes(dir.file("A_B_C.FIL"));
  ASSERT_EQ(fil.size(), 40u + 768u);
  EXPECT_EQ(fil[39], 0x82);

  const Outcome again = run({"get", "n.dsk", "A/B:C", "--fil"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("\"A_B_C.FIL\" уже есть"), std::string::npos) << again.err;
  write_bytes(dir.file("A_B_C.FIL"), {1, 2, 3});
  EXPECT_EQ(run({"get", "n.dsk", "A/B:C", "--fil", "-f"}).status, 0);
  EXPECT_TRUE(file_bytes(dir.file("A_B_C.FIL")) == fil);
  ASSERT_EQ(run({"get", "n.dsk", "A/B:C", "--fil", "-o", "other.fil"}).status, 0);
  EXPECT_TRUE(file_bytes(dir.file("other.fil")) == fil);

  // --name and --type win over the header.
  ASSERT_EQ(run({"put", "n.dsk", "other.fil", "--fil", "--name", "COPY", "--type", "S"}).status, 0);
  const std::optional<Json> copy = listed(listing("n.dsk", cwd()), "COPY");
  ASSERT_TRUE(copy);
  EXPECT_EQ((*copy)["ext"].integer(), 0x08);
  EXPECT_EQ(run({"get", "n.dsk", "COPY"}).out, text_of(whole_sectors(pattern(600, 1))));
}

}  // namespace
}  // namespace agat::testing

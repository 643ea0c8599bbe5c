// Whole images through agatdisk: files of every type into every form an image can be made in
// and out again, conversions between forms, and the images that independent DOS 3.3 tools
// made (../shared/testdata), whose files must come out as the sources their README names.

#include <gtest/gtest.h>

#include <regex>

#include "harness.h"
#include "support/testdata.h"

namespace agat::testing {
namespace {

using AgatdiskImages = AgatdiskTest;

// Every way of writing a type, each on files of sizes around the sector and T/S-list bounds,
// into each form: the listing shows the type byte, its letter and the lock, and get gives back
// the data.
TEST_F(AgatdiskImages, EveryTypeInEveryForm) {
  const struct {
    std::string given;   // the --type value; "" for none
    int ext;             // the type byte it gives
    std::string letter;  // the letter the listing shows
  } types[] = {
      {"", 0x04, "B"},  {"T", 0x00, "T"},    {"I", 0x01, "I"},   {"A", 0x02, "A"},
      {"B", 0x04, "B"}, {"S", 0x08, "S"},    {"П", 0x10, "П"},   {"К", 0x20, "К"},
      {"Д", 0x40, "Д"}, {"p", 0x10, "П"},    {"k", 0x20, "К"},   {"d", 0x40, "Д"},
      {"д", 0x40, "Д"}, {"т", 0x00, "T"},    {"а", 0x02, "A"},   {"в", 0x04, "B"},
      {"s", 0x08, "S"}, {"0x84", 0x84, "B"}, {"$41", 0x41, "Д"}, {"0X0", 0x00, "T"},
  };
  const std::size_t sizes[] = {0, 1, 255, 256, 257, 1000, 4097, 123 * 256 - 5};
  for (const char* form : {"dsk140", "nib140", "dsk800", "nib800", "emu800"}) {
    SCOPED_TRACE(form);
    const std::string image = std::string("disk.") + form;
    ASSERT_EQ(run({"new", image, "--form", form}).status, 0);
    const auto data = [&](std::size_t i) {
      return pattern(sizes[i % std::size(sizes)], static_cast<std::uint32_t>(i));
    };
    for (std::size_t i = 0; i < std::size(types); ++i) {
      SCOPED_TRACE("type " + types[i].given);
      const std::string name = "f" + std::to_string(i);
      write_bytes(dir.file(name), data(i));
      std::vector<std::string> args = {"put", image, name};
      if (!types[i].given.empty()) args.insert(args.end(), {"--type", types[i].given});
      ASSERT_EQ(run(args).status, 0);
      EXPECT_EQ(run({"get", image, name}).out, loaded(data(i)));
    }
    const std::string list = run({"list", image, "--json"}).out;
    for (std::size_t i = 0; i < std::size(types); ++i) {
      EXPECT_TRUE(contains(list, json_head("f" + std::to_string(i), types[i].letter, types[i].ext,
                                           false, sectors_of(data(i).size()))))
          << "type " << types[i].given << " in " << list;
    }
    // And out through a file named with -o.
    ASSERT_EQ(run({"get", image, "f6", "-o", image + ".out"}).status, 0);
    EXPECT_EQ(text_of(file_bytes(dir.file(image + ".out"))), loaded(file_bytes(dir.file("f6"))));
    expect_sound(dir.file(image));
  }
}

// Conversions write every sector as it is, whatever the file system holds, between the forms
// an image can be made in, each at its size.
TEST_F(AgatdiskImages, ConversionsKeepEverySector) {
  for (const bool big : {false, true}) {
    const std::string g = big ? "800" : "140";
    SCOPED_TRACE(g);
    const Bytes plain = pattern(big ? 860160 : 143360, big ? 8 : 1);
    write_bytes(dir.file("a" + g), plain);
    // Plain to nibble, nibble to nibble, nibble to plain, plain to plain.
    const char* const chain[] = {"a", "b", "c", "d", "e"};
    for (int i = 0; i < 4; ++i) {
      const std::string form = (i == 0 || i == 1 ? "nib" : "dsk") + g;
      const std::string to = chain[i + 1] + g;
      ASSERT_EQ(run({"convert", chain[i] + g, to, "--form", form}).status, 0) << form;
      EXPECT_EQ(std::filesystem::file_size(dir.file(to)), form == "nib140"   ? 232960u
                                                          : form == "nib800" ? 947520u
                                                                             : plain.size());
    }
    EXPECT_TRUE(file_bytes(dir.file("d" + g)) == plain);
    EXPECT_TRUE(file_bytes(dir.file("e" + g)) == plain);
  }
}

// An image with an emulator's header lists with its description (and shows it on its
// information page), takes files keeping the
// header, and converts both ways: the sectors as they are, a new header with the description
// given. A file of its size without the signature is no image; a description must fit.
TEST_F(AgatdiskImages, EmulatorImages) {
  ASSERT_EQ(run({"new", "plain.dsk", "--form", "dsk800"}).status, 0);
  Bytes emu = emulator_header_bytes(1), plain = file_bytes(dir.file("plain.dsk"));
  emu.insert(emu.end(), plain.begin(), plain.end());
  write_bytes(dir.file("emu.dsk"), emu);
  write_bytes(dir.file("data"), pattern(1000, 3));
  ASSERT_EQ(run({"put", "emu.dsk", "data"}).status, 0);
  EXPECT_EQ(run({"get", "emu.dsk", "data"}).out, loaded(pattern(1000, 3)));
  const std::string description = "Тест памяти Агат-9 (КС=19176)";
  EXPECT_EQ(run({"list", "emu.dsk"}).out,
            "Том:\nОписание: " + description + "\n B   5 data\nСвободных секторов: 3330\n");
  EXPECT_TRUE(contains(run({"list", "emu.dsk", "--json"}).out,
                       ",\n  \"description\": \"" + description + "\",\n  \"free\": 3330,"));
  // The information page of the image reads the description from the file's own header.
  EXPECT_TRUE(
      contains(run({"info", "emu.dsk"}).out, "             Описание: " + description + "\n"));
  EXPECT_TRUE(
      contains(run({"info", "emu.dsk", "--json"}).out, "\"description\": \"" + description + "\""));
  ASSERT_EQ(run({"convert", "emu.dsk", "back.dsk", "--form", "dsk800"}).status, 0);
  ASSERT_EQ(run({"convert", "back.dsk", "again.dsk", "--form=emu800", "--description", description})
                .status,
            0);
  const Bytes changed = file_bytes(dir.file("emu.dsk")), back = file_bytes(dir.file("back.dsk"));
  EXPECT_TRUE(std::equal(emu.begin(), emu.begin() + 256, changed.begin()));
  EXPECT_TRUE(Bytes(changed.begin() + 256, changed.end()) == back);
  Bytes again = emulator_header_bytes(0);
  again.insert(again.end(), back.begin(), back.end());
  EXPECT_TRUE(file_bytes(dir.file("again.dsk")) == again);
  emu[0] ^= 0x20;
  write_bytes(dir.file("bare.dsk"), emu);
  EXPECT_TRUE(contains(run({"list", "bare.dsk"}).err, "860416 байт, но в начале нет заголовка"));
  for (auto [form, text] : {std::pair{"dsk800", "x"}, {"emu800", "a—b"}})
    EXPECT_EQ(run({"new", "no.dsk", "--form", form, "--description", text}).status, 2);
}

struct Stored {
  std::string name;
  std::string type;
  int ext;
  bool deleted;
  Bytes bytes;  // as stored, before the padding to whole sectors
};

Bytes source(const std::string& file, Bytes head = {}) {
  const Bytes body = file_bytes(testdata("src/" + file));
  head.insert(head.end(), body.begin(), body.end());
  return head;
}

// The files of dos33/files.dsk in catalog order, from the README of the folder; binary files
// are stored with a head of load address and length.
std::vector<Stored> files_dsk() {
  std::vector<Stored> list = {
      {"HELLO", "A", 0x02, false, source("hello.tok")},
      {"README", "T", 0x00, false, source("readme.apple")},
      {"RANDOM.BIN", "B", 0x04, false, source("random1000.bin", {0x00, 0x60, 0xE8, 0x03})},
      {"LOCKED.BIN", "B", 0x84, false, source("locked300.bin", {0x00, 0x03, 0x2C, 0x01})},
      {"BIG.BIN", "B", 0x04, false, source("big35000.bin", {0x00, 0x08, 0xB8, 0x88})},
      {"TEXT122", "T", 0x00, false, source("text122sec.apple")},
      {"TEXT123", "T", 0x00, false, source("text123sec.apple")},
  };
  for (int i = 1; i <= 24; ++i) {
    const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
    list.push_back({"FILE." + n, "T", 0x00, false, source("file" + n + ".apple")});
  }
  list.push_back({"MY FILE. 1", "T", 0x00, false, source("odd.apple")});
  list.push_back(
      {"DELETED.BIN", "B", 0x04, true, source("deleted500.bin", {0x00, 0x40, 0xF4, 0x01})});
  return list;
}

// The listing names every file in catalog order with its type, lock and size, the deleted one
// marked; and every file, the deleted one too, comes out byte for byte. A .FIL file holds a
// 40-byte head (the name, bytes 3..11 of the first T/S list, the type byte) and the data; put
// into an image of another form and taken out again, it is the same file.
TEST_F(AgatdiskImages, IndependentToolsImages) {
  AGAT_REQUIRE_TESTDATA();
  ASSERT_EQ(run({"new", "copy.nib", "--form", "nib800"}).status, 0);
  const auto expected = files_dsk();
  for (const char* image : {"dos33/files.dsk", "nib/files.nib"}) {
    SCOPED_TRACE(image);
    const std::string list = run({"list", testdata(image), "--json"}).out;
    EXPECT_TRUE(list.starts_with("{\n  \"volume\": \"\",\n  \"free\": 43,\n  \"entries\": [\n"));
    const std::regex entry("\\{\"name\"");
    EXPECT_EQ(std::distance(std::sregex_iterator(list.begin(), list.end(), entry), {}), 33);
    std::size_t at = 0;
    for (const Stored& want : expected) {
      SCOPED_TRACE(want.name);
      at = list.find(
          json_head(want.name, want.type, want.ext, want.deleted, sectors_of(want.bytes.size())),
          at);
      EXPECT_NE(at, std::string::npos) << list;
      const Outcome r = run({"get", testdata(image), want.name});
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
      EXPECT_TRUE(r.out == loaded(want.bytes)) << r.out.size() << " bytes";

      ASSERT_EQ(run({"get", testdata(image), want.name, "--fil", "-o", "in.fil", "-f"}).status, 0);
      const Bytes fil = file_bytes(dir.file("in.fil"));
      // A deleted file's name loses the track number that deletion put in its last character.
      const TAGATNAME name = agat_name(want.name);
      EXPECT_TRUE(std::equal(name.begin(), name.end(), fil.begin()));
      EXPECT_EQ(fil[39], want.ext);
      EXPECT_EQ(text_of(Bytes(fil.begin() + 40, fil.end())), loaded(want.bytes));
      if (want.deleted || std::string(image).ends_with(".nib")) continue;
      ASSERT_EQ(run({"put", "copy.nib", "in.fil", "--fil"}).status, 0);
      ASSERT_EQ(run({"get", "copy.nib", want.name, "--fil", "-o", "out.fil", "-f"}).status, 0);
      EXPECT_TRUE(file_bytes(dir.file("out.fil")) == fil);
    }
  }
  expect_sound(dir.file("copy.nib"));
}

// Whatever rm takes away, undelete gives back: on every sector image of the independent
// tools, each live file deleted and undeleted by its listed name leaves the image byte for
// byte as it was (the entry with its last name character, the VTOC with every sector of the
// chain, holes and all, as on the random-access text file of simple-sparse.do).
TEST_F(AgatdiskImages, UndeleteUndoesEveryDeletion) {
  AGAT_REQUIRE_TESTDATA();
  const std::regex live_file(
      "\\{\"name\": \"((?:[^\"\\\\]|\\\\.)*)\"[^}]*\"deleted\": false[^}]*\"kind\": \"file\"");
  int undone = 0;
  for (const char* folder : {"dos33", "other"}) {
    for (const auto& f : std::filesystem::directory_iterator(testdata(folder))) {
      if (f.path().extension() == ".nib") continue;  // a rewritten track is laid out anew
      const std::string image = f.path().string();
      const Bytes original = file_bytes(image);
      const std::string list = run({"list", image, "--json"}).out;
      for (std::sregex_iterator m(list.begin(), list.end(), live_file), end; m != end; ++m) {
        if ((*m)[1].str().find("\\u") != std::string::npos) continue;  // no character to type
        const std::string name = std::regex_replace((*m)[1].str(), std::regex("\\\\(.)"), "$1");
        SCOPED_TRACE(image + ": " + name);
        write_bytes(dir.file("w.img"), original);
        const Outcome rm = run({"rm", "w.img", name}), back = run({"undelete", "w.img", name});
        EXPECT_EQ(std::tuple(rm.status, back.status, back.err), std::tuple(0, 0, ""));
        EXPECT_TRUE(file_bytes(dir.file("w.img")) == original);
        ++undone;
      }
    }
  }
  EXPECT_GE(undone, 40);
}

}  // namespace
}  // namespace agat::testing

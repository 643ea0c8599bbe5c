// agatdisk check and recover on the images of independent tools (../shared/testdata): the
// exit status sorts sound images from damaged ones, the JSON report holds what the map
// analysis found, and a lost file comes back with its data.

#include <gtest/gtest.h>

#include "harness.h"
#include "support/testdata.h"

namespace agat::testing {
namespace {

class AgatdiskCheck : public CoreTest {
 protected:
  TempDir dir;
  Outcome run(const std::vector<std::string>& args) {
    return run_agatdisk(args, dir.path().string());
  }
  static int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

// A missing volume name (no other DOS writes one) and deleted files are no damage; a lost
// file and anything else are; a disk whose VTOC is no DOS VTOC (or cannot be read) is
// neither. The images are only read.
TEST_F(AgatdiskCheck, ExitStatusSortsImages) {
  AGAT_REQUIRE_TESTDATA();
  const std::tuple<const char*, int, int, int> cases[] = {
      // image, status, chains, of them deleted files
      {"dos33/empty.dsk", 0, 0, 0},          {"dos33/full.dsk", 0, 0, 0},
      {"nib/full_vol017.nib", 0, 0, 0},      {"other/new-init.do", 0, 0, 0},
      {"dos33/files.dsk", 0, 1, 1},          {"nib/files.nib", 0, 1, 1},
      {"other/stale-deleted.dsk", 0, 17, 1}, {"other/aw-init-13sector.nib", 4, 0, 0},
  };
  for (const auto& [image, status, orphans, deleted] : cases) {
    const Outcome r = run({"check", testdata(image), "--json"});
    EXPECT_EQ(std::tuple(r.status, count(r.out, "\"lists\": "),
                         count(r.out, "\"kind\": \"deleted\""), r.err),
              std::tuple(status, orphans, deleted, ""))
        << image;
  }
  const Outcome big =
      run_line("agatdisk new big.dsk --form dsk800 && agatdisk check big.dsk", dir.path());
  EXPECT_EQ(
      std::tuple(big.status, big.out.find("Секторы по ролям: VTOC 3, каталог 1, T/S-список 0, "
                                          "данные 0, без ссылок 3356\n") != std::string::npos),
      std::tuple(0, true));
  const Outcome none = run({"check", "none.dsk"});
  EXPECT_EQ(std::tuple(none.status, none.out), std::tuple(1, ""));
}

// The report of files.dsk: every used sector but those of track 0 (which hold no DOS here)
// has a reference, and DELETED.BIN's T/S list, with its two data sectors, is a deleted file:
// no damage. Recovered, it comes back under its own name, loads as it was saved, and the
// image checks sound.
TEST_F(AgatdiskCheck, ReportAndRecoveryOfALostFile) {
  AGAT_REQUIRE_TESTDATA();
  std::filesystem::copy_file(testdata("dos33/files.dsk"), dir.file("disk.dsk"));
  std::filesystem::permissions(dir.file("disk.dsk"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  const Outcome json = run({"check", "disk.dsk", "--json"});
  std::string track0;
  for (int s = 0; s < 16; ++s)
    track0 += std::string(s ? ", " : "") + "[0, " + std::to_string(s) + "]";
  for (const std::string& part :
       {std::string(
            "{\n  \"dos_catalog\": true,\n  \"damaged\": false,\n  \"vtoc\": [\n    \"08: Не "
            "найден ограничитель имени тома "
            "($8D, $00).\"\n  ],\n  \"roles\": {\"vtoc\": 1, \"catalog\": 15, \"tslist\": 34, "
            "\"data\": 451, \"none\": 59},\n  \"errors\": [\n    {\"ts\": [17, 0], \"content\": 8, "
            "\"link\": null}\n  ],\n  \"shared\": [],\n  \"unreadable\": [],\n"),
        std::string("  \"orphans\": [\n    {\"ts\": [32, 5], \"kind\": \"deleted\", \"file\": "
                    "\"DELETED.BIN\", \"lists\": [], \"data\": [[32, 6], [32, 7]]}\n  "
                    "],\n  \"used_but_free\": [],\n  \"free_but_used\": [" +
                    track0 + "],\n  \"unreadable_unused\": 0\n}\n")})
    EXPECT_NE(json.out.find(part), std::string::npos) << json.out;
  EXPECT_NE(run({"check", "disk.dsk"})
                .out.find("Брошенные T/S-списки с данными:\n  32/5 (удалённый файл "
                          "\"DELETED.BIN\"): данные 32/6 32/7\n"),
            std::string::npos);

  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } steps[] = {
      {{"recover", "disk.dsk", "32/6"}, 1, "", "сектор 32/6 не T/S-список"},
      {{"recover", "disk.dsk", "35/0"}, 1, "", "сектора 35/0 нет в образе"},
      {{"recover", "disk.dsk", "32-5"}, 2, "", "нужно ДОРОЖКА/СЕКТОР"},
      {{"recover", "disk.dsk", "32/5"}, 0, "DELETED.BIN\n", ""},
      {{"recover", "disk.dsk", "32/5"}, 1, "", "на T/S-список 32/5 уже есть ссылка"},
      {{"check", "disk.dsk"}, 0, "", ""},
  };
  for (const auto& step : steps) {
    const Outcome r = run(step.args);
    EXPECT_EQ(r.status, step.status) << step.args[2] << r.err;
    if (step.status != 0 || step.args[0] == "recover") {
      EXPECT_EQ(r.out, step.out);
    }
    EXPECT_NE(r.err.find(step.err), std::string::npos) << r.err;
  }
  const Bytes source = file_bytes(testdata("src/deleted500.bin"));
  const Outcome got = run({"get", "disk.dsk", "DELETED.BIN"});
  EXPECT_EQ(got.out.substr(0, 4), std::string("\x00\x40\xF4\x01", 4));  // the head DOS saved
  EXPECT_EQ(got.out.substr(4, source.size()), text_of(source));
  expect_sound(dir.file("disk.dsk"));
}

}  // namespace
}  // namespace agat::testing

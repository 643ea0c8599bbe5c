// agatdisk check and recover on the images of independent tools (../shared/testdata): the
// exit status sorts sound images from damaged ones, the JSON report holds what the map
// analysis found, and a lost file comes back with its data.

#include <gtest/gtest.h>

#include <set>

#include "harness.h"
#include "support/aim_track.h"
#include "support/testdata.h"

namespace agat::testing {
namespace {

// How many times `what` occurs in `text`.
int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

using AgatdiskCheck = AgatdiskTest;

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
  const Outcome big = sh("agatdisk new big.dsk --form dsk800 && agatdisk check big.dsk");
  EXPECT_EQ(big.status, 0);
  EXPECT_TRUE(contains(big.out,
                       "Секторы по ролям: VTOC 3, каталог 1, T/S-список 0, данные 0, без ссылок "
                       "3356\n"));
  expect_outcome(run({"check", "none.dsk"}), 1, "", "none.dsk");
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
                    track0 + "],\n  \"unreadable_unused\": 0,\n  \"nonstandard\": []\n}\n")})
    EXPECT_TRUE(contains(json.out, part));
  EXPECT_TRUE(contains(run({"check", "disk.dsk"}).out,
                       "Брошенные T/S-списки с данными:\n  32/5 (удалённый файл "
                       "\"DELETED.BIN\"): данные 32/6 32/7\n"));

  const std::tuple<std::string, int, std::string, std::string> steps[] = {
      {"32/6", 1, "", "сектор 32/6 не T/S-список"},
      {"35/0", 1, "", "сектора 35/0 нет в образе"},
      {"32-5", 2, "", "нужно ДОРОЖКА/СЕКТОР"},
      {"32/5", 0, "DELETED.BIN\n", ""},
      {"32/5", 1, "", "на T/S-список 32/5 уже есть ссылка"}};
  for (const auto& [ts, status, out, err] : steps)
    expect_outcome(run({"recover", "disk.dsk", ts}), status, out, err);
  EXPECT_EQ(run({"check", "disk.dsk"}).status, 0);
  const Bytes source = file_bytes(testdata("src/deleted500.bin"));
  const Outcome got = run({"get", "disk.dsk", "DELETED.BIN"});
  EXPECT_EQ(got.out.substr(0, 4), std::string("\x00\x40\xF4\x01", 4));  // the head DOS saved
  EXPECT_EQ(got.out.substr(4, source.size()), text_of(source));
  expect_sound(dir.file("disk.dsk"));
}

// An AIM image of a new 800 KB disk as a protected disk has it: tracks 0-3 close their
// address fields with $A5, the VTOC's checksum is an exclusive or, a data cell of 20/5 has
// the mark flag. None of it is damage; the report lists each sector with its kind, and a
// `put` that rewrites the VTOC keeps its checksum kind and touches no other track.
TEST_F(AgatdiskCheck, ProtectedSectorsAreListedNotDamage) {
  auto md = create_image(dir.host_path(), "plain.dsk", ITI800);
  ASSERT_NE(CALCCRC(md->MASS[17][0]), xor_checksum(md->MASS[17][0]));
  Bytes image;
  for (int t = 0; t <= md->NUMTR; ++t) {
    auto cells = aim_cells(md->MASS[t], static_cast<std::uint8_t>(t));
    for (int s = 0; s <= MAXSECTOR && t <= 3; ++s) cells[288 * s + 16] = 0xA5;
    if (t == 17) cells[30 + 256] = xor_checksum(md->MASS[17][0]);
    if (t == 20) cells[288 * 5 + 30 + 7] |= AIM_MARK;
    const auto record = aim_record(cells);
    image.insert(image.end(), record.begin(), record.end());
  }
  write_bytes(dir.file("p.aim"), image);
  write_bytes(dir.file("a.bin"), pattern(3000, 7));

  std::string listed;
  for (int t = 0; t <= 3; ++t)
    for (int s = 0; s <= MAXSECTOR; ++s)
      listed += "    {\"ts\": [" + std::to_string(t) + ", " + std::to_string(s) +
                "], \"kind\": \"epilogue\"},\n";
  listed = "  \"nonstandard\": [\n" + listed +
           "    {\"ts\": [17, 0], \"kind\": \"xor_checksum\"},\n"
           "    {\"ts\": [20, 5], \"kind\": \"sync_in_data\"}\n  ]\n}\n";
  const auto check = [&] {
    const Outcome json = run({"check", "p.aim", "--json"});
    EXPECT_EQ(std::tuple(json.status,
                         json.out.starts_with("{\n  \"dos_catalog\": true,\n  \"damaged\": false"),
                         json.out.ends_with(listed)),
              std::tuple(0, true, true))
        << json.out << json.err;
  };
  check();
  const Outcome text = run({"check", "p.aim"});
  EXPECT_TRUE(contains(text.out,
                       "Нестандартные, но читаемые секторы: 0/0 (эпилог адреса) 0/1 "
                       "(эпилог адреса)"));
  EXPECT_TRUE(contains(text.out,
                       " 3/20 (эпилог адреса) 17/0 (сумма XOR) 20/5 (метка в данных)\n"
                       "Повреждений не найдено.\n"));

  const Outcome put = run({"put", "p.aim", "a.bin", "--name", "A", "--type", "B"});
  ASSERT_EQ(put.status, 0) << put.err;
  const Bytes after = file_bytes(dir.file("p.aim"));
  std::set<std::size_t> changed;
  for (std::size_t i = 0; i < after.size(); ++i)
    if (after[i] != image[i]) changed.insert(i / ATRSIZE);
  EXPECT_FALSE(changed.contains(20) || changed.contains(0) || changed.contains(3));
  EXPECT_TRUE(changed.contains(17));
  check();
  EXPECT_EQ(run({"get", "p.aim", "A"}).out, loaded(pattern(3000, 7)));
}

}  // namespace
}  // namespace agat::testing

// Reports longer than the viewer's buffer, printed by agatdisk whole: the sector comparison
// of two images that differ everywhere, with and without every offset, and the listing of a
// large binary file.

#include <gtest/gtest.h>

#include <sstream>

#include "harness.h"

namespace agat::testing {
namespace {

using AgatdiskLongReports = AgatdiskTest;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Two 800 KB images: B is A with sector k of track 5 changed in k + 1 of its bytes, one
// sector unreadable ($BD) in B, one in both (equal: not listed), and C differs from A in
// every byte of every sector, a report of megabytes with --bytes.
TEST_F(AgatdiskLongReports, TheSectorComparisonListsEverySectorAndSumsItUp) {
  const std::size_t kImage = 860160, kTrack = 21 * 256;  // 160 tracks of 21 sectors
  Bytes a = pattern(kImage, 1);
  std::fill_n(a.begin() + 9 * kTrack + 3 * 256, 256, 0xBD);  // 9/3 unreadable in both
  Bytes b = a, c = a;
  for (int k = 0; k < 20; ++k)
    for (int o = 0; o <= k; ++o) b[5 * kTrack + k * 256 + o * 7] ^= 0x40;
  std::fill_n(b.begin() + 6 * kTrack + 2 * 256, 256, 0xBD);
  for (auto& x : c) x = static_cast<std::uint8_t>(~x);
  write_bytes(dir.file("a.dsk"), a);
  write_bytes(dir.file("b.dsk"), b);
  write_bytes(dir.file("c.dsk"), c);

  const auto summary = [](int differ, int unreadable) {
    return "Сравнено секторов: 3360, различаются: " + std::to_string(differ) +
           ", не читаются хотя бы в одном образе: " + std::to_string(unreadable);
  };
  // The status, the lines (the title, a line a sector listed, the summary), the first sector's
  // line, the summary. 9/3 of c.dsk: $42 where a.dsk has $BD, and so read.
  const struct {
    std::vector<std::string> args;
    int status;
    std::size_t lines;
    std::string first_sector, summary;
  } cases[] = {
      // clang-format off
      {{"cmp", "a.dsk", "b.dsk"}, 3, 2 + 21 + 1, "  5/ 0- отличий: 1", summary(20, 1)},
      {{"cmp", "a.dsk", "b.dsk", "--bytes"}, 3, 2 + 21 + 1, "  5/ 0- отличий: 1; 00",
       summary(20, 1)},
      {{"cmp", "a.dsk", "a.dsk", "--bytes"}, 0, 2 + 1 + 1, "Отличий между образами не найдено",
       summary(0, 0)},
      {{"cmp", "a.dsk", "c.dsk", "--bytes"}, 3, 2 + 3360 + 1, "  0/ 0- отличий: 256; 00 01",
       summary(3359, 1)},
      // clang-format on
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.args.back());
    const Outcome r = run(t.args);
    EXPECT_EQ(r.status, t.status) << r.err;
    EXPECT_EQ(r.out.find("No space"), std::string::npos);
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), t.lines);
    EXPECT_EQ(lines[0], "Сравнение образа ./" + t.args[1]);
    EXPECT_EQ(lines[2].substr(0, t.first_sector.size()), t.first_sector);
    EXPECT_EQ(lines.back(), t.summary);
    if (t.args[2] != "b.dsk") continue;
    // Each changed sector with its count, and with --bytes exactly that many offsets.
    for (int k = 0; k < 20; ++k) {
      const std::string& line = lines[2 + static_cast<std::size_t>(k)];
      const std::string head = "  5/" + std::string(k < 10 ? " " : "") + std::to_string(k) +
                               "- отличий: " + std::to_string(k + 1);
      EXPECT_EQ(line.substr(0, head.size()), head);
      const std::size_t offsets = t.args.size() == 4 ? 1 + 3 * (k + 1) : 0;
      EXPECT_EQ(line.size(), head.size() + offsets) << line;
    }
    EXPECT_EQ(lines[22], "  6/ 2- ошибка чтения образа b.dsk");
  }
  // A big report is all there: more than the 2,048,000 bytes a viewer holds.
  EXPECT_GT(run({"cmp", "a.dsk", "c.dsk", "--bytes"}).out.size(), 2500000u);
}

// The disassembly listing of a 150 KB binary is some 8 MB: printed to its last instruction.
TEST_F(AgatdiskLongReports, TheListingOfALargeBinaryIsPrintedToItsEnd) {
  Bytes blob(150000, 0xEA);  // NOP: one instruction a byte
  write_bytes(dir.file("blob.bin"), blob);
  const Outcome made =
      sh("agatdisk new big.dsk --form dsk800 && agatdisk put big.dsk blob.bin --name BLOB");
  ASSERT_EQ(made.status, 0) << made.err;
  const Outcome r = run({"view", "big.dsk", "BLOB", "--format", "asis"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find("No space"), std::string::npos);
  const std::vector<std::string> lines = lines_of(r.out);
  // A line for every byte of the file as loaded: whole sectors.
  EXPECT_EQ(lines.size(), (150000 + 255) / 256 * 256u);
  EXPECT_GT(r.out.size(), 2 * 2048000u);
}

}  // namespace
}  // namespace agat::testing

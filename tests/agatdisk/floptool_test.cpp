// The bit-stream forms against floptool, which implements them apart from us: its MFI of an
// 800 KB sector image and of an AIM image, and its MFI of an HFE that agatdisk wrote, all
// read sector for sector as the source.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/image_build.h"
#include "harness.h"
#include "support/testdata.h"

namespace agat::testing {
namespace {

TEST(Floptool, ItsMfiOfOurAndOfItsSourcesReadsAsTheSource) {
  if (std::system("command -v floptool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no floptool";
  TempDir dir;
  std::vector<TTRACK> tracks(MAXTRACK + 1);
  for (std::size_t t = 0; t < tracks.size(); ++t) tracks[t] = random_track(t + 3);
  tracks[9][4] = kUnread;  // a sector never read stays one
  write_bytes(dir.file("src.ds9"), image_file_bytes(ITI800, tracks));
  write_bytes(dir.file("src.aim"), image_file_bytes(ITA800, tracks));
  const char* lines[] = {
      "floptool flopconvert a9dsk mfi src.ds9 ds9.mfi && agatdisk cmp src.ds9 ds9.mfi",
      "floptool flopconvert aim mfi src.aim aim.mfi && agatdisk cmp src.ds9 aim.mfi",
      "agatdisk convert src.ds9 our.hfe --form hfe && floptool flopconvert hfe mfi our.hfe "
      "hfe.mfi && agatdisk cmp src.ds9 hfe.mfi",
      "agatdisk convert src.ds9 our.mfi --form mfi800 && floptool flopconvert mfi mfi our.mfi "
      "again.mfi && agatdisk cmp src.ds9 again.mfi",
  };
  for (const char* line : lines) {
    const Outcome r = run_line(line, dir.path().string());
    EXPECT_EQ(r.status, 0) << line << "\n" << r.out << r.err;
    EXPECT_NE(r.out.find("Отличий между образами не найдено"), std::string::npos) << line << r.out;
  }
}

// A 140 KB disk's MFI each way: floptool's reads as its DOS-order source, ours comes back
// through floptool byte for byte, and a file written into floptool's reads there as here.
TEST(Floptool, MfiOf140KbDiskEachReadsWhatTheOtherWrites) {
  if (std::system("command -v floptool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no floptool";
  AGAT_REQUIRE_TESTDATA();
  TempDir dir;
  const Bytes source = file_bytes(testdata("dos33/files.dsk"));
  write_bytes(dir.file("src.do"), source);
  write_bytes(dir.file("new.bin"), pattern(3000, 17));
  const Outcome r = run_line(
      "floptool flopconvert a2_16sect_dos mfi src.do their.mfi >/dev/null && "
      "agatdisk convert their.mfi back.do --form dsk140 && "
      "agatdisk convert src.do ours.mfi --form mfi140 && "
      "floptool flopconvert mfi a2_16sect_dos ours.mfi ours.do >/dev/null && "
      "agatdisk put their.mfi new.bin --name NEW && "
      "floptool flopconvert mfi a2_16sect_dos their.mfi floptool.do >/dev/null && "
      "agatdisk convert their.mfi agatdisk.do --form dsk140",
      dir.host_path());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(file_bytes(dir.file("back.do")), source);
  EXPECT_EQ(file_bytes(dir.file("ours.do")), source);
  EXPECT_NE(file_bytes(dir.file("floptool.do")), source);
  EXPECT_EQ(file_bytes(dir.file("floptool.do")), file_bytes(dir.file("agatdisk.do")));
}

}  // namespace
}  // namespace agat::testing

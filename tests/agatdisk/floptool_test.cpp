// The bit-stream forms against floptool, which implements them apart from us: its MFI of an
// 800 KB sector image and of an AIM image, and its MFI of an HFE that agatdisk wrote, all
// read sector for sector as the source.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/image_build.h"
#include "harness.h"

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

}  // namespace
}  // namespace agat::testing

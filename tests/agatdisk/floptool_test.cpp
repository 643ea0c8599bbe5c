// The bit-stream forms against floptool, which implements them apart from us: its MFI of an
// 800 KB sector image and of an AIM image, and its MFI of an HFE that agatdisk wrote, all
// read sector for sector as the source; 140 KB WOZ and MFI files each way.
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

// A 140 KB disk's WOZ and MFI each way: floptool's reads as its DOS-order source (DOS order
// is the sector order of dsk140), ours comes back through floptool byte for byte, and a file
// written into floptool's reads there as here, and reads back whole.
TEST(Floptool, Disk140EachReadsWhatTheOtherWrites) {
  if (std::system("command -v floptool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no floptool";
  AGAT_REQUIRE_TESTDATA();
  const Bytes source = file_bytes(testdata("dos33/files.dsk"));
  for (const std::string form : {"woz", "mfi140"}) {
    SCOPED_TRACE(form);
    TempDir dir;
    const std::string theirs = form.substr(0, 3);  // floptool's name of the form
    const std::string to_dos = " >/dev/null && floptool flopconvert " + theirs + " a2_16sect_dos ";
    write_bytes(dir.file("src.do"), source);
    write_bytes(dir.file("new.bin"), pattern(3000, 31));
    const Outcome r = run_line(
        "floptool flopconvert a2_16sect_dos " + theirs + " src.do their.img >/dev/null && " +
            "agatdisk convert their.img back.do --form dsk140 && agatdisk convert src.do ours.img "
            "--form " +
            form + to_dos + "ours.img ours.do && agatdisk put their.img new.bin --name NEW" +
            to_dos +
            "their.img floptool.do && agatdisk convert their.img agatdisk.do --form dsk140 && "
            "agatdisk get their.img NEW -o out.bin",
        dir.host_path());
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(file_bytes(dir.file("back.do")), source);
    EXPECT_EQ(file_bytes(dir.file("ours.do")), source);
    // The data fields rewritten in floptool's tracks read there as agatdisk reads them.
    EXPECT_NE(file_bytes(dir.file("floptool.do")), source);
    EXPECT_EQ(file_bytes(dir.file("floptool.do")), file_bytes(dir.file("agatdisk.do")));
    const Bytes out = file_bytes(dir.file("out.bin"));
    EXPECT_EQ(Bytes(out.begin(), out.begin() + std::min<std::size_t>(out.size(), 3000)),
              pattern(3000, 31));
  }
}

}  // namespace
}  // namespace agat::testing

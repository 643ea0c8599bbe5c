// WOZ files against an implementation of the form that we did not write (floptool of
// mame-tools): its WOZ file reads as the sector image it was made from, and ours, whole or
// with a file written into one of its own, come back through it byte for byte. DOS order is
// the sector order of dsk140, so the sector images compare directly.
#include <gtest/gtest.h>

#include <cstdlib>

#include "harness.h"
#include "support/testdata.h"

namespace agat::testing {
namespace {

TEST(WozFloptool, EachReadsWhatTheOtherWrites) {
  if (std::system("command -v floptool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no floptool";
  AGAT_REQUIRE_TESTDATA();
  TempDir dir;
  const Bytes source = file_bytes(testdata("dos33/files.dsk"));
  write_bytes(dir.file("src.do"), source);
  write_bytes(dir.file("new.bin"), pattern(3000, 31));
  const std::string to_dos = " >/dev/null && floptool flopconvert woz a2_16sect_dos ";
  const Outcome r = run_line(
      "floptool flopconvert a2_16sect_dos woz src.do their.woz >/dev/null && "
      "agatdisk convert their.woz back.do --form dsk140 && "
      "agatdisk convert src.do ours.woz --form woz" +
          to_dos +
          "ours.woz ours.do && "
          "agatdisk put their.woz new.bin --name NEW" +
          to_dos +
          "their.woz floptool.do && "
          "agatdisk convert their.woz agatdisk.do --form dsk140 && agatdisk get their.woz NEW -o "
          "out.bin",
      dir.host_path());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(file_bytes(dir.file("back.do")), source);
  EXPECT_EQ(file_bytes(dir.file("ours.do")), source);
  // The data fields rewritten in floptool's bit streams read there as agatdisk reads them.
  EXPECT_NE(file_bytes(dir.file("floptool.do")), source);
  EXPECT_EQ(file_bytes(dir.file("floptool.do")), file_bytes(dir.file("agatdisk.do")));
  const Bytes out = file_bytes(dir.file("out.bin"));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + std::min<std::size_t>(out.size(), 3000)),
            pattern(3000, 31));
}

}  // namespace
}  // namespace agat::testing

// WOZ files against an implementation of the form that we did not write (floptool of
// mame-tools): its WOZ files read as the sector image they were made from, and ours, whole or
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
  const std::string d = dir.host_path();
  const struct {
    const char* name;
    Bytes sectors;
  } kSources[] = {
      {"files", file_bytes(testdata("dos33/files.dsk"))},
      {"random", pattern(143360, 30)},
  };
  const std::string to_woz = "floptool flopconvert a2_16sect_dos woz ";
  const std::string to_dos = "floptool flopconvert woz a2_16sect_dos ";
  for (const auto& s : kSources) {
    SCOPED_TRACE(s.name);
    write_bytes(dir.file("src.do"), s.sectors);
    const Outcome r = run_line(
        "rm -f their.woz back.do ours.woz ours.do && " + to_woz +
            "src.do their.woz >/dev/null && agatdisk convert their.woz back.do --form dsk140 && "
            "agatdisk convert src.do ours.woz --form woz && " +
            to_dos + "ours.woz ours.do >/dev/null",
        d);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(file_bytes(dir.file("back.do")), s.sectors);
    EXPECT_EQ(file_bytes(dir.file("ours.do")), s.sectors);
  }
  // A file written into floptool's WOZ rewrites data fields in its bit streams; floptool reads
  // the result as agatdisk does, and the file comes back out.
  write_bytes(dir.file("src.do"), kSources[0].sectors);
  write_bytes(dir.file("new.txt"), pattern(3000, 31));
  const Outcome r = run_line(to_woz +
                                 "src.do their.woz >/dev/null && "
                                 "agatdisk put their.woz new.txt --name NEW --type B && " +
                                 to_dos +
                                 "their.woz floptool.do >/dev/null && "
                                 "agatdisk convert their.woz agatdisk.do --form dsk140 && "
                                 "agatdisk get their.woz NEW -o out.bin",
                             d);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const Bytes written = file_bytes(dir.file("floptool.do"));
  EXPECT_NE(written, kSources[0].sectors);
  EXPECT_EQ(written, file_bytes(dir.file("agatdisk.do")));
  const Bytes out = file_bytes(dir.file("out.bin"));
  ASSERT_GE(out.size(), 3000u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 3000), pattern(3000, 31));
}

}  // namespace
}  // namespace agat::testing

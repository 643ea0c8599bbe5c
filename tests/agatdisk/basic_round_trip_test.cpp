// agatdisk export of every BASIC program (type A) of the sample images and of the images of
// independent tools, Applesoft programs among them, then import of the text: get gives the
// same bytes for both files. And a text that is no program changes nothing.
#include <gtest/gtest.h>

#include "harness.h"
#include "support/testdata.h"

#ifndef MAKE_SAMPLES_BINARY
#error "MAKE_SAMPLES_BINARY must name the program that makes the sample images"
#endif

namespace agat::testing {
namespace {

class BasicRoundTrip : public AgatdiskTest {
 protected:
  // The live A files that `list --json` shows of IMAGE (in its sub-catalog IN).
  std::vector<std::string> programs(const std::string& image, const std::string& in) {
    const Outcome r = sh("agatdisk list '" + image + "' --json" + in);
    EXPECT_EQ(r.status, 0) << image << r.err;
    std::vector<std::string> names;
    for (std::size_t at = 0; (at = r.out.find("{\"name\": \"", at)) != std::string::npos;) {
      at += 10;
      const std::size_t end = r.out.find('"', at), close = r.out.find('}', at);
      const std::string entry = r.out.substr(at, close - at);
      if (contains(entry, "\"type\": \"A\"") && contains(entry, "\"deleted\": false"))
        names.push_back(r.out.substr(at, end - at));
    }
    return names;
  }
};

TEST_F(BasicRoundTrip, EveryProgramOfTheSamplesAndOfOtherToolsComesBackByteForByte) {
  ASSERT_EQ(sh(std::string(MAKE_SAMPLES_BINARY) + " . >/dev/null").status, 0);
  std::vector<std::pair<std::string, std::string>> places = {
      {"demo140.dsk", ""}, {"demo140.dsk", " --in ИГРЫ"}, {"big800.nib", " --in АРХИВ"}};
  if (have_testdata())
    for (const char* image : {"dos33/files.dsk", "nib/files.nib", "other/new-init.do",
                              "other/simple-sparse.do", "other/dos-files.do", "other/minimal.img",
                              "other/stale-deleted.dsk", "other/lots-of-dirents.dsk"})
      places.emplace_back(testdata(image), "");
  std::size_t checked = 0;
  for (const auto& [image, in] : places) {
    for (const std::string& name : programs(image, in)) {
      SCOPED_TRACE(image + in + ": " + name);
      const Outcome r = sh("cp '" + image + "' copy && agatdisk export '" + image + "' '" + name +
                           "'" + in + " -o p.bas -f && agatdisk import copy p.bas --format basic " +
                           "--name BACK && agatdisk get '" + image + "' '" + name + "'" + in +
                           " -o a -f && agatdisk get copy BACK -o b -f && cmp a b");
      EXPECT_EQ(r.status, 0) << r.err << r.out << text_of(file_bytes(dir.file("p.bas")));
      ++checked;
    }
  }
  // The samples' four, and the Applesoft programs of the other tools when they are here.
  EXPECT_GE(checked, have_testdata() ? 15u : 4u);
}

TEST_F(BasicRoundTrip, ATextThatIsNoProgramIsRefusedByItsLine) {
  ASSERT_EQ(sh(std::string(MAKE_SAMPLES_BINARY) + " . >/dev/null").status, 0);
  const Bytes before = file_bytes(dir.file("demo140.dsk"));
  write_bytes(dir.file("bad.bas"), {'1', '0', ' ', 'X', '\n', 'Y', '\n'});
  const Outcome r = sh("agatdisk import demo140.dsk bad.bas --format basic");
  expect_outcome(r, 1, "",
                 "agatdisk: Импорт BASIC-программы: файл \"bad.bas\", строка 2: нет "
                 "номера строки\n");
  EXPECT_EQ(file_bytes(dir.file("demo140.dsk")), before);
}

}  // namespace
}  // namespace agat::testing

// Names a file leaves the disk or enters it with: the suffix of each format's export, and
// an import that never takes the place of a file already there.
#include <gtest/gtest.h>

#include "content/export_import.h"
#include "support/image_test.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::find_entry;

TEST(ExportSuffix, BasicTextsAndTheRest) {
  for (int f = 0; f < FILE_FORMAT_COUNT; ++f) {
    const auto format = static_cast<TFILEFORMAT>(f);
    const char* expected = format == FFBASIC ? ".bas"
                           : format == FFTEXT || format == FFAGAWT || format == FFAUTOGRAF
                               ? ".txt"
                               : ".bin";
    EXPECT_EQ(export_suffix(format), expected) << f;
  }
}

// Three imports under one name: the second is "A~1", the third "A~2", each with its bytes.
class ImportNames : public testing::ImageTest {};

TEST_F(ImportNames, AnImportNeverReplacesAFileOfItsName) {
  make();
  const std::string host = dir.file("in.bin");
  for (std::uint8_t n = 1; n <= 3; ++n) {
    testing::write_bytes(host, std::vector<std::uint8_t>(10, n));
    TCATREC dst;
    dst.PMEDIA = md.get();
    dst.AGATNAME = agat_name("A");
    ASSERT_TRUE(CC_IMPORT(host, dst, FFASIS, false, false)) << int(n);
    testing::take_critical();
    reload();
  }
  const std::pair<const char*, int> stored[] = {{"A", 1}, {"A~1", 2}, {"A~2", 3}};
  for (const auto& [name, fill] : stored) {
    TCATREC* e = find_entry(*md, name);
    ASSERT_NE(e, nullptr) << name;
    FC_LOAD(*e, buf);
    EXPECT_EQ(buf[9], fill) << name;
  }
}

}  // namespace
}  // namespace agat

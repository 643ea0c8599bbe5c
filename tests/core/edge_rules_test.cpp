// Rules at the edges that no other test reaches: what a save over a namesake refuses, a
// file whose T/S list lies on the last track of the disk, and a sub-catalog that holds a
// deleted file entered again.
#include <gtest/gtest.h>

#include "core/catalog_ops.h"
#include "core/change_dir.h"
#include "core/current_catalog.h"
#include "core/file_transfer.h"
#include "support/map_test.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::take_critical_text;

class EdgeRulesTest : public testing::MapTest {};

// A locked namesake is kept, and the type byte of a BTK sub-catalog is no file's: both
// saves are refused and change no byte of the image. A live name never finds a deleted
// entry, even one whose last byte (the track deletion keeps there) matches the name's.
TEST_F(EdgeRulesTest, SavesThatAreRefused) {
  make();
  buf.fill(0x11);
  FC_RELOCK(save("LOCKED", 300), 1);
  reload();
  const struct {
    const char* name;
    std::uint8_t ext;
    const char* message;
  } refused[] = {
      {"LOCKED", 0x04, "Запись файла: запертый файл с этим именем не заменяется"},
      {"NEW", 0xFF, "Запись файла: байт типа $FF означает BTK-каталог, файл не записан"},
  };
  for (const auto& r : refused) {
    const std::vector<std::uint8_t> before = image_bytes();
    TCATREC cr;
    cr.AGATNAME = agat_name(r.name);
    cr.EXT = r.ext;
    cr.SIZE = 10;
    FC_SAVE(cr, buf, *md, false);
    EXPECT_EQ(take_critical_text().rfind(r.message, 0), 0u) << r.name;
    EXPECT_EQ(image_bytes(), before) << r.name;
  }
  TAGATNAME gone = agat_name("GONE");
  gone[29] = save("GONE", 10).TTSL;
  FC_DELETE(entry("GONE"));
  std::uint8_t t, s;
  std::int32_t o;
  EXPECT_FALSE(FINDTHISCAT(*md, gone, t, s, o, false));
}

// The allocation starting at the last track of an 800 KB disk puts the T/S list there: the
// map finds the file through its entry, and a next-allocation track equal to the last one
// is no VTOC fault.
TEST_F(EdgeRulesTest, AFileOnTheLastTrackIsMapped) {
  make(ITI800);
  TVTOCSECTOR& vt = as<TVTOCSECTOR>(sector(17, 0));
  vt.NEXTAVAILTR = 159;
  vt.DIRECTTOTR = 0x01;
  const TCATREC file = save("LAST", 600);
  ASSERT_EQ(std::tuple(file.TTSL, vt.NEXTAVAILTR), std::tuple(159, 159));
  const TIMMSUMMARY sum = scan();
  EXPECT_TRUE(faults.empty());
  EXPECT_FALSE(sum.DAMAGED);
  EXPECT_EQ(SCMP[file.TTSL][file.STSL].LINKSCNT, 1);
}

// A deleted entry (track $FF) in the first sector of a sub-catalog is no sign of a sector
// that is not a catalog: the sub-catalog is entered again after the deletion.
TEST_F(EdgeRulesTest, ASubCatalogWithADeletedFileIsEnteredAgain) {
  make();
  const TSREF root = current_catalog(*md);
  FC_MAKEDIR(*md, agat_name("SUB"));
  reload();
  FC_CHDIR(entry("SUB"));
  reload();
  save("F", 10);
  FC_DELETE(entry("F"));
  reload();
  const TSREF sub = current_catalog(*md);
  FC_CHDIR(md->CAT.CATREC[1]);  // the way back
  reload();
  ASSERT_EQ(current_catalog(*md), root);
  FC_CHDIR(entry("SUB"));
  reload();
  EXPECT_EQ(std::tuple(take_critical_text(), current_catalog(*md)), std::tuple("", sub));
}

}  // namespace
}  // namespace agat

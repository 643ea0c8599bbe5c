// Moving between BTK catalogs: the way back to the catalog the image came from is always
// open, and only a catalog whose first entry leads back here is entered as a sub-catalog.
#include "core/change_dir.h"

#include <gtest/gtest.h>

#include "core/catalog_ops.h"
#include "core/current_catalog.h"
#include "support/image_test.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::take_critical_text;

class ChangeDirTest : public testing::ImageTest {};

// A root entry whose T/S list lies off the disk makes the root look like no catalog: the
// sub-catalog made beside it is entered, and its first entry still leads back, for the core
// and for a medium that enters in memory alike. An entry of type $FF that leads to a sector
// of zeros, or to a sub-catalog of another catalog, is refused and nothing changes.
TEST_F(ChangeDirTest, TheWayBackIsOpenAndASubCatalogMustLeadBack) {
  make();
  const TSREF root = current_catalog(*md);
  TCATSECTOR& root_sector = as<TCATSECTOR>(md->MASS[root.TR][root.SC]);
  save("F", 10);
  root_sector.CR[0].TF = 200;
  store();
  FC_MAKEDIR(*md, agat_name("SUB"));
  FC_MAKEDIR(*md, agat_name("OTHER"));
  reload();
  for (const bool in_memory : {false, true}) {
    const auto enter = [&](TCATREC& e) {
      in_memory ? enter_sub_catalog_in_memory(e) : FC_CHDIR(e);
      if (!in_memory) reload();
      FC_READCAT(*md);
    };
    enter(entry("SUB"));
    EXPECT_NE(current_catalog(*md), root);
    enter(md->CAT.CATREC[1]);
    EXPECT_EQ(std::tuple(take_critical_text(), current_catalog(*md)), std::tuple("", root));
    md->held_catalog.reset();
    reload();
  }
  std::uint8_t zt, zs;
  ASSERT_TRUE(NEWSECT(*md, zt, zs));
  md->MASS[zt][zs].fill(0);
  const TCATREC sub = entry("SUB"), other = entry("OTHER");
  for (const bool inside_other : {false, true}) {
    TCATREC33 x{};
    x.TF = inside_other ? sub.TTSL : zt;
    x.SF = inside_other ? sub.STSL : zs;
    x.E = 0xFF;
    std::copy_n(agat_name("X").begin(), 30, x.N);
    root_sector.CR[3] = inside_other ? TCATREC33{} : x;
    if (inside_other) {  // SUB leads back to the root, not to OTHER
      FC_CHDIR(entry("OTHER"));
      reload();
      as<TCATSECTOR>(md->MASS[other.TTSL][other.STSL]).CR[1] = x;
    }
    store();
    const auto image = image_bytes();
    const TSREF here = current_catalog(*md);
    FC_CHDIR(entry("X"));
    EXPECT_EQ(take_critical_text(), "Переход в BTK-каталог: новый каталог: первая запись сектора " +
                                        std::to_string(x.TF) + "/" + std::to_string(x.SF) +
                                        " не ведёт обратно в текущий каталог\r\n");
    EXPECT_EQ(std::tuple(image_bytes() == image, current_catalog(*md)), std::tuple(true, here));
  }
}

}  // namespace
}  // namespace agat

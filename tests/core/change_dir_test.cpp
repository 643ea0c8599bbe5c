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

class ChangeDirTest : public testing::ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    make();
  }
  TCATREC33& root_entry(int o) { return as<TCATSECTOR>(md->MASS[root.TR][root.SC]).CR[o]; }
  TSREF root;
};

// A root entry whose T/S list lies off the disk makes the root look like no catalog; the
// sub-catalog made beside it is entered, and its first entry still leads back, for the
// core and for a medium that enters in memory alike.
TEST_F(ChangeDirTest, TheWayBackIsOpenFromAnyRoot) {
  root = current_catalog(*md);
  save("F", 10);
  root_entry(0).TF = 200;
  store();
  FC_MAKEDIR(*md, agat_name("SUB"));
  reload();
  for (const bool in_memory : {false, true}) {
    if (in_memory) {
      enter_sub_catalog_in_memory(entry("SUB"));
    } else {
      FC_CHDIR(entry("SUB"));
    }
    EXPECT_EQ(take_critical_text(), "") << in_memory;
    const TSREF sub = current_catalog(*md);
    EXPECT_NE(sub, root);
    if (!in_memory) reload();
    FC_READCAT(*md);
    ASSERT_GE(md->CAT.CATNUM, 2);
    if (in_memory) {
      enter_sub_catalog_in_memory(md->CAT.CATREC[1]);
    } else {
      FC_CHDIR(md->CAT.CATREC[1]);
    }
    EXPECT_EQ(std::tuple(take_critical_text(), current_catalog(*md)), std::tuple("", root))
        << in_memory;
    md->held_catalog.reset();
    reload();
  }
}

// An entry of type $FF is entered only when the first entry of the catalog it leads to
// leads back here: a sector of zeros, or a catalog whose first entry leads elsewhere, is
// refused with a message and the image keeps its current catalog.
TEST_F(ChangeDirTest, ASubCatalogMustLeadBack) {
  root = current_catalog(*md);
  FC_MAKEDIR(*md, agat_name("SUB"));
  FC_MAKEDIR(*md, agat_name("OTHER"));
  reload();
  const TCATREC other = entry("OTHER");
  struct Case {
    const char* what;
    std::uint8_t t, s;
    bool inside_other;
  };
  std::uint8_t zt, zs;
  ASSERT_TRUE(NEWSECT(*md, zt, zs));
  md->MASS[zt][zs].fill(0);
  // SUB's first sector, whose first entry leads back to the root, seen from OTHER.
  const TCATREC sub = entry("SUB");
  for (const Case& c :
       {Case{"zeros", zt, zs, false}, Case{"another's sub-catalog", sub.TTSL, sub.STSL, true}}) {
    TCATREC33 e{};
    e.TF = c.t;
    e.SF = c.s;
    e.E = 0xFF;
    std::copy_n(agat_name("X").begin(), 30, e.N);
    if (c.inside_other) {
      // From inside OTHER, an entry that leads to SUB: SUB leads back to the root instead.
      root_entry(2).TF = 0;
      FC_CHDIR(entry("OTHER"));
      reload();
      ASSERT_EQ(take_critical_text(), "");
      as<TCATSECTOR>(md->MASS[other.TTSL][other.STSL]).CR[1] = e;
    } else {
      root_entry(2) = e;
    }
    store();
    const auto image = image_bytes();
    const TSREF here = current_catalog(*md);
    FC_CHDIR(entry("X"));
    EXPECT_EQ(take_critical_text(), "Переход в BTK-каталог: новый каталог: первая запись сектора " +
                                        std::to_string(c.t) + "/" + std::to_string(c.s) +
                                        " не ведёт обратно в текущий каталог\r\n")
        << c.what;
    EXPECT_EQ(std::tuple(image_bytes() == image, current_catalog(*md)), std::tuple(true, here))
        << c.what;
  }
}

}  // namespace
}  // namespace agat

#include "core/change_dir.h"

#include <gtest/gtest.h>

#include "core/catalog_ops.h"
#include "core/cp1251.h"
#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::TempDir;

TEST(ChangeDir, ParentPaths) {
  EXPECT_EQ(parent_host_path("/a/b/"), "/a/");
  EXPECT_EQ(parent_host_path("/a/"), "/");
  EXPECT_EQ(parent_host_path("/"), "/");
  EXPECT_EQ(parent_host_path("x/"), "x/");
}

TEST_F(CoreTest, HostDirectoriesAndImages) {
  TempDir dir;
  auto md = testing::new_medium();
  TCATREC e;
  e.PMEDIA = md.get();
  md->HOSTPATH = "/a/";
  e.CATRECT = CRTHOSTFSDIR;
  e.HOSTNAME = "sub dir";
  FC_CHDIR(e);
  EXPECT_EQ(md->HOSTPATH, "/a/sub dir/");
  e.HOSTNAME = "..";
  FC_CHDIR(e);
  EXPECT_EQ(md->HOSTPATH, "/a/");

  for (auto [type, tr, sc] : {std::tuple{IT128I140, 34, 15}, std::tuple{ITA800, 159, 20}}) {
    md->MEDIAT = MDHOSTFS;
    e.CATRECT = CRTDISKIMAGE;
    e.HOSTNAME = "disk.img";
    e.IMAGET = type;
    FC_CHDIR(e);
    EXPECT_EQ(md->MEDIAT, MDIMAGE);
    EXPECT_EQ(md->IMAGENAME, "disk.img");
    EXPECT_EQ(md->NUMTR, tr);
    EXPECT_EQ(md->NUMSC, sc);
    EXPECT_EQ(md->VTOCMASKS, sc == 15 ? &FC_VTOCMASK140 : &FC_VTOCMASK800);
    e.CATRECT = CRTHOSTFSDIR;  // the ".." of the image
    FC_CHDIR(e);
    EXPECT_EQ(md->MEDIAT, MDHOSTFS);
    EXPECT_EQ(md->HOSTPATH, "/a/");
  }
}

TEST_F(CoreTest, EnteringABadSubCatalogStaysPut) {
  TempDir dir;
  auto md = testing::create_image(dir.host_path(), "d.dsk", ITI140);
  FC_READCAT(*md);
  FC_MAKEDIR(*md, testing::agat_name("SUB"));
  FC_READCAT(*md);
  TCATREC sub = *testing::find_entry(*md, "SUB");
  sub.TTSL = 3;  // never written
  const auto before = testing::read_bytes(dir.file("d.dsk"));
  FC_CHDIR(sub);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Переход в BTK-каталог: новый каталог: сектор 3/" + std::to_string(sub.STSL) +
                " не читается\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("d.dsk")), before);
}

}  // namespace
}  // namespace agat

// The image menu's bootable image end to end: the DOS of the image under the cursor in a new
// image of the form picked.
#include <gtest/gtest.h>

#include "core/vtoc.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using BootImage = testing::SorbelTest;

TEST_F(BootImage, NewImageTakesTheDosOfTheImageUnderTheCursor) {
  auto m = image("m.dsk");
  for (int s = 0; s < 16; ++s) m->MASS[0][s].fill(0x55);  // a system that reads
  m->MASS[2][7].fill(0x27);
  GETSECT(*m, 2, 7);
  FC_SAVEMEDIA(*m, false);
  screen->key(HKEY_END);
  menu("Образ", "Создать загрузочный образ (ДОС образа под курсором)");
  shows({"Выберите форму нового образа", "dsk140", "nib140", "woz"});
  screen->keys({HKEY_RIGHT, KEYCODE_ENTER, HKEY_HOME});
  answer(" Введите имя нового образа ", "boot");  // before the extension proposed
  quit();
  auto b = read_image("boot.NIB", ITN140);
  EXPECT_TRUE(std::equal(b->MASS[0].begin(), b->MASS[0].begin() + 16, m->MASS[0].begin()) &&
              b->MASS[2][7] == m->MASS[2][7]);
  EXPECT_EQ(b->FREESPACE, 541u);
}

}  // namespace
}  // namespace agat

// The image menu's bootable image end to end: the DOS of the image under the cursor in a new
// image of the form picked, and the message when the cursor is on no image.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/volume_name.h"
#include "core/vtoc.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using BootImage = testing::SorbelTest;

TEST_F(BootImage, NewImageTakesTheDosOfTheImageUnderTheCursor) {
  auto m = image("m.dsk");
  save(*m, "FILE", 0x04, 1000, 0x11);
  for (auto& sector : m->MASS[0]) sector.fill(0x55);  // a system that reads
  m->MASS[2][7].fill(0x27);
  GETSECT(*m, 2, 7);
  set_volume_name(as<TVTOCSECTOR>(m->MASS[17][0]), L2A("ОБРАЗЕЦ"_w));
  FC_SAVEMEDIA(*m, false);
  const char* const item = "Создать загрузочный образ (ДОС образа под курсором)";
  screen->key(HKEY_HOME);
  menu("Образ", item);
  shows({"Создание загрузочного образа: поставьте курсор на образ, ДОС которого нужна"});
  screen->keys({KEYCODE_ESCAPE, HKEY_END});
  menu("Образ", item);
  shows({"Выберите форму нового образа", "dsk140", "nib140", "woz"});
  screen->keys({HKEY_RIGHT, KEYCODE_ENTER});
  shows({" Введите имя нового образа ", ".NIB"});
  screen->key(HKEY_HOME);
  screen->text("boot");
  screen->key(KEYCODE_ENTER);
  quit();
  auto b = read_image("boot.NIB", ITN140);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_EQ(volume_name(as<TVTOCSECTOR>(b->MASS[17][0])), L2A("ОБРАЗЕЦ"_w));
  EXPECT_EQ(b->MASS[0][15], m->MASS[0][15]);
  EXPECT_EQ(b->MASS[2][7], m->MASS[2][7]);
  EXPECT_FALSE(FC_IS_SECFREE(*b, 2, 7));
  EXPECT_EQ(b->FREESPACE, 541u);  // the file is left behind
  EXPECT_EQ(b->CAT.CATNUM, 1);
}

}  // namespace
}  // namespace agat

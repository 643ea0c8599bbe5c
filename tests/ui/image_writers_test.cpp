// The file manager and another program writing one image: a panel read before the other
// program's change never saves over it.
#include <gtest/gtest.h>

#include "ui/fixtures.h"

namespace agat {
namespace {

using testing::find_entry;

using ImageWriters = testing::SorbelTest;

TEST_F(ImageWriters, ASaveOverAnotherProgramsChangeIsRefusedAndThePanelReread) {
  auto a = image("a.dsk");
  save(*a, "ONE", 0x04, 1000, 0x11);
  save(*a, "TWO", 0x04, 300, 0x22);
  screen->key(KEYCODE_ENTER);
  // While the panel shows the image, another program adds a file to it.
  screen->then([&](MemoryConsole&) {
    auto other = read_image("a.dsk");
    save(*other, "THIRD", 0x04, 700, 0x33);
  });
  screen->keys({HKEY_DOWN, HKEY_F8});
  shows({"другой программой после чтения"});
  screen->key(KEYCODE_ESCAPE);
  // Read again: the other file is listed, and the delete goes through now.
  check([&](MemoryConsole&) { EXPECT_NE(panel_row("THIRD"), 0); });
  screen->keys({HKEY_HOME, HKEY_DOWN, HKEY_F8});
  quit({"a.dsk"});

  auto a2 = read_image("a.dsk");
  EXPECT_EQ(load(*a2, "THIRD").size(), 768u);
  EXPECT_EQ(load(*a2, "TWO").at(299), 0x22);
  EXPECT_NE(testing::find_deleted(*a2, "ONE"), nullptr);
  expect_consistent({"a.dsk"});
}

}  // namespace
}  // namespace agat

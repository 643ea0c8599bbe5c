// Ctrl+C and C of the file manager end to end: the marks of the files that differ, the report.
#include <gtest/gtest.h>

#include <filesystem>

#include "content/colours.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using CompareActions = testing::SorbelTest;

TEST_F(CompareActions, CtrlCMarksTheLiveFilesWithoutAnIdenticalNamesakeAndCComparesTwoFiles) {
  auto a = image("a.dsk");
  save(*a, "SAME", 0x04, 256, 0x11);
  save(*a, "DIFF", 0x04, 300, 0x22);
  save(*a, "GONE", 0x00, 256);
  FC_DELETE(*testing::find_entry(*a, "GONE"));
  std::filesystem::copy_file(dir.file("a.dsk"), dir.file("b.dsk"));
  auto b = read_image("b.dsk");
  save(*b, "DIFF", 0x04, 300, 0x23);  // the same name and size, other bytes
  save(*b, "GONE", 0x00, 256);        // live here, deleted in a.dsk
  save(*b, "ONLY", 0x04, 256);
  // Marks made before go: the host directory ".." is no Agat file.
  screen->keys({KEYCODE_ENTER, '+', KEYCODE_TAB, KEYCODE_ENTER, ctrl_key('C')});
  left_rows(2, {" +HostDir: ..", "   B  002  SAME", ">  B  003  DIFF", "   T  002  GONE", ""});
  check([&](MemoryConsole&) {  // "..", SAME; then DIFF, GONE and ONLY marked
    for (int y = 2; y < 7; ++y) EXPECT_EQ(right(y)[0], y < 4 ? ' ' : '>') << right(y);
  });
  // The cursors on DIFF, the left panel's file first.
  screen->keys({HKEY_DOWN, HKEY_DOWN, KEYCODE_TAB, HKEY_DOWN, HKEY_DOWN, 'C'});
  shows(
      {"Сравнение файла DIFF", "с файлом        DIFF", "(побайтное сравнение)", "000000 000001 "});
  check([&](MemoryConsole& s) { EXPECT_EQ(s.attribute_at(1, 4), COL[CR_FCMP_BIN]); });
  screen->key(KEYCODE_ESCAPE);
  quit({"a.dsk", "b.dsk"});
}

}  // namespace
}  // namespace agat

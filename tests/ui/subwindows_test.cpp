#include "ui/subwindows.h"

#include <gtest/gtest.h>

#include "core/cp1251_literal.h"
#include "ui/console_fixture.h"
#include "ui/crt_keys.h"

namespace agat {
namespace {

using testing::cells;
using testing::first_other_attribute;

class SubWindows : public testing::ConsoleTest {
 protected:
  // Covers the screen with "x" so that the tests see what a window clears.
  void fill_screen() {
    TEXTATTR = 0x07;
    for (int y = 1; y <= mc().height(); ++y) {
      GOTOXY(1, y);
      MWRITE_NOCACHE(std::string(static_cast<std::size_t>(mc().width()), 'x'));
    }
  }
};

TEST_F(SubWindows, FrameTitleAndClearedInsideAtTheirCells) {
  fill_screen();
  SW_MAKEWIN(3, 2, 12, 6, 0x1E, 0x4F, " Hi ");

  // Ten columns wide: the title of four starts at 3 + (10 - 4) / 2 = 6.
  EXPECT_EQ(cells(mc(), 2, 2, 12), "x┌── Hi ──┐x");
  for (int y = 3; y <= 5; ++y) EXPECT_EQ(cells(mc(), 2, y, 12), "x│        │x") << "row " << y;
  EXPECT_EQ(cells(mc(), 2, 6, 12), "x└────────┘x");
  EXPECT_EQ(mc().row_trimmed(7), std::string(80, 'x'));
  EXPECT_EQ(cells(mc(), 1, 1, 3), "xxx");

  EXPECT_EQ(first_other_attribute(mc(), 3, 5, 2, 0x1E), 0);
  EXPECT_EQ(first_other_attribute(mc(), 6, 9, 2, 0x4F), 0);
  EXPECT_EQ(first_other_attribute(mc(), 10, 12, 2, 0x1E), 0);
  EXPECT_EQ(first_other_attribute(mc(), 3, 12, 4, 0x1E), 0);  // the cleared inside too
  EXPECT_EQ(mc().attribute_at(2, 4), 0x07);

  // The frame is drawn in the DOS code page, the title in the program's own.
  EXPECT_TRUE(CONSOLEENCODINGENABLE);
  EXPECT_EQ(TEXTATTR, 0x4F);
}

TEST_F(SubWindows, TitlesAreCentredWithTruncatingDivision) {
  // Eleven columns and a title of four: 5 + (11 - 4) / 2 = 8.
  SW_MAKEWIN(5, 1, 15, 3, 0x02, 0x0B, " Да "_w);
  EXPECT_EQ(cells(mc(), 5, 1, 11), "┌── Да ───┐");

  // A title wider than its frame overhangs it: 20 + (4 - 7) / 2 = 19, not 18.
  SW_MAKEWIN(20, 5, 23, 7, 0x02, 0x0B, "ABCDEFG");
  EXPECT_EQ(cells(mc(), 18, 5, 9), " ABCDEFG ");
  EXPECT_EQ(cells(mc(), 20, 6, 4), "│  │");

  // The Russian title is converted, the frame is not.
  SW_MAKEWIN(1, 10, 20, 12, 0x02, 0x0B, " Справка "_w);
  EXPECT_EQ(mc().row_trimmed(10), "┌──── Справка ─────┐");
}

TEST_F(SubWindows, FramesBypassTheOutputCache) {
  MWRITE("cached");
  SW_MAKEWIN(10, 10, 20, 12, 0x02, 0x0B, "");
  EXPECT_FALSE(mc().contains("cached"));
  TEXTATTR = 0x07;
  GOTOXY(1, 20);
  MFLUSH();
  EXPECT_EQ(mc().row_trimmed(20), "cached");
}

TEST_F(SubWindows, CentredWindowsOnScreensOfTwoSizes) {
  std::int32_t x1 = 0, y1 = 0;
  SW_MAKECWIN(6, 3, 0x02, 0x0B, "", x1, y1);
  EXPECT_EQ(x1, 37);
  EXPECT_EQ(y1, 11);
  // W + 1 columns and H + 1 rows.
  EXPECT_EQ(cells(mc(), 36, 11, 9), " ┌─────┐ ");
  EXPECT_EQ(cells(mc(), 37, 14, 7), "└─────┘");
  EXPECT_EQ(mc().row_trimmed(15), "");

  use_screen(41, 10);
  SW_MAKECWIN(6, 3, 0x02, 0x0B, "", x1, y1);
  EXPECT_EQ(x1, 17);
  EXPECT_EQ(y1, 3);
  EXPECT_EQ(cells(mc(), 17, 6, 7), "└─────┘");
}

TEST_F(SubWindows, AWindowAsWideAsTheScreenKeepsItsLeftFrame) {
  std::int32_t x1 = 0, y1 = 0;
  SW_MAKECWIN(79, 24, 0x02, 0x0B, "", x1, y1);
  EXPECT_EQ(x1, 1);
  EXPECT_EQ(y1, 1);
  EXPECT_EQ(cells(mc(), 1, 1, 1), "┌");
  EXPECT_EQ(cells(mc(), 80, 25, 1), "┘");
}

TEST(CalcSize, MeasuresLinesBetweenLineFeeds) {
  std::int32_t w = -1, h = -1;
  CALCSIZE("", w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 1);
  CALCSIZE("a\nbcd", w, h);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  CALCSIZE("abcd\nx\nyy", w, h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 3);
  // A carriage return is a character like any other; a final line feed opens a line.
  CALCSIZE("ab\r\n", w, h);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  CALCSIZE("\n\n", w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 3);
}

TEST_F(SubWindows, MessageBoxHasABlankColumnOnEachSideAndWaitsForAKey) {
  fill_screen();
  mc().then([](MemoryConsole& s) {
    // Body of three columns and two rows: a box of 7 columns and 4 rows at (37, 11).
    EXPECT_EQ(cells(s, 36, 11, 9), "x┌─ T ─┐x");
    EXPECT_EQ(cells(s, 36, 12, 9), "x│ a   │x");
    EXPECT_EQ(cells(s, 36, 13, 9), "x│ bcd │x");
    EXPECT_EQ(cells(s, 36, 14, 9), "x└─────┘x");
    EXPECT_EQ(s.row_trimmed(15), std::string(80, 'x'));
    EXPECT_EQ(first_other_attribute(s, 39, 41, 13, 0x0F), 0);
    EXPECT_EQ(s.attribute_at(38, 13), 0x0E);
    EXPECT_EQ(s.attribute_at(39, 11), 0x0C);
    EXPECT_FALSE(s.cursor_visible());
  });
  mc().key('q');
  SW_MESSAGE(0x0E, 0x0C, 0x0F, " T ", "a\nbcd");
  EXPECT_TRUE(mc().script_done());
  EXPECT_EQ(mc().keys_read(), 1);
}

TEST_F(SubWindows, MessageBoxOnASmallScreen) {
  use_screen(30, 8);
  mc().key(HKEY_F1);
  SW_MESSAGE(0x0E, 0x0C, 0x0F, " Ошибка "_w, "Нет места\n\nна диске"_w);
  // W 9, H 3: SW_MAKECWIN(12, 4) at ((30 - 12) / 2, (8 - 4) / 2) = (9, 2).
  EXPECT_EQ(mc().row_trimmed(2), "        ┌─ Ошибка ──┐");
  EXPECT_EQ(mc().row_trimmed(3), "        │ Нет места │");
  EXPECT_EQ(mc().row_trimmed(4), "        │           │");
  EXPECT_EQ(mc().row_trimmed(5), "        │ на диске  │");
  EXPECT_EQ(mc().row_trimmed(6), "        └───────────┘");
}

}  // namespace
}  // namespace agat

#include "ui/mini_menu.h"

#include <gtest/gtest.h>

#include "content/colours.h"
#include "core/cp1251_literal.h"
#include "ui/console_fixture.h"
#include "ui/crt_keys.h"

namespace agat {
namespace {

using testing::cells;
using testing::first_other_attribute;

constexpr std::uint8_t kRamka = 0x04, kHeader = 0x0E, kBody = 0x0C, kMenu = 0x1B;
constexpr std::uint8_t kHighlight = 0xB1;  // kMenu with its two colours swapped

class MiniMenu : public testing::ConsoleTest {
 protected:
  bool ask(std::uint8_t& sel, std::initializer_list<std::uint16_t> keys) {
    mc().keys(keys);
    const bool chosen = MN_MINI(kRamka, kHeader, kBody, kMenu, " Удаление "_w, "Удалить файл?"_w,
                                "| Да | Нет "_w, sel);
    EXPECT_TRUE(mc().script_done());
    return chosen;
  }
};

TEST_F(MiniMenu, QuestionAndButtonsAreCentredInTheBox) {
  // The question (13) is wider than the buttons (" Да " and " Нет " with a gap: 11), so
  // W = 13 and the box is SW_MAKECWIN(16, 3) at (32, 11).
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(cells(s, 32, 11, 17), "┌── Удаление ───┐");
    EXPECT_EQ(cells(s, 32, 12, 17), "│ Удалить файл? │");
    EXPECT_EQ(cells(s, 32, 13, 17), "│   Да    Нет   │");
    EXPECT_EQ(cells(s, 32, 14, 17), "└───────────────┘");
    EXPECT_EQ(first_other_attribute(s, 34, 46, 12, kBody), 0);
    // The chosen button in the swapped colours; the gap and the other one plain.
    EXPECT_EQ(first_other_attribute(s, 35, 38, 13, kHighlight), 0);
    EXPECT_EQ(first_other_attribute(s, 39, 45, 13, kMenu), 0);
    EXPECT_EQ(s.attribute_at(34, 13), kRamka);
    EXPECT_EQ(s.attribute_at(46, 13), kRamka);
    EXPECT_FALSE(s.cursor_visible());
  });
  mc().key(HKEY_RIGHT);
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(first_other_attribute(s, 35, 40, 13, kMenu), 0);
    EXPECT_EQ(first_other_attribute(s, 41, 45, 13, kHighlight), 0);
  });
  std::uint8_t sel = 1;
  EXPECT_TRUE(ask(sel, {KEYCODE_ENTER}));
  EXPECT_EQ(sel, 2);
}

TEST_F(MiniMenu, TheSelectionStaysWithinTheButtons) {
  std::uint8_t sel = 1;
  EXPECT_TRUE(ask(sel, {HKEY_LEFT, KEYCODE_ENTER}));
  EXPECT_EQ(sel, 1);

  sel = 2;
  EXPECT_TRUE(ask(sel, {HKEY_RIGHT, KEYCODE_ENTER}));
  EXPECT_EQ(sel, 2);

  sel = 1;
  EXPECT_TRUE(ask(sel, {HKEY_RIGHT, HKEY_RIGHT, HKEY_LEFT, HKEY_LEFT, HKEY_RIGHT, KEYCODE_ENTER}));
  EXPECT_EQ(sel, 2);

  // Other keys change nothing; Escape answers false and leaves the last choice in SEL.
  sel = 1;
  EXPECT_FALSE(ask(sel, {'y', HKEY_DOWN, HKEY_F1, HKEY_RIGHT, KEYCODE_ESCAPE}));
  EXPECT_EQ(sel, 2);
}

TEST_F(MiniMenu, ButtonsWiderThanTheQuestionOnASmallScreen) {
  use_screen(40, 10);
  mc().then([](MemoryConsole& s) {
    // Three buttons of three letters and two gaps: 13 wide, so SW_MAKECWIN(16, 3) at
    // (12, 3); the question of one character at 12 + (13 - 1) / 2 + 2.
    const std::string left(11, ' ');
    EXPECT_EQ(s.row_trimmed(3), left + "┌────── ? ──────┐");
    EXPECT_EQ(s.row_trimmed(4), left + "│       ?       │");
    EXPECT_EQ(s.row_trimmed(5), left + "│ One  Two  Tri │");
    EXPECT_EQ(first_other_attribute(s, 14, 18, 5, kMenu), 0);
    EXPECT_EQ(first_other_attribute(s, 19, 21, 5, kHighlight), 0);
    EXPECT_EQ(first_other_attribute(s, 22, 26, 5, kMenu), 0);
  });
  mc().keys({HKEY_RIGHT, HKEY_RIGHT, HKEY_RIGHT, KEYCODE_ENTER});
  std::uint8_t sel = 2;
  EXPECT_TRUE(MN_MINI(kRamka, kHeader, kBody, kMenu, " ? ", "?", "|One|Two|Tri", sel));
  EXPECT_EQ(sel, 3);
}

}  // namespace
}  // namespace agat

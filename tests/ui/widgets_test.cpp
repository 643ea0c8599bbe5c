// The widgets: framed windows, the message box, the question with buttons and the
// one-line input. The end-to-end tests see them only as text somewhere on the screen;
// here are their exact cells and colours, the editing rules key by key, and the limits.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "content/colours.h"
#include "core/cp1251_literal.h"
#include "platform/crt_keys.h"
#include "support/catalog.h"
#include "ui/dialogs.h"
#include "ui/fixtures.h"
#include "ui/mini_menu.h"
#include "ui/subwindows.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::cells;
using testing::first_other_attribute;
using Widgets = testing::ConsoleTest;

constexpr std::uint16_t ENTER = KEYCODE_ENTER, ESC = KEYCODE_ESCAPE, BS = KEYCODE_BACKSPACE;
constexpr std::uint16_t LEFT = HKEY_LEFT, RIGHT = HKEY_RIGHT, HOME = HKEY_HOME, END = HKEY_END;
constexpr std::uint16_t DEL = HKEY_DC;

// Covers the screen with "x" so that a test sees what a window clears and what not.
void fill_screen(MemoryConsole& mc) {
  for (int y = 1; y <= mc.height(); ++y) {
    crt_goto_xy(1, y);
    MWRITE_NOCACHE(std::string(static_cast<std::size_t>(mc.width()), 'x'));
  }
}

TEST_F(Widgets, WindowFramesTitlesAndTheMessageBoxAtTheirCells) {
  fill_screen(mc());
  // Ten columns wide: the title of four starts at 3 + (10 - 4) / 2 = 6.
  SW_MAKEWIN(3, 2, 12, 6, 0x1E, 0x4F, " Hi ");
  EXPECT_EQ(cells(mc(), 2, 2, 12), "x┌── Hi ──┐x");
  for (int y = 3; y <= 5; ++y) EXPECT_EQ(cells(mc(), 2, y, 12), "x│        │x") << "row " << y;
  EXPECT_EQ(cells(mc(), 2, 6, 12), "x└────────┘x");
  EXPECT_EQ(mc().row_trimmed(7), std::string(80, 'x'));
  EXPECT_EQ(first_other_attribute(mc(), 6, 9, 2, 0x4F), 0);
  EXPECT_EQ(first_other_attribute(mc(), 10, 12, 2, 0x1E), 0);
  EXPECT_EQ(first_other_attribute(mc(), 3, 12, 4, 0x1E), 0);  // the cleared inside too

  // A title wider than its frame overhangs it evenly: 20 + (4 - 7) / 2 = 19, not 18.
  SW_MAKEWIN(20, 12, 23, 14, 0x02, 0x0B, "ABCDEFG");
  EXPECT_EQ(cells(mc(), 18, 12, 9), "xABCDEFGx");
  EXPECT_EQ(cells(mc(), 19, 13, 6), "x│  │x");

  // A message box has a blank column on each side of its text, and waits for a key.
  use_screen(80, 25);
  fill_screen(mc());
  mc().then([](MemoryConsole& s) {
    // Body of three columns and two rows: SW_MAKECWIN(6, 3), 7 columns and 4 rows at (37, 11).
    EXPECT_EQ(cells(s, 36, 11, 9), "x┌─ T ─┐x");
    EXPECT_EQ(cells(s, 36, 12, 9), "x│ a   │x");
    EXPECT_EQ(cells(s, 36, 13, 9), "x│ bcd │x");
    EXPECT_EQ(cells(s, 36, 14, 9), "x└─────┘x");
    EXPECT_EQ(s.row_trimmed(15), std::string(80, 'x'));
    EXPECT_EQ(first_other_attribute(s, 39, 41, 13, 0x0F), 0);
    EXPECT_FALSE(s.cursor_visible());
  });
  mc().keys({'q', HKEY_F1});
  SW_MESSAGE(0x0E, 0x0C, 0x0F, " T ", "a\nbcd");
  EXPECT_EQ(mc().keys_read(), 1);  // one key, whatever it is
}

constexpr std::uint8_t kRamka = 0x04, kHeader = 0x0E, kBody = 0x0C, kMenu = 0x1B;
constexpr std::uint8_t kHighlight = 0xB1;  // kMenu with its two colours swapped

TEST_F(Widgets, MiniMenuCentresItsPartsHighlightsTheChoiceAndKeepsItWithinTheButtons) {
  // The question (13) is wider than " Да " and " Нет " with their gap (11), so W = 13
  // and the box is SW_MAKECWIN(16, 3) at (32, 11).
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(cells(s, 32, 12, 17), "│ Удалить файл? │");
    EXPECT_EQ(cells(s, 32, 13, 17), "│   Да    Нет   │");
    // The chosen button in the swapped colours; the gap and the other one plain.
    EXPECT_EQ(first_other_attribute(s, 35, 38, 13, kHighlight), 0);
    EXPECT_EQ(first_other_attribute(s, 39, 45, 13, kMenu), 0);
    EXPECT_FALSE(s.cursor_visible());
  });
  mc().key(RIGHT);
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(first_other_attribute(s, 35, 40, 13, kMenu), 0);
    EXPECT_EQ(first_other_attribute(s, 41, 45, 13, kHighlight), 0);
  });
  mc().key(ENTER);
  std::uint8_t sel = 1;
  EXPECT_TRUE(MN_MINI(kRamka, kHeader, kBody, kMenu, " Удаление "_w, "Удалить файл?"_w,
                      "| Да | Нет "_w, sel));
  EXPECT_EQ(sel, 2);

  // The selection stays within the buttons. The preselected button, the keys, the
  // choice; other keys change nothing; Escape answers false and leaves the last choice.
  const std::tuple<std::uint8_t, std::vector<std::uint16_t>, std::uint8_t> cases[] = {
      {1, {LEFT, ENTER}, 1},
      {3, {RIGHT, ENTER}, 3},
      {1, {RIGHT, RIGHT, RIGHT, LEFT, ENTER}, 2},
      {1, {'y', HKEY_DOWN, HKEY_F1, RIGHT, ESC}, 2},
  };
  for (auto [preselected, keys, chosen] : cases) {
    for (std::uint16_t key : keys) mc().key(key);
    sel = preselected;
    EXPECT_EQ(MN_MINI(kRamka, kHeader, kBody, kMenu, " ? ", "?", "|One|Two|Tri", sel),
              keys.back() == ENTER);
    EXPECT_EQ(sel, chosen);
  }
}

TEST_F(Widgets, EnterStringOpensSelectedWithTheCursorBeforeTheExtensionAndEditsByTheRules) {
  // MAXLEN 10: a window of 13 columns and 3 rows at ((80 - 12) / 2, (25 - 2) / 2).
  // Codes the console cannot show appear as "?".
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(cells(s, 34, 11, 13), "┌─── Имя ───┐");
    EXPECT_EQ(cells(s, 34, 12, 13), "│A??D.TXА   │");
    EXPECT_EQ(first_other_attribute(s, 35, 44, 12, COL[ENTERSTR_HITEXT]), 0);
    EXPECT_EQ(s.where_x(), 39);
    EXPECT_TRUE(s.cursor_visible());
  });
  mc().key(RIGHT);
  mc().then([](MemoryConsole& s) {
    // Any key ends the selection: the field is drawn in the plain colour.
    EXPECT_EQ(first_other_attribute(s, 35, 44, 12, COL[ENTERSTR_TEXT]), 0);
    EXPECT_EQ(s.where_x(), 40);
  });
  mc().key(ESC);
  std::string text = "A\226\001D.TX\300";
  EXPECT_FALSE(ENTERSTRING(" Имя "_w, text, 10));
  EXPECT_EQ(text, "A\226\001D.TX\300");  // the codes shown as "?" are kept

  const std::tuple<std::string, std::vector<std::uint16_t>, std::string> cases[] = {
      // The first key that edits acts on the whole selected text; Escape (answering
      // false) leaves the edited text all the same.
      {"ABCD.TXT", {'X', 'Y', ENTER}, "XY"},
      {"ABCD.TXT", {BS, ENTER}, ""},
      {"ABCD.TXT", {DEL, 'Y', ENTER}, "Y"},
      {"ABCD.TXT", {ENTER}, "ABCD.TXT"},
      {"ABCD.TXT", {'Q', ESC}, "Q"},
      {"ABCDEFGHIJ", {'x', ENTER}, "x"},  // even when the text fills the field
      // Any other key ends the selection; typing then inserts at the cursor, which
      // starts before the first ".", at the end without one.
      {"ABCD.TXT", {LEFT, 'Z', ENTER}, "ABCZD.TXT"},
      {"ABCD.TXT", {KEYCODE_TAB, 'X', ENTER}, "ABCDX.TXT"},
      {".TXT", {HKEY_F1, 'a', ENTER}, "a.TXT"},
      {"A.B.C", {RIGHT, '!', ENTER}, "A.!B.C"},
      {"NAME", {RIGHT, 'S', ENTER}, "NAMES"},
      // Moves and deletions stop at the ends; Backspace takes the cursor along, Delete not.
      {"ABCD.TXT", {HOME, LEFT, 'Q', END, RIGHT, 'E', ENTER}, "QABCD.TXTE"},
      {"ABCD.TXT", {HOME, BS, END, DEL, ENTER}, "ABCD.TXT"},
      {"ABCD.TXT", {HOME, DEL, DEL, ENTER}, "CD.TXT"},
      {"ABCD.TXT", {RIGHT, BS, ENTER}, "ABCDTXT"},
      {"ABCD.TXT", {LEFT, BS, '1', ENTER}, "AB1D.TXT"},
      {"ABCD.TXT", {LEFT, DEL, '1', ENTER}, "ABC1.TXT"},
      // MAXLEN 10: the third character finds the field full.
      {"ABCD.TXT", {END, '1', '2', '3', ENTER}, "ABCD.TXT12"},
  };
  for (const auto& [initial, keys, edited] : cases) {
    SCOPED_TRACE(initial + ", " + std::to_string(keys.size()) + " keys to " + edited);
    for (std::uint16_t key : keys) mc().key(key);
    text = initial;
    EXPECT_EQ(ENTERSTRING(" Имя "_w, text, 10), keys.back() == ENTER);
    EXPECT_EQ(text, edited);
  }
}

TEST_F(Widgets, AgatNameLosesItsTrailingBlanksForEditingOnly) {
  // MAXLEN 30: the field starts at column (80 - 32) / 2 + 1 = 25; the cursor stands
  // after the last character that is not a blank.
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(cells(s, 25, 12, 31), "  HELLO  WORLD" + std::string(17, ' '));
    EXPECT_EQ(s.where_x(), 25 + 14);
  });
  // Leading and inner blanks, Russian letters, an Agat control code and a blank name
  // all come back as they were.
  TAGATNAME russian = agat_name("ФАЙЛ.Б");
  russian[8] = 0x01;
  for (const TAGATNAME& original : {agat_name("  HELLO  WORLD"), russian, agat_name("")}) {
    mc().key(ENTER);
    TAGATNAME name = original;
    EXPECT_TRUE(DL_ENTERAGATFILENAME(" Имя "_w, name));
    EXPECT_EQ(name, original);
  }
  // The edited name is written back, padded, on Escape too.
  mc().text("ДИСК");
  mc().key(ESC);
  TAGATNAME name = agat_name("OLD NAME");
  EXPECT_FALSE(DL_ENTERAGATFILENAME(" Имя "_w, name));
  EXPECT_EQ(name, agat_name("ДИСК"));
}

}  // namespace
}  // namespace agat

// The hex editor on the in-memory console: the rows it draws, scrolling read-only,
// typing in hex and text mode with the cursor's place, selection and F5 copy within the
// block, the question on leaving with changes, Enter to the disassembly.
#include <gtest/gtest.h>

#include "content/colours.h"
#include "content/viewer_recorder.h"
#include "platform/crt_keys.h"
#include "ui/crt_hexedit.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using namespace crt_hexedit;
using Bytes = std::vector<std::uint8_t>;
using testing::first_other_attribute;
constexpr std::uint16_t ENTER = KEYCODE_ENTER, ESC = KEYCODE_ESCAPE, TAB = KEYCODE_TAB;
constexpr std::uint16_t LEFT = HKEY_LEFT, RIGHT = HKEY_RIGHT, INS = HKEY_IC;

class HexEdit : public testing::ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    TOP = CURSOR = 0x7FF0;  // left by an earlier session, far past any block here
  }
  // Runs the editor on BLOCK (an exact-size copy, so that a stray access is caught) until
  // the scripted keys are read; the block as it was left.
  bool edit(Bytes& block, std::int32_t offs, bool read_only) {
    const bool result =
        hex_edit(block.data(), static_cast<std::int32_t>(block.size()), offs, read_only);
    EXPECT_TRUE(mc().script_done());
    return result;
  }
  void row_is(int y, const std::string& text) {
    mc().then([=](MemoryConsole& s) { EXPECT_EQ(s.row_trimmed(y), text); });
  }
  // Scripts KEYS, then a check that the cursor shows at X, Y.
  void cursor_after(std::initializer_list<std::uint16_t> keys, int x, int y) {
    mc().keys(keys);
    mc().then([=](MemoryConsole& s) {
      EXPECT_EQ(std::pair(s.where_x(), s.where_y()), std::pair(x, y));
      EXPECT_TRUE(s.cursor_visible());
    });
  }
};

TEST_F(HexEdit, RowsAndReadOnlyScrolling) {
  Bytes block(20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0xC1 + i);
  block[19] = 0x8D;  // no printable character: "."
  row_is(1, "0800:  C1 C2 C3 C4 C5 C6 C7 C8 - C9 CA CB CC CD CE CF D0   ABCDEFGH IJKLMNOP");
  row_is(2, "0810:  D1 D2 D3 8D -- -- -- -- - -- -- -- -- -- -- -- --   QRS.");
  row_is(3, "");
  mc().then([](MemoryConsole& s) {
    EXPECT_FALSE(s.cursor_visible());
    for (auto [x, colour] : {std::pair{1, HEX_ADDR}, {8, HEX_HEX}, {32, HEX_HEX}, {60, HEX_CHAR}})
      EXPECT_EQ(s.attribute_at(x, 1), COL[colour]) << x;
  });
  mc().keys({TAB, 'a', LEFT, HKEY_F5, INS});  // read-only: nothing to type or select
  mc().key(ESC);
  EXPECT_FALSE(edit(block, 0x0800, true));
  EXPECT_EQ(block[0], 0xC1);

  // A base address off a multiple of 16 starts with empty fields.
  Bytes large(1000, 0xA0);
  row_is(1, "0000:  -- -- -- A0 A0 A0 A0 A0 - A0 A0 A0 A0 A0 A0 A0 A0");
  // clang-format off
  for (auto [key, top] : std::vector<std::pair<std::uint16_t, std::string>>{
           {HKEY_END, "0260"}, {HKEY_PPAGE, "00E0"}, {HKEY_HOME, "0000"}, {HKEY_DOWN, "0010"},
           {HKEY_NPAGE, "0190"}, {HKEY_NPAGE, "0310"}, {HKEY_NPAGE, "03E0"}, {HKEY_UP, "03D0"},
           {HKEY_DC, "0260"}}) {
    // clang-format on
    mc().key(key);
    mc().then([top = top](MemoryConsole& s) { EXPECT_EQ(s.row(1).substr(0, 5), top + ":"); });
  }
  mc().key(HKEY_F3);
  EXPECT_FALSE(edit(large, 3, true));
}

TEST_F(HexEdit, EveryBlockOpensAtItsFirstByte) {
  // Sessions one after the other, each left far from its start: the next block, shorter
  // or longer, read-only or not, shows its first row and (editing) has the cursor on its
  // first byte.
  struct Session {
    std::size_t size;
    std::int32_t offs;
    bool read_only;
    std::string first_row;  // the start of row 1 when it opens
    int cursor_x;           // 0: hidden
  };
  const std::vector<Session> sessions = {
      {1000, 0x0000, true, "0000:  00 01", 0},
      {20, 0x0800, true, "0800:  00 01", 0},  // shorter than the last one's place
      {300, 0x0000, false, "0000:  00 01", 8},
      {40, 0x0000, false, "0000:  00 01", 8},  // the cursor stood on byte 299
      {600, 0x2003, false, "2000:  -- -- -- 00", 17},
      {256, 0x0000, true, "0000:  00 01", 0},
  };
  for (const Session& s : sessions) {
    SCOPED_TRACE(s.size);
    Bytes block(s.size);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i);
    mc().then([&s](MemoryConsole& c) {
      EXPECT_EQ(c.row(1).substr(0, s.first_row.size()), s.first_row);
      EXPECT_EQ(c.cursor_visible(), s.cursor_x != 0);
      if (s.cursor_x != 0) {
        EXPECT_EQ(std::pair(c.where_x(), c.where_y()), std::pair(s.cursor_x, 1));
      }
    });
    mc().keys({HKEY_END, HKEY_NPAGE, HKEY_DOWN, ESC});
    EXPECT_FALSE(edit(block, s.offs, s.read_only));
  }
}

TEST_F(HexEdit, TypingInHexAndTextModeAndLeavingWithTheQuestion) {
  Bytes block(40, 0);
  cursor_after({}, 8, 1);
  cursor_after({'4'}, 9, 1);
  cursor_after({'1', 'F', 'A'}, 11, 1);  // upper-case letters are no digits
  cursor_after({RIGHT, RIGHT}, 14, 1);
  cursor_after({RIGHT, RIGHT, RIGHT, RIGHT, RIGHT, RIGHT, RIGHT, RIGHT, RIGHT, RIGHT, RIGHT, RIGHT},
               34, 1);                    // byte 8, past the "- "
  cursor_after({LEFT}, 30, 1);            // from the high digit to the low digit of the byte before
  cursor_after({TAB, HKEY_DOWN}, 67, 2);  // byte 23 (7 + 16) in the character column
  mc().text("Яa");
  cursor_after({}, 70, 2);
  // The cursor stays on the last byte.
  cursor_after({HKEY_END, RIGHT, HKEY_DOWN, HKEY_NPAGE}, 67, 3);
  mc().text("ж");
  row_is(1, "0000:  41 00 00 00 00 00 00 00 - 00 00 00 00 00 00 00 00   a....... ........");
  mc().keys({ESC});
  mc().then([](MemoryConsole& s) { EXPECT_TRUE(s.contains("Сохранить изменения ?")); });
  mc().key(ENTER);  // "Да" is preselected
  EXPECT_TRUE(edit(block, 0, false));
  EXPECT_EQ((Bytes{block[0], block[1], block[23], block[24], block[39]}),
            (Bytes{0x41, 0x00, 0xF1, 0x41, 0x56}));

  // "Нет", Escape in the question, or no change at all: false. F5 before any selection
  // copies nothing, also where the block holds address $FFFF.
  for (auto answer : {std::initializer_list<std::uint16_t>{'5', ESC, RIGHT, ENTER},
                      {'5', ESC, ESC},
                      {TAB, HKEY_DOWN, RIGHT, HKEY_F5, ESC}}) {
    mc().keys(answer);
    EXPECT_FALSE(edit(block, 0xFFD8, false));
  }
  // (The digit typed stays in the caller's buffer; F5 put nothing at the cursor, byte 17.)
  EXPECT_EQ((Bytes{block[0], block[17], block[39]}), (Bytes{0x51, 0x00, 0x56}));
}

TEST_F(HexEdit, SelectionAndCopyStayInTheBlock) {
  struct Case {
    std::vector<std::uint16_t> keys;
    Bytes expected;
  };
  // Insert, move, Insert marks bytes 0..2 (Right twice in hex mode is one byte).
  const std::vector<std::uint16_t> select = {INS, RIGHT, RIGHT, RIGHT, RIGHT, INS};
  for (const Case& c : std::vector<Case>{
           {{HKEY_END, HKEY_F5}, {1, 2, 3, 4, 5, 6, 7, 1}},                 // cut at the end
           {{HKEY_HOME, RIGHT, RIGHT, HKEY_F5}, {1, 1, 1, 1, 5, 6, 7, 8}},  // forward: repeats
           // A selection from byte 2 up past the block's start: bytes 0..2.
           {{INS, HKEY_UP, HKEY_UP, INS, HKEY_END, HKEY_F5}, {1, 2, 3, 4, 5, 6, 7, 1}}}) {
    Bytes block = {1, 2, 3, 4, 5, 6, 7, 8};
    for (std::uint16_t k : select) mc().key(k);
    mc().then([](MemoryConsole& s) {
      EXPECT_EQ(first_other_attribute(s, 34, 42, 1, COL[HEX_SELHEX]), 0);
      EXPECT_EQ(s.attribute_at(43, 1), COL[HEX_HEX]);
    });
    for (std::uint16_t k : c.keys) mc().key(k);
    mc().keys({ESC, ENTER});
    EXPECT_TRUE(edit(block, 0xFFF8, false));
    EXPECT_EQ(block, c.expected);
  }
}

TEST_F(HexEdit, EnterShowsTheDisassemblyAndAnEmptyBlockIsSaidSo) {
  testing::ViewRecorder viewer;
  Bytes block = {0xA9, 0xC1, 0x60};
  mc().keys({ENTER, ESC});
  EXPECT_FALSE(edit(block, 0x1800, false));
  ASSERT_EQ(viewer.shown.size(), 1u);
  const std::string listing = plain_text(viewer.shown[0]);
  EXPECT_EQ(listing.substr(0, listing.find('\n')), "1800-  A9 C1 ..   \")A\"    LDA  #$C1   'A");

  mc().then([](MemoryConsole& s) { EXPECT_TRUE(s.contains("│ Файл пуст │")) << s.screen_text(); });
  mc().key('k');
  Bytes none;
  EXPECT_FALSE(edit(none, 0, false));
}

}  // namespace
}  // namespace agat

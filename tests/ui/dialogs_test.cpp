#include "ui/dialogs.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "content/colours.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "ui/console_fixture.h"
#include "ui/crt_keys.h"

namespace agat {
namespace {

using testing::cells;
using testing::cp;
using testing::first_other_attribute;

constexpr std::uint16_t ENTER = KEYCODE_ENTER;
constexpr std::uint16_t ESC = KEYCODE_ESCAPE;
constexpr std::uint16_t BS = KEYCODE_BACKSPACE;

class EnterString : public testing::ConsoleTest {
 protected:
  // Runs the dialog on TEXT with the keys given; the script must end it.
  bool edit(std::string& text, std::int32_t maxlen, std::initializer_list<std::uint16_t> keys) {
    mc().keys(keys);
    const bool entered = ENTERSTRING(" Имя "_w, text, maxlen);
    EXPECT_TRUE(mc().script_done());
    return entered;
  }
  std::string edited(std::string text, std::initializer_list<std::uint16_t> keys) {
    EXPECT_TRUE(edit(text, 10, keys));
    return text;
  }
};

TEST_F(EnterString, OpensSelectedWithTheCursorBeforeTheExtension) {
  // MAXLEN 10: a window of 13 columns and 3 rows at ((80 - 12) / 2, (25 - 2) / 2).
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(cells(s, 34, 11, 13), "┌─── Имя ───┐");
    EXPECT_EQ(cells(s, 34, 12, 13), "│ABCD.TXT   │");
    EXPECT_EQ(cells(s, 34, 13, 13), "└───────────┘");
    EXPECT_EQ(first_other_attribute(s, 35, 44, 12, COL[ENTERSTR_HITEXT]), 0);
    EXPECT_EQ(s.attribute_at(45, 12), COL[ENTERSTR_RAMKA]);
    EXPECT_EQ(s.where_x(), 39);
    EXPECT_EQ(s.where_y(), 12);
    EXPECT_TRUE(s.cursor_visible());
  });
  mc().key(HKEY_RIGHT);
  mc().then([](MemoryConsole& s) {
    // Any key ends the selection: the field is drawn in the plain colour.
    EXPECT_EQ(first_other_attribute(s, 35, 44, 12, COL[ENTERSTR_TEXT]), 0);
    EXPECT_EQ(s.where_x(), 40);
  });
  std::string text = "ABCD.TXT";
  EXPECT_FALSE(edit(text, 10, {ESC}));
  EXPECT_EQ(text, "ABCD.TXT");
}

TEST_F(EnterString, TheFirstKeyActsOnTheWholeSelectedText) {
  EXPECT_EQ(edited("ABCD.TXT", {'X', ENTER}), "X");
  EXPECT_EQ(edited("ABCD.TXT", {'X', 'Y', ENTER}), "XY");
  EXPECT_EQ(edited("ABCD.TXT", {BS, ENTER}), "");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_DC, 'Y', ENTER}), "Y");
  EXPECT_EQ(edited("ABCD.TXT", {ENTER}), "ABCD.TXT");

  // Escape answers false, but the text is edited all the same.
  std::string text = "ABCD.TXT";
  EXPECT_FALSE(edit(text, 10, {'Q', ESC}));
  EXPECT_EQ(text, "Q");
}

TEST_F(EnterString, AfterAnyOtherKeyTypingInsertsAtTheCursor) {
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_LEFT, 'Z', ENTER}), "ABCZD.TXT");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_HOME, 'Q', ENTER}), "QABCD.TXT");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_END, 'E', ENTER}), "ABCD.TXTE");
  // Keys that do nothing end the selection too.
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_F1, 'X', ENTER}), "ABCDX.TXT");
  EXPECT_EQ(edited("ABCD.TXT", {KEYCODE_TAB, 'X', ENTER}), "ABCDX.TXT");
  // Without a "." the cursor starts at the end; with a leading one, at the start.
  EXPECT_EQ(edited("NAME", {HKEY_RIGHT, 'S', ENTER}), "NAMES");
  EXPECT_EQ(edited(".TXT", {HKEY_HOME, 'a', ENTER}), "a.TXT");
  EXPECT_EQ(edited("A.B.C", {HKEY_RIGHT, '!', ENTER}), "A.!B.C");
}

TEST_F(EnterString, CursorMovesAndDeletionsStopAtTheEnds) {
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_HOME, HKEY_LEFT, 'Q', ENTER}), "QABCD.TXT");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_END, HKEY_RIGHT, HKEY_RIGHT, 'E', ENTER}), "ABCD.TXTE");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_RIGHT, BS, ENTER}), "ABCDTXT");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_HOME, BS, ENTER}), "ABCD.TXT");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_HOME, HKEY_DC, HKEY_DC, ENTER}), "CD.TXT");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_END, HKEY_DC, ENTER}), "ABCD.TXT");
  // Backspace moves the cursor with it, Delete does not.
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_LEFT, BS, '1', ENTER}), "AB1D.TXT");
  EXPECT_EQ(edited("ABCD.TXT", {HKEY_LEFT, HKEY_DC, '1', ENTER}), "ABC1.TXT");
}

TEST_F(EnterString, AFullFieldIgnoresFurtherCharacters) {
  const std::string full(30, 'N');
  std::string text = full;
  EXPECT_TRUE(edit(text, 30, {HKEY_HOME, 'x', 'y', ENTER}));
  EXPECT_EQ(text, full);

  text = std::string(29, 'N');
  EXPECT_TRUE(edit(text, 30, {HKEY_HOME, 'x', 'y', ENTER}));
  EXPECT_EQ(text, "x" + std::string(29, 'N'));

  // The selected text is replaced by the one character even when it fills the field.
  text = full;
  EXPECT_TRUE(edit(text, 30, {'x', ENTER}));
  EXPECT_EQ(text, "x");
}

TEST_F(EnterString, UnprintableCodesShowAsQuestionMarksButAreKept) {
  std::string text = "a\x96z\x01\x98\xC0\x7E";
  mc().then([](MemoryConsole& s) { EXPECT_EQ(cells(s, 35, 12, 8), "a?z??А~ "); });
  EXPECT_TRUE(edit(text, 10, {ENTER}));
  EXPECT_EQ(text, "a\x96z\x01\x98\xC0\x7E");
}

TEST_F(EnterString, RussianLettersAreTypedAndShown) {
  mc().key(HKEY_END);
  mc().text("Жук");
  mc().then([](MemoryConsole& s) { EXPECT_EQ(cells(s, 35, 12, 6), "ИМЯЖук"); });
  std::string text = cp("ИМЯ");
  EXPECT_TRUE(edit(text, 10, {ENTER}));
  EXPECT_EQ(text, cp("ИМЯЖук"));
}

TEST_F(EnterString, HostFileNamesGetSeventyColumns) {
  use_screen(100, 30);
  mc().then([](MemoryConsole& s) {
    // A window of 73 columns at ((100 - 72) / 2, (30 - 2) / 2).
    EXPECT_EQ(cells(s, 14, 15, 1), "│");
    EXPECT_EQ(cells(s, 86, 15, 1), "│");
    EXPECT_EQ(cells(s, 13, 14, 2), " ┌");
    EXPECT_EQ(s.where_x(), 15 + 6);
  });
  mc().keys({HKEY_HOME});
  mc().text(std::string(80, 'a'));
  mc().key(ENTER);
  std::string name = "REPORT.TXT";
  EXPECT_TRUE(DL_ENTERHOSTFILENAME(" Файл "_w, name));
  EXPECT_EQ(name, std::string(60, 'a') + "REPORT.TXT");
}

class EnterAgatName : public testing::ConsoleTest {
 protected:
  // An Agat name from Windows-1251 text, padded with Agat blanks.
  static TAGATNAME agat_name(std::string_view text) {
    TAGATNAME name;
    name.fill(0xA0);
    for (std::size_t i = 0; i < text.size() && i < name.size(); ++i)
      name[i] = L2A(static_cast<std::uint8_t>(text[i]));
    return name;
  }
};

TEST_F(EnterAgatName, TrailingBlanksAreDroppedForEditingAndComeBack) {
  // MAXLEN 30: the field starts at column (80 - 32) / 2 + 1.
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(cells(s, 25, 12, 31), "  HELLO  WORLD" + std::string(17, ' '));
    EXPECT_EQ(s.where_x(), 25 + 14);
  });
  mc().key(ENTER);
  const TAGATNAME original = agat_name("  HELLO  WORLD");
  TAGATNAME name = original;
  EXPECT_TRUE(DL_ENTERAGATFILENAME(" Имя "_w, name));
  EXPECT_EQ(name, original);
}

TEST_F(EnterAgatName, RussianNamesAndUnprintableCodesSurviveTheRoundTrip) {
  mc().key(ENTER);
  TAGATNAME original = agat_name(cp("ФАЙЛ.Б"));
  original[8] = 0x01;  // an Agat control code
  TAGATNAME name = original;
  EXPECT_TRUE(DL_ENTERAGATFILENAME(" Имя "_w, name));
  EXPECT_EQ(name, original);
}

TEST_F(EnterAgatName, ABlankNameOpensEmptyAndEnterKeepsItBlank) {
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.where_x(), 25);
    EXPECT_EQ(cells(s, 25, 12, 30), std::string(30, ' '));
  });
  mc().key(ENTER);
  TAGATNAME name;
  name.fill(0xA0);
  const TAGATNAME blank = name;
  EXPECT_TRUE(DL_ENTERAGATFILENAME(" Имя "_w, name));
  EXPECT_EQ(name, blank);
}

TEST_F(EnterAgatName, TheEditedNameIsWrittenBackEvenOnEscape) {
  mc().text("ДИСК");
  mc().key(ESC);
  TAGATNAME name = agat_name("OLD NAME");
  EXPECT_FALSE(DL_ENTERAGATFILENAME(" Имя "_w, name));
  EXPECT_EQ(name, agat_name(cp("ДИСК")));
  EXPECT_EQ(name[4], 0xA0);
}

}  // namespace
}  // namespace agat

#include "ui/crt_viewer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <memory>

#include "content/colours.h"
#include "content/text_viewer.h"
#include "core/cp1251_literal.h"
#include "support/temp_dir.h"
#include "ui/console_fixture.h"
#include "ui/crt_keys.h"

namespace agat {
namespace {

using namespace crt_viewer;
using testing::cells;
using testing::cp;
using testing::first_other_attribute;

constexpr std::uint16_t ENTER = KEYCODE_ENTER;
constexpr std::uint16_t ESC = KEYCODE_ESCAPE;

// Lines "<prefix><number>" from 0 to N - 1, separated by line feeds.
std::string numbered(int n, const std::string& prefix = "line ") {
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (i > 0) out += '\n';
    out += prefix + std::to_string(i);
  }
  return out;
}

// "0123456789" repeated to N characters.
std::string digits(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += static_cast<char>('0' + i % 10);
  return out;
}

std::string colour(std::uint8_t attribute) {
  return std::string{'\0', static_cast<char>(attribute)};
}

class Viewer : public testing::ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    WRAPMODE = true;
    SEARCHSTRING.clear();
  }
  void TearDown() override {
    WRAPMODE = true;
    SEARCHSTRING.clear();
    set_text_view_hook(nullptr);
    ConsoleTest::TearDown();
  }

  // Shows TEXT; the scripted keys must leave the viewer.
  void view(const std::string& text) {
    // A copy of exactly the text's size, so that a read past its end is caught.
    const auto copy = std::make_unique<char[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), copy.get());
    TEXTVIEW(copy.get(), static_cast<std::uint32_t>(text.size()));
    EXPECT_TRUE(mc().script_done());
  }
  // Checks the screen at this point of the script.
  void expect_top(const std::string& utf8) {
    mc().then([utf8](MemoryConsole& s) { EXPECT_EQ(s.row_trimmed(1), utf8); });
  }
};

TEST_F(Viewer, WrapsALongLineAtTheScreenWidthLessOne) {
  const std::string line = digits(200);
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), line.substr(0, 79));
    EXPECT_EQ(s.row_trimmed(2), line.substr(79, 79));
    EXPECT_EQ(s.row_trimmed(3), line.substr(158));
    EXPECT_EQ(line.substr(158).size(), 42u);
    EXPECT_EQ(cells(s, 80, 1, 1), " ");
    // The wrapped part goes on in the colour of the line above.
    EXPECT_EQ(first_other_attribute(s, 1, 80, 2, 0x0E), 0);
    EXPECT_EQ(first_other_attribute(s, 1, 80, 4, COL[EMPTY]), 0);
    EXPECT_EQ(first_other_attribute(s, 1, 80, 25, COL[EMPTY]), 0);
    EXPECT_FALSE(s.cursor_visible());
  });
  // Right has no effect while lines are wrapped.
  mc().key(HKEY_RIGHT);
  expect_top(line.substr(0, 79));
  mc().key(ESC);
  view(colour(0x0E) + line);
  EXPECT_EQ(ENDLINE, 2);
}

TEST_F(Viewer, UnwrappedLinesScrollSideways) {
  WRAPMODE = false;
  const std::string line = digits(200);
  expect_top(line.substr(0, 79));
  mc().then([](MemoryConsole& s) { EXPECT_EQ(s.attribute_at(1, 2), COL[EMPTY]); });
  mc().keys({HKEY_RIGHT, HKEY_RIGHT, HKEY_RIGHT});
  expect_top(line.substr(3, 79));
  mc().keys({HKEY_LEFT, HKEY_LEFT, HKEY_LEFT, HKEY_LEFT});
  expect_top(line.substr(0, 79));
  mc().keys({HKEY_LEFT, HKEY_RIGHT});
  expect_top(line.substr(1, 79));
  mc().key(KEYCODE_ENTER);
  view(line);
  EXPECT_EQ(ENDLINE, 0);
}

TEST_F(Viewer, F4SwitchesWrappingAndKeepsTheTopLineNumber) {
  // Three lines of 100 characters: six screen lines wrapped, three unwrapped.
  const std::string text = "a" + digits(99) + "\nb" + digits(99) + "\nc" + digits(99);
  mc().keys({HKEY_DOWN, HKEY_DOWN});
  expect_top("b" + digits(78));
  mc().key(HKEY_F4);
  mc().then([&](MemoryConsole& s) {
    EXPECT_FALSE(WRAPMODE);
    EXPECT_EQ(ENDLINE, 2);
    EXPECT_EQ(s.row_trimmed(1), "c" + digits(78));
  });
  mc().keys({HKEY_RIGHT, HKEY_F4});
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(ENDLINE, 5);
    EXPECT_EQ(s.row_trimmed(1), "b" + digits(78));  // and scrolled back to the left
  });
  mc().key(HKEY_F4);
  mc().key(HKEY_F3);
  view(text);
  // The mode outlives the session.
  EXPECT_FALSE(WRAPMODE);
}

TEST_F(Viewer, VerticalScrollingStopsAtTheEnds) {
  mc().keys({HKEY_UP, HKEY_PPAGE});
  expect_top("line 0");
  mc().key(HKEY_END);
  mc().then([](MemoryConsole& s) {
    // The last line on the second row from the bottom.
    EXPECT_EQ(TOPY, 76);
    EXPECT_EQ(s.row_trimmed(1), "line 76");
    EXPECT_EQ(s.row_trimmed(24), "line 99");
    EXPECT_EQ(s.attribute_at(1, 25), COL[EMPTY]);
  });
  mc().key(HKEY_NPAGE);
  expect_top("line 99");
  mc().key(HKEY_DOWN);
  expect_top("line 99");
  mc().keys({HKEY_HOME, HKEY_NPAGE});
  expect_top("line 24");
  mc().keys({HKEY_DOWN, HKEY_UP, HKEY_UP});
  expect_top("line 23");
  mc().key(HKEY_PPAGE);
  expect_top("line 0");
  mc().key(HKEY_DC);
  expect_top("line 76");
  mc().key(ESC);
  view(numbered(100));

  // A text shorter than the screen: End stays on the first line.
  mc().keys({HKEY_END});
  expect_top("line 0");
  mc().key(ESC);
  view(numbered(5));
}

TEST_F(Viewer, ColourPairsAndUnprintableCodes) {
  const std::string text = colour(0x0E) + "AB\n" + colour(0x0E) + colour(0x02) + "x\r\x01\x96" +
                           cp("Ая") + "\n" + colour(0x0E);
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "AB");
    EXPECT_EQ(first_other_attribute(s, 1, 80, 1, 0x0E), 0);
    EXPECT_EQ(s.row_trimmed(2), "x???Ая");
    EXPECT_EQ(first_other_attribute(s, 1, 80, 2, 0x02), 0);
    // The line after the final line end exists and is empty, in its own colour.
    EXPECT_EQ(first_other_attribute(s, 1, 80, 3, 0x0E), 0);
    EXPECT_EQ(first_other_attribute(s, 1, 80, 4, COL[EMPTY]), 0);
  });
  mc().key(ESC);
  view(text);
  EXPECT_EQ(ENDLINE, 2);

  // Colour pairs in the part scrolled off to the left are obeyed.
  WRAPMODE = false;
  mc().keys({HKEY_RIGHT, HKEY_RIGHT, HKEY_RIGHT, HKEY_RIGHT});
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "ef");
    EXPECT_EQ(s.attribute_at(1, 1), 0x02);
  });
  mc().key(ESC);
  view(colour(0x0E) + "abc" + colour(0x02) + "def");
}

TEST_F(Viewer, AnEmptyTextIsOneEmptyLine) {
  TEXTATTR = 0x07;
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.screen_text(), std::string(24, '\n'));
    EXPECT_EQ(s.attribute_at(1, 1), 0x07);
    EXPECT_EQ(first_other_attribute(s, 1, 80, 2, COL[EMPTY]), 0);
    EXPECT_EQ(first_other_attribute(s, 1, 80, 25, COL[EMPTY]), 0);
  });
  mc().keys({HKEY_END, HKEY_NPAGE, HKEY_DOWN, HKEY_F8, ESC, ESC});
  view("");
  EXPECT_EQ(ENDLINE, 0);
  EXPECT_EQ(TOPY, 0);
}

TEST_F(Viewer, OrdinaryKeysAreIgnoredAndEnterLeaves) {
  mc().keys({'q', ' ', 'x', 0});
  expect_top("line 0");
  mc().key(ENTER);
  view(numbered(3));
  EXPECT_EQ(mc().keys_read(), 5);
}

TEST_F(Viewer, SearchWalksFromMatchToMatchBelowTheTopLine) {
  const std::string text = numbered(3, "needle ") + "\nbeta\nneedle 3\ngamma";
  mc().key(HKEY_F7);
  mc().then([](MemoryConsole& s) { EXPECT_NE(s.find_row(" Введите искомую строку "), 0); });
  mc().text("needle");
  mc().key(ENTER);
  expect_top("needle 1");  // the match on the top line is passed over
  mc().key(HKEY_F8);
  expect_top("needle 2");
  mc().key(HKEY_F8);
  expect_top("needle 3");
  mc().key(HKEY_F8);
  mc().then([](MemoryConsole& s) {
    const int row = s.find_row(" :( ");
    ASSERT_NE(row, 0);
    EXPECT_NE(s.row(row + 1).find("│ Не найдено │"), std::string::npos);
    EXPECT_EQ(s.attribute_at(s.width() / 2, row + 1), COL[WARN_BODY]);
  });
  mc().key('k');  // dismisses the message
  expect_top("needle 3");
  mc().key(ESC);
  view(text);
  EXPECT_EQ(SEARCHSTRING, "needle");

  // The search text is kept for the next session: F8 searches at once.
  mc().key(HKEY_F8);
  expect_top("needle 1");
  mc().key(ESC);
  view(text);
}

TEST_F(Viewer, F8WithoutASearchTextAsksForOne) {
  mc().key(HKEY_F8);
  mc().then([](MemoryConsole& s) {
    const int row = s.find_row(" Введите искомую строку ");
    ASSERT_NE(row, 0);
    EXPECT_EQ(s.row_trimmed(row + 1), "   │" + std::string(70, ' ') + " │");
  });
  mc().text("beta");
  mc().key(ENTER);
  expect_top("beta");
  // Escape in the dialog keeps the last search text and the place.
  mc().key(HKEY_F7);
  mc().text("zzz");
  mc().keys({ESC, HKEY_F8});
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(TOPY, 3);
    EXPECT_EQ(s.row_trimmed(1), "beta");
  });
  mc().key(ESC);
  view(numbered(1, "needle ") + "\nbeta\n" + "needle 3\nbeta");
  EXPECT_EQ(SEARCHSTRING, "beta");
}

TEST_F(Viewer, SearchComparesBytesAsTheyAreStored) {
  // Case counts, colour pairs count as bytes, and a wrapped line reaches one byte into
  // the next one.
  SEARCHSTRING = "abcd";
  const std::string text =
      "top\nABCD\nab" + colour(0x02) + "cd\n" + std::string(78, '.') + "XY" + std::string(10, '-');
  mc().key(HKEY_F8);
  mc().then([](MemoryConsole& s) { EXPECT_NE(s.find_row(" :( "), 0); });
  mc().key(ESC);
  mc().key(HKEY_F7);
  mc().keys({HKEY_DC});
  mc().text("XY");
  mc().key(ENTER);
  expect_top(std::string(78, '.') + "X");
  mc().key(ESC);
  view(text + "\n");
}

TEST_F(Viewer, SavesTheCharactersAsAHostTextFile) {
  testing::TempDir dir;
  const std::string text = colour(0x0E) + cp("Привет, мир") + "\r\n" + colour(0x0E) + colour(0x02) +
                           "line 2\n" + colour(0x02);
  mc().key(HKEY_F2);
  mc().then([](MemoryConsole& s) {
    EXPECT_NE(s.find_row(" Введите имя файла для сохранения текста "), 0);
    EXPECT_TRUE(s.contains("│.TXT "));
  });
  // The name goes in front of the extension once the selection is gone.
  mc().key(HKEY_HOME);
  mc().text(dir.path().string() + "/отчёт");
  mc().key(ENTER);
  expect_top("Привет, мир?");  // the viewer is back
  mc().key(ESC);
  view(text);

  std::ifstream in(dir.path() / "отчёт.TXT", std::ios::binary);
  const std::string saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(saved, "Привет, мир\nline 2\n");
}

TEST_F(Viewer, SavingReplacesAnExistingFileAndEscapeWritesNothing) {
  testing::TempDir dir;
  const std::string path = dir.file("out");
  testing::write_bytes(path, std::vector<std::uint8_t>(500, 'o'));
  // Typing at once replaces the selected ".TXT": the name is exactly what was typed.
  mc().key(HKEY_F2);
  mc().text(path);
  mc().key(ENTER);
  mc().keys({HKEY_F2, 'x', ESC});
  mc().key(ESC);
  view("new\ntext");
  EXPECT_EQ(testing::read_bytes(path),
            std::vector<std::uint8_t>({'n', 'e', 'w', '\n', 't', 'e', 'x', 't'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(Viewer, AFileThatCannotBeCreatedIsReportedAndTheViewerStays) {
  testing::TempDir dir;
  for (const std::string& name : {dir.file("missing/out"), dir.path().string()}) {
    mc().key(HKEY_F2);
    mc().text(name);
    mc().key(ENTER);
    mc().then([&](MemoryConsole& s) {
      const int row = s.find_row(" Ошибка ");
      ASSERT_NE(row, 0);
      EXPECT_NE(s.row(row + 1).find("Не удалось создать файл"), std::string::npos);
      EXPECT_NE(s.row(row + 2).find(name), std::string::npos);
      EXPECT_EQ(s.attribute_at(s.width() / 2, row + 3), COL[WARN_RAMKA]);
    });
    mc().key('k');
    expect_top("some text");
    mc().key(ESC);
    view("some text");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST_F(Viewer, AFailedWriteLeavesNoHalfWrittenFile) {
  testing::TempDir dir;
  const std::string path = dir.file("big");
  mc().key(HKEY_F2);
  mc().text(path);
  mc().key(ENTER);
  mc().then([](MemoryConsole& s) {
    const int row = s.find_row(" Ошибка ");
    ASSERT_NE(row, 0);
    EXPECT_NE(s.row(row + 1).find("Ошибка записи в файл"), std::string::npos);
    EXPECT_NE(s.row(row + 3).find("Текст не сохранён."), std::string::npos);
  });
  mc().keys({'k', ESC});

  // A file size limit makes the write fail part way.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  view(std::string(5000, 'z'));
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(Viewer, MoreLinesThanTheOldTableHeld) {
  const int n = 110000;
  mc().key(HKEY_END);
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "L109976");
    EXPECT_EQ(s.row_trimmed(24), "L109999");
  });
  mc().key(ESC);
  view(numbered(n, "L"));
  EXPECT_EQ(ENDLINE, n - 1);
  EXPECT_EQ(LINES_PTR.size(), static_cast<std::size_t>(n));
}

TEST_F(Viewer, AResizeSplitsTheLinesAgain) {
  // 600 characters: 8 lines of up to 79 on 80 columns, 16 of up to 39 on 40.
  const std::string line = digits(600);
  mc().resize(40, 10);
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(ENDLINE, 15);
    for (int y = 1; y <= 10; ++y) EXPECT_EQ(s.row_trimmed(y), line.substr((y - 1) * 39, 39));
  });
  mc().key(HKEY_END);
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(TOPY, 7);  // 15 - 10 + 2
    EXPECT_EQ(s.row_trimmed(9), line.substr(585));
    EXPECT_EQ(first_other_attribute(s, 1, 40, 10, COL[EMPTY]), 0);
  });
  // Back on the wide screen the top line number is kept, now the last line.
  mc().resize(80, 25);
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(ENDLINE, 7);
    EXPECT_EQ(s.row_trimmed(1), line.substr(553));
    EXPECT_EQ(s.attribute_at(1, 2), COL[EMPTY]);
  });
  mc().key(ESC);
  view(line);
}

TEST_F(Viewer, HelpListsTheKeys) {
  mc().key(HKEY_F1);
  mc().then([](MemoryConsole& s) {
    const int row = s.find_row(" Справка ");
    ASSERT_NE(row, 0);
    EXPECT_NE(s.row(row + 1).find("│ Управление просмотрщиком текстов:"), std::string::npos);
    EXPECT_NE(s.row(row + 5).find("│ F4 - Wrap/UnWrap;"), std::string::npos);
    EXPECT_NE(s.row(row + 8).find("│ Стрелки, Home, End и PgUp/PgDn - листание. │"),
              std::string::npos);
    EXPECT_EQ(s.attribute_at(s.width() / 2, row + 9), COL[HELP_RAMKA]);
  });
  mc().key(HKEY_F4);  // the key that closes the help is not acted on
  expect_top("line 0");
  mc().key(ESC);
  view(numbered(3));
  EXPECT_TRUE(WRAPMODE);
}

TEST_F(Viewer, ShowsTheViewerBuffer) {
  install_text_viewer();
  VV_INIT();
  VV_ADD_COLOR(0x0E);
  VV_ADD_STRING_EOL("Отчет"_w);
  VV_ADD_COLOR(0x03);
  VV_ADD_STRING("конец"_w);
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "Отчет");
    EXPECT_EQ(s.attribute_at(1, 1), 0x0E);
    EXPECT_EQ(s.row_trimmed(2), "конец");
    EXPECT_EQ(s.attribute_at(1, 2), 0x03);
  });
  mc().key(ESC);
  VV_VIEW();
  EXPECT_TRUE(mc().script_done());
  VV_INIT();
}

}  // namespace
}  // namespace agat

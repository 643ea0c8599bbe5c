// The text viewer on the in-memory console: how it splits and draws a text, scrolls,
// searches and saves it, with its limits (the ends of the text, an empty text, more
// lines than its old fixed table held). And the error report, which shows what the core
// reported in a box when it fits and in the viewer otherwise.
#include <gtest/gtest.h>

#include <tuple>

#include "content/colours.h"
#include "content/viewer_recorder.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/host_errors.h"
#include "platform/crt_keys.h"
#include "support/host_faults.h"
#include "support/temp_dir.h"
#include "ui/crt_viewer.h"
#include "ui/errors.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using namespace crt_viewer;
using testing::cells;
using testing::first_other_attribute;
using testing::readable;

constexpr std::uint16_t ENTER = KEYCODE_ENTER, ESC = KEYCODE_ESCAPE;
constexpr std::uint16_t LEFT = HKEY_LEFT, RIGHT = HKEY_RIGHT, UP = HKEY_UP, DOWN = HKEY_DOWN;

// Lines "L0" to "L<N - 1>", separated by line feeds.
std::string numbered(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += (i > 0 ? "\nL" : "L") + std::to_string(i);
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

// Every test starts with the viewer's state as the program starts with it, and leaves it so.
class Viewer : public testing::ConsoleTest {
 protected:
  // Shows TEXT until the scripted keys and then LEAVE have been read.
  void view(const std::string& text, std::uint16_t leave = ESC) {
    mc().key(leave);
    // A copy of exactly the text's size, so that a read past its end is caught.
    const auto copy = std::make_unique<char[]>(text.size());
    std::copy(text.begin(), text.end(), copy.get());
    TEXTVIEW(copy.get(), static_cast<std::uint32_t>(text.size()));
    EXPECT_TRUE(mc().script_done());
  }
  // Scripts KEYS, then a check that the top row shows UTF8.
  void top_after(std::initializer_list<std::uint16_t> keys, const std::string& utf8) {
    mc().keys(keys);
    mc().then([utf8](MemoryConsole& s) { EXPECT_EQ(s.row_trimmed(1), utf8); });
  }
  // A check that row N below the one showing TITLE holds TEXT.
  void below(const std::string& title, int n, const std::string& text) {
    mc().then([=](MemoryConsole& s) {
      const int row = s.find_row(title);
      ASSERT_NE(row, 0) << title;
      EXPECT_NE(s.row(row + n).find(text), std::string::npos) << s.row(row + n);
    });
  }
};

TEST_F(Viewer, WrapsAtTheScreenWidthLessOneAndF4UnwrapsKeepingTheTopLineNumber) {
  // A line of 200 characters with a colour change after its first three, two of 100 and
  // the empty line after the last line end: 3 + 2 + 2 + 1 screen lines wrapped, 4 not.
  const std::string first = "abc" + digits(197);
  const std::string text = colour(0x0E) + "abc" + colour(0x02) + digits(197) + "\nb" + digits(99) +
                           "\nc\r\x01\x96" + std::string("Я"_w) + digits(95) + "\n";
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(ENDLINE, 7);
    EXPECT_EQ(s.row_trimmed(1), first.substr(0, 79));
    EXPECT_EQ(s.row_trimmed(2), first.substr(79, 79));
    EXPECT_EQ(s.row_trimmed(3), first.substr(158));
    // The wrapped part goes on in the colour the line above ended with.
    EXPECT_EQ(s.attribute_at(1, 1), 0x0E);
    EXPECT_EQ(first_other_attribute(s, 1, 80, 2, 0x02), 0);
    EXPECT_EQ(first_other_attribute(s, 1, 80, 9, COL[EMPTY]), 0);
    EXPECT_FALSE(s.cursor_visible());
  });
  top_after({RIGHT}, first.substr(0, 79));  // no effect while lines are wrapped
  mc().keys({DOWN, DOWN, HKEY_F4});
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(ENDLINE, 3);
    EXPECT_EQ(s.row_trimmed(1), "c???Я" + digits(74));  // codes it cannot show as "?"
  });
  // Unwrapped, lines scroll sideways; colour pairs scrolled off to the left are obeyed.
  mc().keys({UP, UP, RIGHT, RIGHT, RIGHT, RIGHT});
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), first.substr(4, 79));
    EXPECT_EQ(s.attribute_at(1, 1), 0x02);
  });
  top_after({LEFT, LEFT, LEFT, LEFT, LEFT, RIGHT}, first.substr(1, 79));
  // Wrapped again, and scrolled back to the left.
  top_after({HKEY_F4}, first.substr(0, 79));
  // A resize splits the lines again: 6 + 3 + 3 + 1 of up to 39 characters on 40 columns.
  mc().resize(40, 10);
  mc().then([&](MemoryConsole& s) {
    EXPECT_EQ(ENDLINE, 12);
    EXPECT_EQ(s.row_trimmed(2), first.substr(39, 39));
  });
  mc().key(HKEY_F4);
  view(text, HKEY_F3);
  EXPECT_FALSE(WRAPMODE);  // the mode outlives the session
}

// More lines than the fixed table of 102,400 the viewer once had.
TEST_F(Viewer, VerticalScrollingStopsAtTheEndsOfManyLinesAndOfNone) {
  top_after({UP, HKEY_PPAGE}, "L0");
  top_after({'q', ' ', 'x', 0, DOWN}, "L1");  // ordinary keys do nothing
  mc().key(HKEY_END);
  mc().then([](MemoryConsole& s) {
    // The last line on the second row from the bottom.
    EXPECT_EQ(s.row_trimmed(1), "L109976");
    EXPECT_EQ(s.row_trimmed(24), "L109999");
    EXPECT_EQ(s.attribute_at(1, 25), COL[EMPTY]);
  });
  top_after({HKEY_NPAGE, DOWN}, "L109999");
  top_after({HKEY_HOME, HKEY_NPAGE}, "L24");
  top_after({DOWN, UP, UP}, "L23");
  top_after({HKEY_PPAGE}, "L0");
  top_after({HKEY_DC}, "L109976");
  view(numbered(110000), ENTER);
  EXPECT_EQ(ENDLINE, 109999);

  // An empty text is one empty line (in the colour of the moment, unlike the rows below
  // the text), and the keys that scroll find nothing to scroll.
  TEXTATTR = 0x07;
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.screen_text(), std::string(24, '\n'));
    EXPECT_EQ(s.attribute_at(1, 1), 0x07);
    EXPECT_EQ(first_other_attribute(s, 1, 80, 2, COL[EMPTY]), 0);
  });
  mc().keys({HKEY_END, HKEY_NPAGE, DOWN});
  view("");
  EXPECT_EQ(ENDLINE, 0);
  EXPECT_EQ(TOPY, 0);
}

TEST_F(Viewer, SearchWalksFromMatchToMatchBelowTheTopLine) {
  // Bytes are compared as stored: case counts, and so do colour pairs.
  const std::string text =
      "needle 0\nNEEDLE 1\nnee" + colour(2) + "dle 2\nbeta\nneedle 4\nneedle 5";
  mc().key(HKEY_F8);  // no search text yet: F8 asks for one
  below(" Введите искомую строку ", 1, "   │" + std::string(70, ' ') + " │");
  mc().text("needle");
  top_after({ENTER}, "needle 4");  // the match on the top line is passed over
  top_after({HKEY_F8}, "needle 5");
  mc().key(HKEY_F8);
  below(" :( ", 1, "│ Не найдено │");
  top_after({'k'}, "needle 5");  // the key dismisses the message
  mc().key(HKEY_F7);             // a new search left with Escape keeps the old text
  mc().text("zzz");
  mc().key(ESC);
  view(text);
  EXPECT_EQ(SEARCHSTRING, "needle");  // kept for the next session
}

TEST_F(Viewer, SavesTheCharactersAsAUtf8TextFileOrSaysWhyNotKeepingTheOldFile) {
  testing::TempDir dir;
  const std::string old_file = dir.file("old");
  testing::write_bytes(old_file, std::vector<std::uint8_t>(500, 'o'));
  const std::string text = colour(0x0E) + std::string("Привет, мир"_w) + "\r\n" + colour(0x0E) +
                           colour(0x02) + "line 2\n" + colour(0x02);
  mc().key(HKEY_F2);
  below(" Введите имя файла для сохранения текста ", 1, "│.TXT ");
  // The name goes in front of the proposed extension once the selection is gone.
  mc().key(HKEY_HOME);
  mc().text(dir.path().string() + "/отчёт");
  top_after({ENTER}, "Привет, мир?");  // the viewer is back
  // Typing at once replaces the selected ".TXT"; an existing file is replaced.
  mc().key(HKEY_F2);
  mc().text(old_file);
  mc().keys({ENTER, HKEY_F2, 'x', ESC});  // Escape writes nothing
  // A file that cannot be created: a box says so, and the viewer stays.
  mc().key(HKEY_F2);
  mc().text(dir.file("missing/out"));
  mc().key(ENTER);
  below(" Ошибка ", 1, "Не удалось создать файл");
  below(" Ошибка ", 2, dir.file("missing/out"));
  top_after({'k'}, "Привет, мир?");
  // A save that meets a failing host says why in a box and leaves the old file as it was.
  std::unique_ptr<testing::InjectedFaults> faults;
  for (const testing::SaveFault& f : testing::save_faults()) {
    if (f.of_read) continue;
    mc().then([&](MemoryConsole&) { faults = std::make_unique<testing::InjectedFaults>(f.steps); });
    mc().key(HKEY_F2);
    mc().text(old_file);
    mc().key(ENTER);
    below(" Ошибка ", 1, "Ошибка записи в файл");
    below(" Ошибка ", 3, cp1251_to_utf8(host_error_text(f.error)));
    mc().then([&](MemoryConsole&) { faults.reset(); });
    mc().key('k');
  }
  view(text);

  const std::vector<std::uint8_t> saved = testing::read_bytes(dir.file("отчёт.TXT"));
  EXPECT_EQ(std::string(saved.begin(), saved.end()), "Привет, мир\nline 2\n");
  EXPECT_EQ(testing::read_bytes(old_file), saved);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// N messages of the given width, each ended by CR LF as the media core writes them.
std::string messages(int n, int width = 10) {
  std::string out;
  for (int i = 0; i < n; ++i) out += std::string(static_cast<std::size_t>(width), 'e') + "\r\n";
  return out;
}

class ErrorReport : public testing::ConsoleTest {
 protected:
  // Runs the report on the two buffers; checks the result (were there critical errors?)
  // and that both buffers are emptied. Answers 'b' for a box, which took the one key
  // scripted, 'v' for the viewer, whose stand-in takes none, and '-' for nothing shown.
  char report(const std::string& critical, const std::string& warnings) {
    FC_CRITICALERRORBUFFER = critical;
    FC_WARNINGBUFFER = warnings;
    mc().key('k');
    const int keys = mc().keys_read();
    const std::size_t views = viewer.shown.size();
    EXPECT_EQ(ERROR_OCCURED(), critical.find_first_not_of("\r\n") != std::string::npos);
    EXPECT_EQ(FC_CRITICALERRORBUFFER + FC_WARNINGBUFFER, "");
    const char shown = mc().keys_read() > keys ? 'b' : viewer.shown.size() > views ? 'v' : '-';
    while (!mc().script_done()) mc().read_key();
    return shown;
  }
  testing::ViewRecorder viewer;
};

TEST_F(ErrorReport, ABoxWhenTheMessagesFitTheScreenLessFourTheViewerOtherwise) {
  const std::tuple<std::string, std::string, char> cases[] = {
      // 25 rows: 21 lines of messages make a box, 22 do not.
      {messages(21), "", 'b'},
      {messages(22), "", 'v'},
      // The parts count together; the separator line of the box does not count.
      {messages(10), messages(11), 'b'},
      {messages(11), messages(11), 'v'},
      // 80 columns: 76 characters make a box, 77 do not.
      {messages(1, 76), "", 'b'},
      {messages(1, 77), "", 'v'},
      {messages(1), messages(2, 77), 'v'},
      // Line ends alone are no message.
      {"\r\n\r\n", "\r\n", '-'},
  };
  for (const auto& [critical, warnings, shown] : cases)
    EXPECT_EQ(report(critical, warnings), shown) << critical.size() << " + " << warnings.size();
  use_screen(40, 12);
  EXPECT_EQ(report(messages(9), ""), 'v');
  EXPECT_EQ(report("", messages(1, 37)), 'v');
}

TEST_F(ErrorReport, BoxesInTheColoursOfTheirKindAndTheViewerWithHeadings) {
  // Warnings alone: their own title, the warning colours (SW_MAKECWIN(4, 2) at (38, 11)).
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.find_row(" Предупреждения "), 11);
    EXPECT_EQ(s.attribute_at(38, 12), COL[WARN_RAMKA]);
  });
  report("", "w\r\n");
  // Both kinds: one box under the joined title, the warnings after the separator line.
  // The title is wider than the body (16 x 3, SW_MAKECWIN(19, 4) at (30, 10)).
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(s.find_row(" Критические ошибки и Предупреждения "), 10);
    EXPECT_EQ(cells(s, 30, 11, 20), "│ Диск не читается │");
    EXPECT_EQ(cells(s, 30, 12, 20), "│ >> Менее важное: │");
    EXPECT_EQ(cells(s, 30, 13, 20), "│ Файл пропущен    │");
    EXPECT_EQ(first_other_attribute(s, 32, 44, 13, COL[ATT_BODY]), 0);
  });
  report(std::string("Диск не читается\r\n"_w), std::string("Файл пропущен\r\n"_w));
  // The largest box (21 lines, up to 76 wide, and the separator) fills the screen but for
  // its last row, its frame on the first column.
  mc().then([](MemoryConsole& s) {
    EXPECT_EQ(cells(s, 1, 1, 1) + cells(s, 80, 24, 1), "┌┘");
    EXPECT_EQ(s.row_trimmed(12), "│ >> Менее важное:" + std::string(61, ' ') + "│");
  });
  report(messages(10, 76), messages(11, 5));

  // The viewer gets both parts with their headings and colours. Carriage returns and the
  // trailing line ends go; a blank line inside stays.
  use_screen(30, 6);
  report("E1\r\n\r\nE3\r\n", "W1\r\nW2\r\n\r\n");
  ASSERT_EQ(viewer.shown.size(), 1u);
  EXPECT_EQ(readable(viewer.shown[0]),
            "{0C}              Критические ошибки:\n{0C}"
            "{0F}E1\n{0F}\n{0F}E3\n{0F}\n{0F}"
            "{04}              Предупреждения:\n{04}"
            "{06}W1\n{06}W2");
}

}  // namespace
}  // namespace agat

// The graphics window in the terminal, on a terminal of fixed size whose output is kept
// and whose keys come from a script.
#include "platform/terminal_picture.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "support/scripted_keys.h"

namespace agat {
namespace {

// A terminal of 80 x 25 cells: its output kept, the moments the program's screen is left
// and restored noted with the length of the output then.
struct Terminal {
  testing::ScriptedKeys keys;
  std::string out;
  std::vector<std::string> events;
  TerminalSize size{80, 25, 0, 0};
  std::function<void()> note = [this] { events.push_back(std::to_string(out.size())); };
  TerminalPictureWindow window;

  Terminal(const std::string& script, const std::string& term)
      : keys(script),
        window({&keys,
                [this](std::string_view s) { out += s; },
                [this] { return size; },
                {"TERM=" + term}},
               note, note) {}
};

// A 128 x 128 picture in 4:3 pixels: a white square on blue.
struct Square {
  std::vector<std::uint8_t> frame = std::vector<std::uint8_t>(128 * 128, 12);
  PictureShow show;
  int saved = 0;
  Square() {
    for (int y = 32; y < 96; ++y)
      for (int x = 32; x < 96; ++x) frame[static_cast<std::size_t>(y * 128 + x)] = 15;
    show.picture = {frame.data(), 128, 128, 128, 4, 3};
    show.comment = "MGR  128 x 128 x 16";
    show.hints[PICTURE_ESCAPE] = "Close";
    show.hints[PICTURE_RIGHT] = "HGR  256 x 256 x  2";
    show.save = [this] { return "saved " + std::to_string(++saved); };
  }
};

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(TerminalPicture, DrawsWithBlocksReadsKeysAndGivesTheScreenBack) {
  Square square;
  // Up (not offered), "s", a resize, Right (offered); then F3 closes the second showing.
  Terminal t("\x1b[As\xFE\x1b[C\x1bOR", "xterm-256color");
  ASSERT_TRUE(t.window.open());
  EXPECT_EQ(t.window.show(square.show), PICTURE_RIGHT);
  EXPECT_EQ(t.window.show(square.show), PICTURE_ESCAPE);
  t.window.close();

  EXPECT_EQ(square.saved, 1);
  // Four drawings: the first showing, after "s", after the resize, the second showing. On 80
  // x 25 cells of 8 x 16 pixels the picture is 3 x 2 pixels a pixel, 384 x 256: 48 columns
  // from column 17 and 16 rows, in direct colour.
  std::string counts;
  for (const char* piece :
       {"\x1b[24;1HMGR  128 x 128 x 16", "\x1b[24;1Hsaved 1", "\x1b[1;17H", "\x1b[16;17H",
        "\x1b[17;17H", "\x1b[25;1H→ HGR  256 x 256 x  2   Esc Close   s PNG"})
    counts += std::to_string(count(t.out, piece));
  EXPECT_EQ(counts, "224404");
  EXPECT_GT(count(t.out, "48;2;255;255;255m"), 0u);
  // The terminal's own screen is left first and given back last.
  EXPECT_EQ(t.events, (std::vector<std::string>{"0", std::to_string(t.out.size())}));
  EXPECT_EQ(t.out.substr(0, 14), "\x1b[?1049h\x1b[?25l");
  EXPECT_EQ(t.out.substr(t.out.size() - 8), "\x1b[?1049l");

  // Kitty graphics where the terminal has them, cleared before drawing and on leaving.
  Terminal kitty("\x1b", "xterm-kitty");
  kitty.size.cell_w = 10, kitty.size.cell_h = 20;
  kitty.window.open();
  EXPECT_EQ(kitty.window.show(square.show), PICTURE_ESCAPE);
  kitty.window.close();
  EXPECT_EQ(count(kitty.out, "\x1b_Ga=T") * 10 + count(kitty.out, "\x1b_Ga=d\x1b\\"), 12u);
}

}  // namespace
}  // namespace agat

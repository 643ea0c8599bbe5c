// The graphics window in the terminal, on a terminal of fixed size whose output is kept
// and whose keys come from a script.
#include "platform/terminal_picture.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <vector>

namespace agat {
namespace {

class ScriptedKeys : public ByteSource {
 public:
  explicit ScriptedKeys(std::string bytes) : bytes_(bytes.begin(), bytes.end()) {}
  int next(int timeout_ms) override {
    if (bytes_.empty()) {
      if (timeout_ms >= 0) return TIMEOUT;  // a lone Escape
      throw std::runtime_error("the key script is exhausted");
    }
    const int b = static_cast<unsigned char>(bytes_.front());
    bytes_.pop_front();
    return b == 0xFE ? RESIZE : b;
  }

 private:
  std::deque<char> bytes_;
};

struct Terminal {
  ScriptedKeys keys;
  std::string out;
  std::vector<std::string> events;
  TerminalSize size{80, 25, 0, 0};
  TerminalPictureWindow window;

  Terminal(const std::string& script, const std::string& term)
      : keys(script),
        window(
            {&keys,
             [this](std::string_view s) { out += s; },
             [this] { return size; },
             {"TERM=" + term}},
            [this] { events.push_back("leave:" + std::to_string(out.size())); },
            [this] { events.push_back("restore:" + std::to_string(out.size())); }) {}
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
  EXPECT_EQ(count(t.out, "\x1b[24;1HMGR  128 x 128 x 16"), 2u);
  EXPECT_EQ(count(t.out, "\x1b[24;1Hsaved 1"), 2u);  // the resize keeps the line
  EXPECT_EQ(count(t.out, "\x1b[25;1H→ HGR  256 x 256 x  2   Esc Close   s PNG"), 4u);
  // On 80 x 25 cells of 8 x 16 pixels the picture is 3 x 2 pixels a pixel, 384 x 256: 48
  // columns from column 17 and 16 rows, in direct colour.
  EXPECT_NE(t.out.find("\x1b[1;17H"), std::string::npos);
  EXPECT_NE(t.out.find("\x1b[16;17H"), std::string::npos);
  EXPECT_EQ(t.out.find("\x1b[17;17H"), std::string::npos);
  EXPECT_NE(t.out.find("48;2;255;255;255m"), std::string::npos);
  EXPECT_NE(t.out.find("48;2;0;0;255m"), std::string::npos);
  // The terminal's own screen is left first and given back last.
  ASSERT_EQ(t.events.size(), 2u);
  EXPECT_EQ(t.events[0], "leave:0");
  EXPECT_EQ(t.out.substr(0, 14), "\x1b[?1049h\x1b[?25l");
  EXPECT_EQ(t.events[1], "restore:" + std::to_string(t.out.size()));
  EXPECT_EQ(t.out.substr(t.out.size() - 8), "\x1b[?1049l");
}

TEST(TerminalPicture, KittyGraphicsWhereTheTerminalHasThem) {
  Square square;
  Terminal t("\x1b", "xterm-kitty");
  t.size.cell_w = 10, t.size.cell_h = 20;
  ASSERT_TRUE(t.window.open());
  EXPECT_EQ(t.window.show(square.show), PICTURE_ESCAPE);
  t.window.close();
  EXPECT_NE(t.out.find("\x1b_Ga=T"), std::string::npos);
  EXPECT_EQ(count(t.out, "\x1b_Ga=d\x1b\\"), 2u);  // cleared before drawing and on leaving
}

}  // namespace
}  // namespace agat

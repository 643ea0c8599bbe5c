// The graphics window of the file manager in a session: the windows tried in order, what a
// picture shows them, "s" saving PNG files, and a picture shown in the terminal in the
// middle of the session, after which the panels are as they were.
#include "ui/picture_screen.h"

#include <gtest/gtest.h>

#include "content/graph_proc.h"
#include "platform/terminal_picture.h"
#include "support/scripted_keys.h"
#include "support/session.h"

namespace agat {
namespace {

// Notes each picture ("title|comment|left hint|return hint|W H PSW PSH") and saves it twice
// before the window it stands for shows it; without one it does not open.
struct Recorder : PictureWindow {
  explicit Recorder(PictureWindow* window) : window(window) {}
  bool open() override { return window != nullptr && window->open(); }
  PictureKey show(const PictureShow& s) override {
    const Picture& p = s.picture;
    shown.push_back(s.title + "|" + s.comment + "|" + s.hints[PICTURE_LEFT] + "|" +
                    s.hints[PICTURE_RETURN] + "|" + std::to_string(p.width) + " " +
                    std::to_string(p.height) + " " + std::to_string(p.shape_w) + " " +
                    std::to_string(p.shape_h));
    for (int n = 0; n < 2; ++n) saved += s.save() + "|";
    return window->show(s);
  }
  void close() override { window->close(); }

  PictureWindow* window;
  std::vector<std::string> shown;
  std::string saved;
};

using PictureSessionTest = testing::SessionTest;

// As the content view will show it: the file under the cursor loaded and shown, here in the
// terminal (Left, then Escape); the session goes on with the panels as they were.
TEST_F(PictureSessionTest, ShownInTheTerminalSavedAndThePanelsBack) {
  save(*image("pic.dsk"), "КАРТИНКА", 0x04, 4 + 8192, 0x20);  // an MGR picture
  testing::ScriptedKeys keys("\x1b[D\x1b");
  std::string out, before;
  std::vector<std::string> handover;
  auto screen_now = [&] { handover.push_back(screen->screen_text()); };
  TerminalPictureWindow terminal(
      {&keys, [&out](std::string_view s) { out += s; }, [] { return TerminalSize{}; }, {}},
      screen_now, screen_now);
  Recorder absent(nullptr), window(&terminal);
  install_picture_windows({&absent, &window}, dir.host_path());
  screen->keys({KEYCODE_ENTER});
  check([&](MemoryConsole& mc) {
    before = mc.screen_text();
    auto image = read_image("pic.dsk");
    static TFILEBUF buf;
    FC_LOAD(image->CAT.CATREC[image->CAT.CATNUM - 1], buf);
    GP_VIEW(image->CAT.CATREC[image->CAT.CATNUM - 1], buf, FFBINGRAF);
  });
  screen->keys({HKEY_F10});
  run({"pic.dsk"});
  install_picture_windows({}, "");

  EXPECT_NE(before.find("КАРТИНКА"), std::string::npos);
  EXPECT_EQ(handover, (std::vector<std::string>{before, before}));
  const std::string title = "DOS33 Sorbel: КАРТИНКА" + std::string(22, ' ');
  EXPECT_EQ(window.shown, (std::vector<std::string>{
                              title + "|MGR  128 x 128 x 16|Apple 280 x 192||128 128 4 3",
                              title + "|Apple 280 x 192|HGR  256 x 256 x  2||280 192 1 1"}));
  EXPECT_NE(out.find("\x1b[23;1HApple 280 x 192"), std::string::npos);  // Left was taken
  // Saved twice in each showing, each time under a new name.
  EXPECT_EQ(window.saved,
            "Записан КАРТИНКА.png|Записан КАРТИНКА~1.png|Записан КАРТИНКА~2.png|"
            "Записан КАРТИНКА~3.png|");
  EXPECT_GT(testing::read_bytes(dir.file("КАРТИНКА~3.png")).size(), 100u);
  // The window's texts are drawn in the Agat font.
  EXPECT_TRUE(glyph_of(U'A') == FONT8[0xC1] && glyph_of(U'б') == FONT8[0x62] &&
              glyph_of(U'€') == FONT8[0x08] && glyph_of(U'✓') == TGLYPH8{});
}

}  // namespace
}  // namespace agat

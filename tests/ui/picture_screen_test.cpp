// The graphics window of the file manager: the backends tried in order, what a picture
// shows them, "s" saving PNG files; and a picture shown in the terminal in the middle of a
// session, after which the panels are as they were.
#include "ui/picture_screen.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>

#include "content/graph_proc.h"
#include "platform/terminal_picture.h"
#include "support/session.h"

namespace agat {
namespace {

struct FakeWindow : PictureWindow {
  explicit FakeWindow(bool opens) : opens(opens) {}
  bool open() override { return opens; }
  PictureKey show(const PictureShow& s) override {
    shown.push_back(s);
    saved.push_back(s.save());
    saved.push_back(s.save());
    const PictureKey key = keys.empty() ? PICTURE_ESCAPE : keys.front();
    if (!keys.empty()) keys.pop_front();
    return key;
  }
  void close() override { ++closed; }

  bool opens;
  std::deque<PictureKey> keys;
  std::vector<PictureShow> shown;
  std::vector<std::string> saved;
  int closed = 0;
};

// A B file of 8192 data bytes named КАРТИНКА: an MGR picture.
struct MgrFile {
  TCATREC cr;
  std::unique_ptr<TFILEBUF> buf = std::make_unique<TFILEBUF>();
  MgrFile() {
    cr.CATRECT = CRTAGATFILE;
    cr.EXT = 0x04;
    cr.AGATNAME = testing::agat_name("КАРТИНКА");
    cr.SIZE = 4 + 8192;
    (*buf)[1] = 0x20, (*buf)[3] = 0x20;
  }
};

TEST(PictureScreen, FirstWindowThatOpensShowsAndSavesPng) {
  testing::TempDir dir;
  FakeWindow absent(false), window(true);
  window.keys = {PICTURE_LEFT};
  install_picture_windows({&absent, &window}, dir.host_path());
  MgrFile file;
  GP_VIEW(file.cr, *file.buf, FFBINGRAF);
  install_picture_windows({}, "");

  ASSERT_EQ(window.shown.size(), 2u);
  const PictureShow& s = window.shown[0];
  EXPECT_EQ(s.title, "DOS33 Sorbel: КАРТИНКА" + std::string(22, ' '));
  EXPECT_EQ(s.comment, "MGR  128 x 128 x 16");
  EXPECT_EQ(s.hints[PICTURE_LEFT], "Apple 280 x 192");
  EXPECT_EQ(s.hints[PICTURE_RETURN], "");
  EXPECT_EQ(s.picture.width * 1000 + s.picture.height, 128128);
  EXPECT_EQ(s.picture.shape_w * 10 + s.picture.shape_h, 43);
  EXPECT_EQ(window.shown[1].comment, "Apple 280 x 192");
  EXPECT_EQ(window.closed, 1);
  // Saved twice in each showing, each time under a new name.
  EXPECT_EQ(window.saved[0], "Записан КАРТИНКА.png");
  EXPECT_EQ(window.saved[3], "Записан КАРТИНКА~3.png");
  const auto png = testing::read_bytes(dir.file("КАРТИНКА.png"));
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(get_le32(&png[16]), 0x00020000u);  // big-endian width 512
  EXPECT_EQ(get_le32(&png[20]), 0x80010000u);  // big-endian height 384

  // The window's texts are drawn in the Agat font.
  EXPECT_EQ(glyph_of(U'A'), FONT8[0xC1]);
  EXPECT_EQ(glyph_of(U'б'), FONT8[0x62]);
  EXPECT_EQ(glyph_of(U'€'), FONT8[0x08]);
  EXPECT_EQ(glyph_of(U'✓'), TGLYPH8{});
}

class ScriptedKeys : public ByteSource {
 public:
  explicit ScriptedKeys(std::string bytes) : bytes_(bytes.begin(), bytes.end()) {}
  int next(int timeout_ms) override {
    if (!bytes_.empty()) {
      const int b = static_cast<unsigned char>(bytes_.front());
      bytes_.pop_front();
      return b;
    }
    if (timeout_ms >= 0) return TIMEOUT;
    throw std::runtime_error("the key script is exhausted");
  }

 private:
  std::deque<char> bytes_;
};

using PictureSessionTest = testing::SessionTest;

// As the content view will show it: the file under the cursor loaded and shown in the
// terminal; the session goes on with the panels as they were.
TEST_F(PictureSessionTest, PanelsAreBackAfterAPictureInTheTerminal) {
  auto md = image("pic.dsk");
  MgrFile file;
  save(*md, "КАРТИНКА", 0x04, 4 + 8192, 0x20);
  ScriptedKeys keys("\x1b[D\x1b");
  std::string out;
  std::vector<std::string> handover;
  TerminalPictureWindow terminal(
      {&keys,
       [&out](std::string_view s) { out += s; },
       [] {
         return TerminalSize{80, 25};
       },
       {"TERM=linux"}},
      [&] { handover.push_back("leave " + screen->screen_text()); },
      [&] { handover.push_back("restore " + screen->screen_text()); });
  install_picture_windows({&terminal}, dir.host_path());
  std::string before;
  screen->keys({KEYCODE_ENTER});
  check([&](MemoryConsole& mc) {
    before = mc.screen_text();
    auto image = read_image("pic.dsk");
    TCATREC& e = image->CAT.CATREC[image->CAT.CATNUM - 1];
    FC_LOAD(e, *file.buf);
    GP_VIEW(e, *file.buf, FFBINGRAF);
  });
  screen->keys({HKEY_F10});
  run({"pic.dsk"});
  install_picture_windows({}, "");

  ASSERT_EQ(handover.size(), 2u);
  EXPECT_EQ(handover[0], "leave " + before);
  EXPECT_EQ(handover[1], "restore " + before);
  EXPECT_NE(before.find("КАРТИНКА"), std::string::npos);
  EXPECT_NE(out.find("MGR  128 x 128 x 16"), std::string::npos);
  EXPECT_NE(out.find("Apple 280 x 192"), std::string::npos);  // Left was taken
}

}  // namespace
}  // namespace agat

// The real sorbel binary in a real terminal: tmux runs it in a detached session, the
// test types keys with send-keys and reads the screen with capture-pane.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "support/media.h"
#include "support/session.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

class Tmux {
 public:
  explicit Tmux(const std::string& socket) : socket_(socket) {}
  ~Tmux() { run("kill-server 2>/dev/null"); }

  std::string run(const std::string& args) const {
    std::string out;
    FILE* p = ::popen(("tmux -L " + socket_ + " " + args).c_str(), "r");
    if (p == nullptr) return out;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
    ::pclose(p);
    return out;
  }
  std::string screen() const { return run("capture-pane -p -t s"); }
  std::string screen_with_colours() const { return run("capture-pane -p -e -t s"); }
  // Waits until the screen shows `text`; false after a few seconds.
  bool wait_for(const std::string& text) const {
    for (int i = 0; i < 100; ++i) {
      if (screen().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

 private:
  std::string socket_;
};

using TerminalTest = testing::CoreTest;

TEST_F(TerminalTest, RealBinaryInARealTerminal) {
  if (std::system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
  testing::TempDir dir;
  auto md = testing::create_image(dir.host_path(), "disk.dsk", ITI140);
  FC_READCAT(*md);
  static TFILEBUF buf;
  TCATREC cr;
  cr.AGATNAME = testing::agat_name("ПРИВЕТ");
  cr.EXT = 0x02;
  cr.SIZE = 300;
  FC_SAVE(cr, buf, *md, false);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");

  Tmux tmux("agat-test-" + std::to_string(::getpid()));
  // The program starts with its cursor on the image, as the first parameter says.
  tmux.run("new-session -d -s s -x 80 -y 25 \"cd '" + dir.path().string() +
           "' && TERM=xterm-256color " + SORBEL_BINARY + " disk.dsk; echo EXITED; sleep 5\"");
  ASSERT_TRUE(tmux.wait_for("DSK 140: disk.dsk")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("Без сортировки"), std::string::npos);
  tmux.run("send-keys -t s Enter");
  ASSERT_TRUE(tmux.wait_for("ПРИВЕТ")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("  A  003  ПРИВЕТ"), std::string::npos) << tmux.screen();
  EXPECT_NE(tmux.screen().find("/disk.dsk"), std::string::npos);
  tmux.run("send-keys -t s F9");
  ASSERT_TRUE(tmux.wait_for("Главное меню")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("┌"), std::string::npos);
  tmux.run("send-keys -t s Escape");
  tmux.run("send-keys -t s F10");
  ASSERT_TRUE(tmux.wait_for("EXITED")) << tmux.screen();
  EXPECT_NE(tmux.screen().find("FIN"), std::string::npos);
}

// A picture drawn in the terminal in the middle of a curses screen, its keys, "s", and the
// screen given back as it was.
TEST_F(TerminalTest, PictureInTheTerminalAndTheScreenBack) {
  if (std::system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
  testing::TempDir dir;
  Tmux tmux("agat-picture-" + std::to_string(::getpid()));
  tmux.run("new-session -d -s s -x 80 -y 25 \"cd '" + dir.path().string() +
           "' && TERM=xterm-256color " + PICTURE_PROBE_BINARY + "; echo EXITED; sleep 5\"");
  ASSERT_TRUE(tmux.wait_for("RIGHT PANEL TEXT")) << tmux.screen();
  tmux.run("send-keys -t s p");
  ASSERT_TRUE(tmux.wait_for("MGR  128 x 128 x 16")) << tmux.screen();
  std::string shown = tmux.screen();
  EXPECT_EQ(shown.find("LEFT PANEL TEXT"), std::string::npos) << shown;
  EXPECT_NE(shown.find("← Apple 280 x 192   ↑ Text 64 normal   → HGR  256 x 256 x  2"),
            std::string::npos)
      << shown;
  EXPECT_NE(tmux.screen_with_colours().find("48;2;255;0;0m"), std::string::npos);  // red
  tmux.run("send-keys -t s Right");
  ASSERT_TRUE(tmux.wait_for("← MGR  128 x 128 x 16")) << tmux.screen();
  tmux.run("send-keys -t s s");
  ASSERT_TRUE(tmux.wait_for("Записан PROBE.png")) << tmux.screen();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "PROBE.png"));
  tmux.run("send-keys -t s Escape");
  ASSERT_TRUE(tmux.wait_for("LEFT PANEL TEXT")) << tmux.screen();
  shown = tmux.screen();
  EXPECT_NE(shown.find("RIGHT PANEL TEXT"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("HGR"), std::string::npos) << shown;
  tmux.run("send-keys -t s q");
  ASSERT_TRUE(tmux.wait_for("EXITED")) << tmux.screen();
}

}  // namespace
}  // namespace agat

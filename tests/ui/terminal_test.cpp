// The real sorbel binary and the picture probe in a real terminal: tmux runs each in a
// detached session, the test types keys with send-keys and reads the screen with capture-pane.
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

class Terminal : public testing::CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    if (std::system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "no tmux";
  }
  void TearDown() override {
    run("kill-server 2>/dev/null");
    CoreTest::TearDown();
  }
  // Starts PROGRAM (with ARGS) in an 80 x 25 terminal in the temporary directory.
  void start(const std::string& program, const std::string& args = "") {
    run("new-session -d -s s -x 80 -y 25 \"cd '" + dir.path().string() +
        "' && TERM=xterm-256color " + program + args + "; echo EXITED; sleep 5\"");
  }
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
  bool shows(const std::string& text) const { return screen().find(text) != std::string::npos; }
  // Sends KEY, then waits until the screen shows TEXT; false after a few seconds.
  bool key_then(const std::string& key, const std::string& text) const {
    if (!key.empty()) run("send-keys -t s " + key);
    for (int i = 0; i < 100 && !shows(text); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return shows(text);
  }

  testing::TempDir dir;

 private:
  // A server of its own for each test: a new one never meets the last one still going.
  std::string socket_ = "agat-" + std::to_string(::getpid()) + "-" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name();
};

TEST_F(Terminal, RealBinaryInARealTerminal) {
  auto md = testing::create_image(dir.host_path(), "disk.dsk", ITI140);
  FC_READCAT(*md);
  static TFILEBUF buf;
  TCATREC cr;
  cr.AGATNAME = testing::agat_name("ПРИВЕТ"), cr.EXT = 0x02, cr.SIZE = 300;
  FC_SAVE(cr, buf, *md, false);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  // The program starts with its cursor on the image, as the first parameter says.
  start(SORBEL_BINARY, " disk.dsk");
  ASSERT_TRUE(key_then("", "DSK 140: disk.dsk")) << screen();
  EXPECT_TRUE(shows("Без сортировки"));
  ASSERT_TRUE(key_then("Enter", "ПРИВЕТ")) << screen();
  EXPECT_TRUE(shows("  A  003  ПРИВЕТ") && shows("/disk.dsk")) << screen();
  ASSERT_TRUE(key_then("F9", "Главное меню")) << screen();
  EXPECT_TRUE(shows("┌"));
  run("send-keys -t s Escape");
  ASSERT_TRUE(key_then("F10", "EXITED")) << screen();
  EXPECT_TRUE(shows("FIN"));
}

// A picture drawn in the terminal in the middle of a curses screen, its keys, "s", and the
// screen given back as it was.
TEST_F(Terminal, PictureInTheTerminalAndTheScreenBack) {
  start(PICTURE_PROBE_BINARY);
  ASSERT_TRUE(key_then("", "RIGHT PANEL TEXT")) << screen();
  ASSERT_TRUE(key_then("p", "MGR  128 x 128 x 16")) << screen();
  EXPECT_FALSE(shows("LEFT PANEL TEXT")) << screen();
  EXPECT_TRUE(shows("← Apple 280 x 192   ↑ Text 64 normal   → HGR  256 x 256 x  2")) << screen();
  EXPECT_NE(run("capture-pane -p -e -t s").find("48;2;255;0;0m"), std::string::npos);  // red
  ASSERT_TRUE(key_then("Right", "← MGR  128 x 128 x 16")) << screen();
  ASSERT_TRUE(key_then("s", "Записан PROBE.png")) << screen();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "PROBE.png"));
  ASSERT_TRUE(key_then("Escape", "LEFT PANEL TEXT")) << screen();
  EXPECT_TRUE(shows("RIGHT PANEL TEXT") && !shows("HGR")) << screen();
  ASSERT_TRUE(key_then("q", "EXITED")) << screen();
}

}  // namespace
}  // namespace agat

// Runs the file manager's real main loop on an in-memory console, in a temporary
// directory that becomes the current directory for the run.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/file_control.h"
#include "core/host_names.h"
#include "platform/crt_keys.h"
#include "platform/memory_console.h"
#include "support/catalog.h"
#include "support/media.h"
#include "support/program_state.h"
#include "support/temp_dir.h"
#include "ui/crt_viewer.h"
#include "ui/mywrite.h"
#include "ui/sorbel.h"

namespace agat::testing {

class SessionTest : public CoreTest {
 protected:
  TempDir dir;
  std::unique_ptr<MemoryConsole> screen = std::make_unique<MemoryConsole>(80, 25);

  void SetUp() override {
    CoreTest::SetUp();
    reset_program_state();
    old_cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    install_text_viewer();
  }
  void TearDown() override {
    std::filesystem::current_path(old_cwd_);
    reset_program_state();
    CoreTest::TearDown();
  }

  void use_screen(int width, int height) {
    screen = std::make_unique<MemoryConsole>(width, height);
  }

  // Runs the program until the script ends with F10; fails the test if the script runs out
  // first (the program would otherwise wait for a key for ever).
  void run(const std::vector<std::string>& params = {}) {
    set_console(screen.get());
    try {
      run_sorbel(params);
    } catch (const MemoryConsole::ScriptExhausted&) {
      ADD_FAILURE() << "the program wanted more keys than the script has; screen:\n"
                    << screen->screen_text();
    }
    EXPECT_TRUE(screen->script_done()) << "keys left unread";
  }

  // The row of a panel half that shows `text`, 0 when none does.
  int panel_row(const std::string& text, bool left_half = true) const {
    for (int y = 1; y <= screen->height(); ++y) {
      const std::string r = screen->row(y);
      for (auto at = r.find(text); at != std::string::npos; at = r.find(text, at + 1)) {
        std::size_t pos = 0;
        int column = 0;
        while (pos < at) utf8_decode(r, pos), ++column;
        if ((column < screen->width() / 2) == left_half) return y;
      }
    }
    return 0;
  }

  // A reloaded view of an image of the directory.
  std::unique_ptr<TMEDIA> read_image(const std::string& name, TIMAGET type = ITI140) {
    auto md = image_medium(dir.host_path(), name, type);
    FC_READCAT(*md);
    return md;
  }

  // Checks to run at the current point of the script.
  void check(std::function<void(MemoryConsole&)> f) { screen->then(std::move(f)); }

  // The half of the screen a panel is drawn in: its rows as text.
  std::string left(int y) const {
    return trim(screen->row(y).substr(0, byte_offset(screen->row(y), screen->width() / 2 - 1)));
  }
  std::string right(int y) const {
    const std::string r = screen->row(y);
    return trim(r.substr(byte_offset(r, screen->width() / 2)));
  }

  // An image in the directory, made by the core, with files saved into it.
  std::unique_ptr<TMEDIA> image(const std::string& name, TIMAGET type = ITI140) {
    auto md = create_image(dir.host_path(), name, type);
    FC_READCAT(*md);
    return md;
  }
  void save(TMEDIA& md, const std::string& name, std::uint8_t type, std::size_t size,
            std::uint8_t fill = 0xC1) {
    static TFILEBUF buf;
    TCATREC cr;
    cr.AGATNAME = agat_name(name);
    cr.EXT = type;
    cr.SIZE = static_cast<std::int32_t>(size);
    std::fill(buf.begin(), buf.begin() + size, fill);
    FC_SAVE(cr, buf, md, false);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
    FC_READCAT(md);
  }

 private:
  static std::string trim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }
  // The byte offset in a UTF-8 row of the given character column (0-based).
  static std::size_t byte_offset(const std::string& utf8, int column) {
    std::size_t pos = 0;
    for (int c = 0; c < column && pos < utf8.size(); ++c) utf8_decode(utf8, pos);
    return pos;
  }
  std::filesystem::path old_cwd_;
};

}  // namespace agat::testing

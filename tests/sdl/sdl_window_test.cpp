// The SDL2 window on an X server of its own (Xvfb through xvfb-run, 1024 x 768): the
// window's pixels read back from the server against the frame at the scale of the rules,
// the keys it takes and the ones it ignores, "s", resizing and the close button.
// GoogleTest before the X11 headers, whose macros (None, Bool) would clash with it.
#include <gtest/gtest.h>
// clang-format off
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl_window.h"

namespace agat {
namespace {

// An X server for the tests of this program: xvfb-run in a process group of its own,
// which tells its DISPLAY and XAUTHORITY and waits; the group ends with the tests.
class XServer : public ::testing::Environment {
 public:
  static inline std::string failure;

  void SetUp() override {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) {
      failure = "xvfb-run is not installed";
      return;
    }
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setpgid(0, 0);
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::execlp("xvfb-run", "xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "sh", "-c",
               "echo \"$DISPLAY $XAUTHORITY\"; exec sleep 600", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    output_ = out[0];  // open while the server runs: a write there must not end it
    const auto space = line.find(' ');
    if (pid_ < 0 || space == std::string::npos || line[0] != ':') {
      failure = "no X server could be started with xvfb-run";
      return;
    }
    ::setenv("DISPLAY", line.substr(0, space).c_str(), 1);
    ::setenv("XAUTHORITY", line.substr(space + 1).c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
  }
  void TearDown() override {
    if (pid_ <= 0) return;
    ::kill(-pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    ::close(output_);
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
};

const auto* const x_server = ::testing::AddGlobalTestEnvironment(new XServer);

// The colour of every pixel of the window, as the X server holds it.
std::vector<std::uint32_t> window_pixels(SDL_Window* window, int& width, int& height) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  SDL_GetWindowSize(window, &width, &height);
  std::vector<std::uint32_t> pixels;
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return pixels;
  XSync(info.info.x11.display, False);
  XImage* image =
      XGetImage(info.info.x11.display, info.info.x11.window, 0, 0, static_cast<unsigned>(width),
                static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
  XDestroyImage(image);
  return pixels;
}

// Pixels of the window that differ from the picture drawn at (x0, y0) in blocks of sx x sy.
int wrong_pixels(SDL_Window* window, const Picture& p, int x0, int y0, int sx, int sy) {
  int width = 0, height = 0, wrong = -1;
  // The server may take a moment to show what was drawn.
  for (int attempt = 0; attempt < 50 && wrong != 0; ++attempt) {
    const std::vector<std::uint32_t> pixels = window_pixels(window, width, height);
    if (pixels.empty()) return -1;
    wrong = 0;
    for (int y = 0; y < p.height * sy; ++y)
      for (int x = 0; x < p.width * sx; ++x)
        wrong += pixels[static_cast<std::size_t>((y0 + y) * width + x0 + x)] !=
                 PICTURE_PALETTE[p.pixels[(y / sy) * p.stride + x / sx] & 15];
    if (wrong != 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return wrong;
}

void press(SDL_Window* window, SDL_Keycode key) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = SDL_GetWindowID(window);
  e.key.keysym.sym = key;
  SDL_PushEvent(&e);
}

TEST(SdlWindow, FrameAtItsScaleKeysAndResizing) {
  if (!XServer::failure.empty()) GTEST_SKIP() << XServer::failure;
  std::vector<std::uint8_t> frame(128 * 128);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i / 3 % 16);
  PictureShow show;
  show.picture = {frame.data(), 128, 128, 128, 4, 3};
  show.title = "DOS33 Sorbel: КАРТИНКА";
  show.comment = "MGR  128 x 128 x 16";
  show.hints[PICTURE_ESCAPE] = "Close";
  show.hints[PICTURE_RIGHT] = "HGR  256 x 256 x  2";
  int saved = 0;
  show.save = [&saved] {
    ++saved;
    return std::string("Записан КАРТИНКА.png");
  };

  SdlPictureWindow window([](char32_t c) {
    return c == ' ' ? std::array<std::uint8_t, 8>{} : std::array<std::uint8_t, 8>{0xFF};
  });
  ASSERT_TRUE(window.open());
  // On 1024 x 768 an MGR picture is drawn 4 x 3 a pixel, 512 x 384, with a line of 20
  // above and below it. Up is not offered; "s" saves and draws again; Right is taken.
  std::string first;
  bool pressed = false;
  window.on_drawn([&](SDL_Window* w) {
    int width = 0, height = 0;
    SDL_GetWindowSize(w, &width, &height);
    if (first.empty()) {
      first = std::to_string(width) + "x" + std::to_string(height) + " " + SDL_GetWindowTitle(w);
      EXPECT_EQ(wrong_pixels(w, show.picture, 0, 20, 4, 3), 0);
      // The comment at the bottom left and the Right hint at the top right, in glyphs twice
      // their size whose top rows are lit.
      std::vector<std::uint32_t> p = window_pixels(w, width, height);
      ASSERT_EQ(p.size(), 512u * 424u);
      EXPECT_EQ(p[406 * 512] * 0x1000000 + p[405 * 512], 0xFFFFFFu);
      EXPECT_EQ(p[2 * 512 + 208] * 0x1000000 + p[2 * 512 + 207], 0xFFFFFFu);
      press(w, SDLK_UP);
      press(w, SDLK_s);
    } else if (saved == 1 && !pressed) {
      pressed = true;
      press(w, SDLK_RIGHT);
    }
  });
  EXPECT_EQ(window.show(show), PICTURE_RIGHT);
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(first, "512x424 DOS33 Sorbel: КАРТИНКА");

  // Made smaller, the window draws the picture at a new scale in its middle: 300 x 160 leaves
  // room for 1 x 1 a pixel, at (86, 36). Its close button answers Escape, offered or not.
  bool resized = false, checked = false;
  window.on_drawn([&](SDL_Window* w) {
    int width = 0, height = 0;
    SDL_GetWindowSize(w, &width, &height);
    if (!resized) {
      resized = true;
      SDL_SetWindowSize(w, 300, 200);
    } else if (width == 300 && !checked) {
      checked = true;
      EXPECT_EQ(wrong_pixels(w, show.picture, 86, 36, 1, 1), 0);
      SDL_Event e{};
      e.type = SDL_WINDOWEVENT;
      e.window.event = SDL_WINDOWEVENT_CLOSE;
      e.window.windowID = SDL_GetWindowID(w);
      SDL_PushEvent(&e);
    }
  });
  show.hints[PICTURE_ESCAPE].clear();
  EXPECT_EQ(window.show(show), PICTURE_ESCAPE);
  EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace agat

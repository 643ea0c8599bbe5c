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

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl_window.h"

namespace agat {
namespace {

// An X server of its own: xvfb-run, whose command tells its process, DISPLAY and XAUTHORITY
// and waits; ending that command ends the server.
struct XServer {
  std::FILE* pipe = ::popen(
      "xvfb-run -a -s '-screen 0 1024x768x24' sh -c "
      "'echo $$ $DISPLAY $XAUTHORITY; exec sleep 600' 2>/dev/null",
      "r");
  int waiter = -1;
  char display[64] = "", authority[4096] = "";
  bool up =
      pipe != nullptr && std::fscanf(pipe, "%d %63s %4095s", &waiter, display, authority) == 3;
  ~XServer() {
    if (waiter > 0) ::kill(waiter, SIGTERM);
    if (pipe != nullptr) ::pclose(pipe);
  }
};

// Pixels of the window, as the X server holds them, that differ from the picture drawn at
// (x0, y0) in blocks of sx x sy; -1 when the window cannot be read.
int wrong_pixels(SDL_Window* window, const Picture& p, int x0, int y0, int sx, int sy) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return -1;
  int wrong = -1;
  // The server may take a moment to show what was drawn.
  for (int attempt = 0; attempt < 50 && wrong != 0; ++attempt) {
    XSync(info.info.x11.display, False);
    XImage* image = XGetImage(info.info.x11.display, info.info.x11.window, x0, y0,
                              unsigned(p.width * sx), unsigned(p.height * sy), AllPlanes, ZPixmap);
    if (image == nullptr) return -1;
    wrong = 0;
    for (int y = 0; y < p.height * sy; ++y)
      for (int x = 0; x < p.width * sx; ++x)
        wrong += (XGetPixel(image, x, y) & 0xFFFFFF) !=
                 PICTURE_PALETTE[p.pixels[(y / sy) * p.stride + x / sx] & 15];
    XDestroyImage(image);
    if (wrong != 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return wrong;
}

// A key pressed in the window, or with key 0 its close button.
void press(SDL_Window* window, SDL_Keycode key) {
  SDL_Event e{};
  e.type = key != 0 ? SDL_KEYDOWN : SDL_WINDOWEVENT;
  if (key != 0) e.key.windowID = SDL_GetWindowID(window), e.key.keysym.sym = key;
  if (key == 0) e.window.windowID = SDL_GetWindowID(window), e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
}

TEST(SdlWindow, FrameAtItsScaleKeysAndResizing) {
  XServer x;
  if (!x.up) GTEST_SKIP() << "no X server could be started with xvfb-run (is it installed?)";
  ::setenv("DISPLAY", x.display, 1);
  ::setenv("XAUTHORITY", x.authority, 1);
  std::vector<std::uint8_t> frame(128 * 128);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i / 3 % 16);
  PictureShow show;
  show.picture = {frame.data(), 128, 128, 128, 4, 3};
  show.title = "DOS33 Sorbel: КАРТИНКА";
  show.comment = "MGR  128 x 128 x 16";
  show.hints[PICTURE_ESCAPE] = "Close";
  show.hints[PICTURE_RIGHT] = "HGR  256 x 256 x  2";
  int saved = 0;
  show.save = [&saved] { return "saved " + std::to_string(++saved); };
  SdlPictureWindow window([](char32_t) { return std::array<std::uint8_t, 8>{0xFF}; });
  ASSERT_TRUE(window.open());

  // On 1024 x 768 an MGR picture is drawn 4 x 3 a pixel, 512 x 384, with a line of 20
  // above and below it. Up is not offered; "s" saves and draws again; Right is taken. Shown
  // again without an Escape hint, Escape is ignored; made smaller, the window draws the
  // picture at a new scale in its middle (300 x 160 leaves room for 1 x 1 a pixel, at
  // (86, 36)); its close button answers Escape all the same.
  int step = 0;
  std::string first;
  window.on_drawn([&](SDL_Window* w) {
    int width = 0, height = 0;
    SDL_GetWindowSize(w, &width, &height);
    if (step == 0) {
      first = std::to_string(width) + "x" + std::to_string(height) + " " + SDL_GetWindowTitle(w);
      EXPECT_EQ(wrong_pixels(w, show.picture, 0, 20, 4, 3), 0);
      press(w, SDLK_UP), press(w, SDLK_s), step = 1;
    } else if (step == 1 && saved == 1) {
      press(w, SDLK_RIGHT), step = 2;
    } else if (step == 3) {
      press(w, SDLK_ESCAPE), SDL_SetWindowSize(w, 300, 200), step = 4;
    } else if (step == 4 && width == 300) {
      EXPECT_EQ(wrong_pixels(w, show.picture, 86, 36, 1, 1), 0);
      press(w, 0), step = 5;
    }
  });
  EXPECT_EQ(window.show(show), PICTURE_RIGHT);
  EXPECT_EQ(first, "512x424 DOS33 Sorbel: КАРТИНКА");
  step = 3;
  show.hints[PICTURE_ESCAPE].clear();
  EXPECT_EQ(window.show(show), PICTURE_ESCAPE);
  EXPECT_EQ(step * 10 + saved, 51);
}

}  // namespace
}  // namespace agat

#include "platform/sdl_window.h"

#include <SDL.h>

#include <algorithm>

#include "core/cp1251.h"

namespace agat {

namespace {

constexpr Uint32 kBackground = 0xFFFFFF;  // the window colour of the desktop
constexpr Uint32 kText = 0x000000;

// SDL's own complaints would land on the text screen of the program.
void no_log(void*, int, SDL_LogPriority, const char*) {}

std::u32string characters(const std::string& utf8) {
  std::u32string out;
  for (std::size_t pos = 0; pos < utf8.size();) out += utf8_decode(utf8, pos);
  return out;
}

PictureKey key_of(SDL_Keycode key, bool& known) {
  known = true;
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return PICTURE_RETURN;
    case SDLK_ESCAPE:
    case SDLK_F3:
      return PICTURE_ESCAPE;
    case SDLK_LEFT:
      return PICTURE_LEFT;
    case SDLK_UP:
      return PICTURE_UP;
    case SDLK_RIGHT:
      return PICTURE_RIGHT;
    case SDLK_DOWN:
      return PICTURE_DOWN;
    default:
      known = false;
      return PICTURE_ESCAPE;
  }
}

}  // namespace

// The window's client size and the picture's scale and place in it.
struct SdlPictureWindow::Layout {
  int winw = 0, winh = 0;
  GraphScale scale;
  int picx0 = 0, picy0 = 0;

  void fit(const Picture& p, int max_w, int max_h) {
    scale = CALC_SCALE(p.width, p.height, p.shape_w, p.shape_h, max_w, max_h);
  }
  void centre() {
    picx0 = (winw - scale.PICRW) / 2;
    picy0 = (winh - scale.PICRH) / 2;
  }
};

SdlPictureWindow::SdlPictureWindow(GlyphSource glyphs) : glyphs_(std::move(glyphs)) {}

SdlPictureWindow::~SdlPictureWindow() {
  if (started_) SDL_Quit();
}

bool SdlPictureWindow::open() {
  if (started_) return true;
  if (failed_) return false;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // The picture is drawn into the window's own pixels; no OpenGL driver is needed for that.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_LogSetOutputFunction(no_log, nullptr);
  SDL_DisplayMode mode{};
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    failed_ = true;
    return false;
  }
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
    SDL_Quit();
    failed_ = true;
    return false;
  }
  screen_w_ = mode.w;
  screen_h_ = mode.h;
  started_ = true;
  return true;
}

PictureKey SdlPictureWindow::show(const PictureShow& show) {
  Layout layout;
  layout.fit(show.picture, screen_w_ - 20, screen_h_ - 80);
  layout.winw = std::max(layout.scale.PICRW, 1);
  layout.winh = layout.scale.PICRH + 2 * FONTH;
  layout.centre();
  SDL_Window* window = SDL_CreateWindow(
      show.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, layout.winw, layout.winh,
      SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALWAYS_ON_TOP);
  if (window == nullptr) return PICTURE_ESCAPE;
  SDL_RaiseWindow(window);
  const Uint32 id = SDL_GetWindowID(window);
  std::string comment = show.comment;
  draw(window, show, layout, comment);

  PictureKey result = PICTURE_ESCAPE;
  SDL_Event event;
  while (SDL_WaitEvent(&event) != 0) {
    if (event.type == SDL_QUIT) break;
    if (event.type == SDL_WINDOWEVENT && event.window.windowID == id) {
      const Uint8 what = event.window.event;
      if (what == SDL_WINDOWEVENT_CLOSE) break;
      if (what == SDL_WINDOWEVENT_SIZE_CHANGED) {
        layout.winw = event.window.data1;
        layout.winh = event.window.data2;
        layout.fit(show.picture, layout.winw, layout.winh - 2 * FONTH);
        layout.centre();
      }
      if (what == SDL_WINDOWEVENT_SIZE_CHANGED || what == SDL_WINDOWEVENT_EXPOSED ||
          what == SDL_WINDOWEVENT_RESTORED)
        draw(window, show, layout, comment);
    } else if (event.type == SDL_KEYDOWN && event.key.windowID == id) {
      bool known = false;
      const PictureKey key = key_of(event.key.keysym.sym, known);
      if (known && !show.hints[key].empty()) {
        result = key;
        break;
      }
      if (event.key.keysym.sym == SDLK_s && show.save) {
        comment = show.save();
        draw(window, show, layout, comment);
      }
    }
  }
  SDL_DestroyWindow(window);
  return result;
}

void SdlPictureWindow::draw(SDL_Window* window, const PictureShow& show, const Layout& layout,
                            const std::string& comment) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return;
  const auto colour = [surface](Uint32 rgb) {
    return SDL_MapRGB(surface->format, static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8),
                      static_cast<Uint8>(rgb));
  };
  SDL_FillRect(surface, nullptr, colour(kBackground));

  const GraphScale& s = layout.scale;
  if (s.PICRW > 0 && s.PICRH > 0) {
    std::vector<std::uint32_t> rgb = scaled_rgb(show.picture, s.SCALEX, s.SCALEY);
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(rgb.data(), s.PICRW, s.PICRH, 32,
                                                              s.PICRW * 4, SDL_PIXELFORMAT_RGB888);
    if (picture != nullptr) {
      SDL_Rect at{layout.picx0, layout.picy0, s.PICRW, s.PICRH};
      SDL_BlitSurface(picture, nullptr, surface, &at);
      SDL_FreeSurface(picture);
    }
  }

  // The hints: Left, Up and Right on the top line, the comment and Down on the bottom one;
  // twice the glyph size where every line fits so.
  struct Line {
    std::u32string text;
    int align;  // -1 left, 0 centre, 1 right
    bool top;
  };
  const Line lines[] = {{characters(show.hints[PICTURE_LEFT]), -1, true},
                        {characters(show.hints[PICTURE_UP]), 0, true},
                        {characters(show.hints[PICTURE_RIGHT]), 1, true},
                        {characters(comment), -1, false},
                        {characters(show.hints[PICTURE_DOWN]), 0, false}};
  std::size_t top = 0, bottom = 0;
  for (const Line& line : lines) (line.top ? top : bottom) += line.text.size() + 1;
  const int size = static_cast<int>(std::max(top, bottom)) * 16 <= layout.winw ? 2 : 1;
  for (const Line& line : lines) {
    const int width = static_cast<int>(line.text.size()) * 8 * size;
    int x = line.align < 0 ? 0 : line.align == 0 ? (layout.winw - width) / 2 : layout.winw - width;
    const int y = (line.top ? 0 : layout.winh - FONTH) + (FONTH - 8 * size) / 2;
    for (char32_t c : line.text) {
      const std::array<std::uint8_t, 8> glyph =
          glyphs_ ? glyphs_(c) : std::array<std::uint8_t, 8>{};
      for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
          if (glyph[static_cast<std::size_t>(row)] & (0x80 >> col)) {
            SDL_Rect dot{x + col * size, y + row * size, size, size};
            SDL_FillRect(surface, &dot, colour(kText));
          }
      x += 8 * size;
    }
  }
  SDL_UpdateWindowSurface(window);
  if (drawn_) drawn_(window);
}

}  // namespace agat

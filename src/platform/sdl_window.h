// The graphics window on a desktop, through SDL2: a window of its own titled with the
// file's name, the picture scaled to the screen in its preferred pixel shape, the key
// hints above and below it in the program's own 8 x 8 font, resizable (the picture takes a
// new scale), closed with its close button or by the keys the picture offers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/graph_scale.h"
#include "platform/picture_window.h"

struct SDL_Window;

namespace agat {

class SdlPictureWindow : public PictureWindow {
 public:
  // The 8 x 8 glyph of a character (row 0 first, bit 7 leftmost); blank for none.
  using GlyphSource = std::function<std::array<std::uint8_t, 8>(char32_t)>;

  explicit SdlPictureWindow(GlyphSource glyphs);
  ~SdlPictureWindow() override;
  SdlPictureWindow(const SdlPictureWindow&) = delete;
  SdlPictureWindow& operator=(const SdlPictureWindow&) = delete;

  // Starts SDL's video on first use; false when no display can be reached.
  bool open() override;
  PictureKey show(const PictureShow& show) override;
  void close() override {}

  // Called after every drawing of a window, with the window; tests read it back here.
  void on_drawn(std::function<void(SDL_Window*)> drawn) { drawn_ = std::move(drawn); }

  // The height of a text line above and below the picture.
  static constexpr int FONTH = 20;

 private:
  struct Layout;
  void draw(SDL_Window* window, const PictureShow& show, const Layout& layout,
            const std::string& comment);

  GlyphSource glyphs_;
  std::function<void(SDL_Window*)> drawn_;
  bool started_ = false, failed_ = false;
  int screen_w_ = 0, screen_h_ = 0;  // the display's size, read once
};

}  // namespace agat

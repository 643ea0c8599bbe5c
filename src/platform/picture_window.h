// A window that shows one picture at a time and answers the key the user pressed: the
// interface behind which the graphics window's backends (a desktop window, the terminal
// itself) stand.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/picture.h"

namespace agat {

// The keys a picture may offer, in the order of its hint texts.
enum PictureKey : std::uint8_t {
  PICTURE_ESCAPE = 0,  // Escape or F3; also closing the window
  PICTURE_UP = 1,
  PICTURE_DOWN = 2,
  PICTURE_LEFT = 3,
  PICTURE_RIGHT = 4,
  PICTURE_RETURN = 5,
  PICTURE_KEY_COUNT = 6,
};

struct PictureShow {
  Picture picture;
  std::string title;    // UTF-8
  std::string comment;  // UTF-8, under the picture
  // UTF-8 hint of each key; a key whose hint is empty is not offered. The Left, Up and
  // Right hints go above the picture, the Down hint under it; the Escape and Return hints
  // only offer their keys.
  std::array<std::string, PICTURE_KEY_COUNT> hints;
  // The key "s": saves the picture and answers a line (UTF-8) that tells what was done,
  // shown in place of the comment. Empty: "s" does nothing.
  std::function<std::string()> save;
};

class PictureWindow {
 public:
  virtual ~PictureWindow() = default;
  // Gets ready for a series of pictures; false when this backend cannot show any here.
  virtual bool open() = 0;
  // Shows the picture until one of the offered keys is pressed, and answers that key.
  virtual PictureKey show(const PictureShow& show) = 0;
  // Ends the series.
  virtual void close() = 0;
};

// The window backend to try first: `sdl` or `terminal`. SORBEL_PICTURES ("window" or
// "terminal") decides when set; otherwise a window where a graphical display is named
// (DISPLAY or WAYLAND_DISPLAY), the terminal elsewhere.
enum class PictureBackend { sdl, terminal };
PictureBackend preferred_picture_backend(const char* sorbel_pictures, const char* display,
                                         const char* wayland_display);

}  // namespace agat

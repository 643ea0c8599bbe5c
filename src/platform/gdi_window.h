// The graphics window on the Windows desktop, through the window manager and GDI: a
// topmost window of its own titled with the file's name, the picture scaled to the screen
// in its preferred pixel shape, the key hints above and below it in the window's font;
// resizable (the picture takes a new scale), closed with its close button or by the keys
// the picture offers. Each picture runs the window's own message loop and destroys it.
#pragma once

#include "platform/picture_window.h"

namespace agat {

class GdiPictureWindow : public PictureWindow {
 public:
  // Registers the window class on first use; false when it cannot be.
  bool open() override;
  PictureKey show(const PictureShow& show) override;
  void close() override {}

  // The height of a text line above and below the picture.
  static constexpr int FONTH = 20;

 private:
  bool registered_ = false;
  int screen_w_ = 0, screen_h_ = 0;  // the screen's size, read once
};

}  // namespace agat

#include "platform/picture_window.h"

#include <string_view>

namespace agat {

PictureBackend preferred_picture_backend(const char* sorbel_pictures, const char* display,
                                         const char* wayland_display) {
  const std::string_view forced = sorbel_pictures != nullptr ? sorbel_pictures : "";
  if (forced == "terminal") return PictureBackend::terminal;
  if (forced == "window") return PictureBackend::sdl;
  const bool named = (display != nullptr && *display != '\0') ||
                     (wayland_display != nullptr && *wayland_display != '\0');
  return named ? PictureBackend::sdl : PictureBackend::terminal;
}

}  // namespace agat

#include "ui/picture_screen.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "content/graph_window.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/host_file_io.h"
#include "platform/png_writer.h"

namespace agat {

namespace {

// The picture keys are the key codes of the hint table, in the same order.
constexpr bool same_key(PictureKey p, TINTKEYCODE k) {
  return static_cast<int>(p) == static_cast<int>(k);
}
static_assert(same_key(PICTURE_ESCAPE, IKCESCAPE) && same_key(PICTURE_UP, IKCUP) &&
              same_key(PICTURE_DOWN, IKCDN) && same_key(PICTURE_LEFT, IKCLF) &&
              same_key(PICTURE_RIGHT, IKCRG) && same_key(PICTURE_RETURN, IKCRETURN) &&
              same_key(PICTURE_KEY_COUNT, IKCR));

struct Windows {
  std::vector<PictureWindow*> all;
  PictureWindow* active = nullptr;
  std::string save_dir;
};

Picture picture_of(const GraphExposure& e) {
  Picture p;
  p.pixels = e.frame.P.data();
  p.stride = SCRSIDE;
  p.width = std::clamp(e.view.W, 0, SCRSIDE);
  p.height = std::clamp(e.view.H, 0, SCRSIDE);
  p.shape_w = e.view.PSW;
  p.shape_h = e.view.PSH;
  return p;
}

// Saves the picture and says so, in Windows-1251.
std::string save_png(const Picture& picture, const TAGATNAME& name, const std::string& dir) {
  if (!PNG_AVAILABLE) return std::string("В сборке для Windows нет записи в PNG"_w);
  std::string file;
  if (!png_name_for(dir, name, file)) return std::string("Нет свободного имени для PNG-файла"_w);
  if (write_png(dir + file, picture) != FileIoResult::ok)
    return std::string("Не удалось записать "_w) + host_to_cp1251(file);
  return std::string("Записан "_w) + host_to_cp1251(file);
}

PictureShow show_of(const GraphExposure& e, const std::string& save_dir) {
  PictureShow s;
  s.picture = picture_of(e);
  s.title = cp1251_to_utf8("DOS33 Sorbel: " +
                           A2L(std::string_view(reinterpret_cast<const char*>(e.name.data()), 30)));
  s.comment = cp1251_to_utf8(e.view.COMMENT);
  for (int k = 0; k < PICTURE_KEY_COUNT; ++k)
    if (e.view.IKC[static_cast<std::size_t>(k)] != nullptr)
      s.hints[static_cast<std::size_t>(k)] =
          cp1251_to_utf8(e.view.IKC[static_cast<std::size_t>(k)]);
  // The key can only be pressed while the picture is shown, when the frame and name live.
  s.save = [picture = s.picture, &name = e.name, save_dir] {
    return cp1251_to_utf8(save_png(picture, name, save_dir));
  };
  return s;
}

}  // namespace

void install_picture_windows(std::vector<PictureWindow*> windows, std::string save_dir) {
  if (windows.empty()) {
    set_graph_window_hooks({});
    return;
  }
  auto state = std::make_shared<Windows>(Windows{std::move(windows), nullptr, std::move(save_dir)});
  GraphWindowHooks hooks;
  hooks.open = [state] {
    for (PictureWindow* w : state->all) {
      if (w->open()) {
        state->active = w;
        return true;
      }
    }
    return false;
  };
  hooks.expose = [state](const GraphExposure& e) {
    if (state->active == nullptr) return IKCESCAPE;
    return static_cast<TINTKEYCODE>(state->active->show(show_of(e, state->save_dir)));
  };
  hooks.close = [state] {
    if (state->active != nullptr) state->active->close();
    state->active = nullptr;
  };
  set_graph_window_hooks(std::move(hooks));
}

TGLYPH8 glyph_of(char32_t c) {
  // The glyphs show what A2L makes of a code, so a character's glyph is that of the code
  // A2L turns into it (L2A would give lower-case Cyrillic the Latin codes).
  static const std::array<std::uint8_t, 256> agat_code = [] {
    std::array<std::uint8_t, 256> inverse{};
    for (int a = 0; a < 256; ++a)
      inverse[A2L(static_cast<std::uint8_t>(a))] = static_cast<std::uint8_t>(a);
    return inverse;
  }();
  const int local = cp1251_from_unicode(c);
  if (local < 0) return {};
  return FONT8[agat_code[static_cast<std::size_t>(local)]];
}

}  // namespace agat

#include "platform/terminal_picture.h"

#include <chafa.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/cp1251.h"
#include "platform/crt_keys.h"
#include "platform/graph_scale.h"

extern char** environ;

namespace agat {

namespace {

TerminalSize terminal_size() {
  TerminalSize s;
  winsize ws{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
    s.columns = ws.ws_col;
    s.rows = ws.ws_row;
    if (ws.ws_xpixel > 0 && ws.ws_ypixel > 0) {
      s.cell_w = ws.ws_xpixel / ws.ws_col;
      s.cell_h = ws.ws_ypixel / ws.ws_row;
    }
  }
  return s;
}

void write_out(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Standard input; a change of the terminal's size, looked at several times a second,
// arrives as RESIZE; the end of input as Escape, which closes the picture.
class StandardInput : public ByteSource {
 public:
  int next(int timeout_ms) override {
    int waited = 0;
    while (true) {
      const int slice = timeout_ms < 0 ? 200 : std::min(200, timeout_ms - waited);
      pollfd fd{STDIN_FILENO, POLLIN, 0};
      const int r = ::poll(&fd, 1, std::max(slice, 0));
      if (r < 0 && errno == EINTR) continue;
      if (r > 0) {
        unsigned char b;
        const ssize_t n = ::read(STDIN_FILENO, &b, 1);
        if (n == 1) return b;
        if (n < 0 && errno == EINTR) continue;
        return 0x1B;
      }
      const TerminalSize now = terminal_size();
      if (now.columns != last_.columns || now.rows != last_.rows) {
        last_ = now;
        return RESIZE;
      }
      waited += slice;
      if (timeout_ms >= 0 && waited >= timeout_ms) return TIMEOUT;
    }
  }

 private:
  TerminalSize last_ = terminal_size();
};

std::vector<std::string> process_environment() {
  std::vector<std::string> env;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) env.emplace_back(*e);
  return env;
}

// Text cut to WIDTH characters.
std::string cut(const std::string& utf8, int width) {
  std::size_t pos = 0;
  for (int n = 0; n < width && pos < utf8.size(); ++n) utf8_decode(utf8, pos);
  return utf8.substr(0, pos);
}

std::string at(int row, int column) {
  return "\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H";
}

}  // namespace

struct TerminalPictureWindow::Impl {
  StandardInput standard_input;
  Terminal terminal;
  std::function<void()> leave, restore;
  KeyDecoder decoder;
  ChafaTermInfo* info = nullptr;
  ChafaPixelMode pixels = CHAFA_PIXEL_MODE_SYMBOLS;
  ChafaCanvasMode colours = CHAFA_CANVAS_MODE_INDEXED_16;
  bool own_tty = false;
  bool opened = false;
  bool saved_ok = false;  // the terminal's modes before the first picture
  termios saved{};

  ~Impl() {
    if (info != nullptr) chafa_term_info_unref(info);
  }

  void detect() {
    std::vector<char*> env;
    for (std::string& e : terminal.environment) env.push_back(e.data());
    env.push_back(nullptr);
    info = chafa_term_db_detect(chafa_term_db_get_default(), env.data());
    if (chafa_term_info_have_seq(info, CHAFA_TERM_SEQ_BEGIN_KITTY_IMMEDIATE_IMAGE_V1)) {
      pixels = CHAFA_PIXEL_MODE_KITTY;
    } else if (chafa_term_info_have_seq(info, CHAFA_TERM_SEQ_BEGIN_SIXELS)) {
      pixels = CHAFA_PIXEL_MODE_SIXELS;
    } else if (chafa_term_info_have_seq(info, CHAFA_TERM_SEQ_BEGIN_ITERM2_IMAGE)) {
      pixels = CHAFA_PIXEL_MODE_ITERM2;
    }
    if (chafa_term_info_have_seq(info, CHAFA_TERM_SEQ_SET_COLOR_FGBG_DIRECT)) {
      colours = CHAFA_CANVAS_MODE_TRUECOLOR;
    } else if (chafa_term_info_have_seq(info, CHAFA_TERM_SEQ_SET_COLOR_FGBG_256)) {
      colours = CHAFA_CANVAS_MODE_INDEXED_256;
    }
  }

  // The picture through libchafa at its scale, COLUMNS x ROWS cells of CELL_W x CELL_H pixels.
  std::string picture_cells(const Picture& picture, const GraphScale& s, int columns, int rows,
                            int cell_w, int cell_h, int left) {
    const std::vector<std::uint32_t> rgb = scaled_rgb(picture, s.SCALEX, s.SCALEY);
    std::vector<std::uint8_t> rgba(rgb.size() * 4);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
      rgba[i * 4] = static_cast<std::uint8_t>(rgb[i] >> 16);
      rgba[i * 4 + 1] = static_cast<std::uint8_t>(rgb[i] >> 8);
      rgba[i * 4 + 2] = static_cast<std::uint8_t>(rgb[i]);
      rgba[i * 4 + 3] = 0xFF;
    }
    ChafaCanvasConfig* config = chafa_canvas_config_new();
    chafa_canvas_config_set_geometry(config, columns, rows);
    chafa_canvas_config_set_cell_geometry(config, cell_w, cell_h);
    chafa_canvas_config_set_canvas_mode(config, colours);
    chafa_canvas_config_set_pixel_mode(config, pixels);
    ChafaSymbolMap* symbols = chafa_symbol_map_new();
    chafa_symbol_map_add_by_tags(
        symbols, static_cast<ChafaSymbolTags>(CHAFA_SYMBOL_TAG_BLOCK | CHAFA_SYMBOL_TAG_SPACE));
    chafa_canvas_config_set_symbol_map(config, symbols);
    ChafaCanvas* canvas = chafa_canvas_new(config);
    chafa_canvas_draw_all_pixels(canvas, CHAFA_PIXEL_RGBA8_UNASSOCIATED, rgba.data(), s.PICRW,
                                 s.PICRH, s.PICRW * 4);
    GString* printed = chafa_canvas_print(canvas, info);
    const std::string text(printed->str, printed->len);
    g_string_free(printed, TRUE);
    chafa_canvas_unref(canvas);
    chafa_symbol_map_unref(symbols);
    chafa_canvas_config_unref(config);

    if (pixels != CHAFA_PIXEL_MODE_SYMBOLS) return at(1, left) + text;
    // Rows of symbols, each placed at its own row, so no line end is needed.
    std::string out;
    std::size_t start = 0;
    for (int row = 1; start <= text.size(); ++row) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      out += at(row, left) + text.substr(start, end - start);
      start = end + 1;
    }
    return out;
  }

  void draw(const PictureShow& show, const std::string& comment) {
    TerminalSize size = terminal.size();
    size.rows = std::max(size.rows, 3);  // a picture row and the two lines of text at least
    const int cell_w = size.cell_w > 0 ? size.cell_w : 8;
    const int cell_h = size.cell_h > 0 ? size.cell_h : 16;
    const int picture_rows = std::max(size.rows - 2, 1);
    const GraphScale s =
        CALC_SCALE(show.picture.width, show.picture.height, show.picture.shape_w,
                   show.picture.shape_h, size.columns * cell_w, picture_rows * cell_h);
    std::string out = "\x1b[0m";
    if (pixels == CHAFA_PIXEL_MODE_KITTY) out += "\x1b_Ga=d\x1b\\";  // earlier pictures
    out += "\x1b[2J";
    if (s.PICRW > 0 && s.PICRH > 0) {
      const int columns = std::clamp((s.PICRW + cell_w - 1) / cell_w, 1, size.columns);
      const int rows = std::clamp((s.PICRH + cell_h - 1) / cell_h, 1, picture_rows);
      out += picture_cells(show.picture, s, columns, rows, cell_w, cell_h,
                           (size.columns - columns) / 2 + 1);
    }
    out += "\x1b[0m";
    // The comment, then the keys: the hints of the arrows, Escape, and "s" when it saves.
    std::string keys;
    const auto offer = [&keys, &show](PictureKey key, const char* name) {
      if (show.hints[key].empty()) return;
      keys += (keys.empty() ? "" : "   ") + std::string(name) + " " + show.hints[key];
    };
    offer(PICTURE_LEFT, "←");
    offer(PICTURE_UP, "↑");
    offer(PICTURE_RIGHT, "→");
    offer(PICTURE_DOWN, "↓");
    offer(PICTURE_RETURN, "Enter");
    offer(PICTURE_ESCAPE, "Esc");
    if (show.save) keys += "   s PNG";
    out += at(size.rows - 1, 1) + cut(comment, size.columns);
    out += at(size.rows, 1) + cut(keys, size.columns);
    terminal.write(out);
  }
};

TerminalPictureWindow::TerminalPictureWindow(std::function<void()> leave,
                                             std::function<void()> restore)
    : TerminalPictureWindow(Terminal{nullptr, write_out, terminal_size, process_environment()},
                            std::move(leave), std::move(restore)) {
  impl_->terminal.keys = &impl_->standard_input;
  impl_->own_tty = true;
}

TerminalPictureWindow::TerminalPictureWindow(Terminal terminal, std::function<void()> leave,
                                             std::function<void()> restore)
    : impl_(std::make_unique<Impl>()) {
  impl_->terminal = std::move(terminal);
  impl_->leave = std::move(leave);
  impl_->restore = std::move(restore);
  impl_->detect();
}

TerminalPictureWindow::~TerminalPictureWindow() {
  close();
}

bool TerminalPictureWindow::open() {
  if (impl_->opened) return true;
  if (impl_->own_tty && !::isatty(STDIN_FILENO)) return false;
  if (impl_->leave) impl_->leave();
  impl_->saved_ok = impl_->own_tty && ::tcgetattr(STDIN_FILENO, &impl_->saved) == 0;
  if (impl_->saved_ok) {
    termios raw = impl_->saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
    raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  }
  // A screen of its own, so that the terminal's normal screen stays as it was.
  impl_->terminal.write("\x1b[?1049h\x1b[?25l");
  impl_->opened = true;
  return true;
}

PictureKey TerminalPictureWindow::show(const PictureShow& show) {
  std::string comment = show.comment;
  impl_->draw(show, comment);
  while (true) {
    const std::uint16_t key = impl_->decoder.next_key(*impl_->terminal.keys);
    PictureKey offered = PICTURE_KEY_COUNT;
    switch (key) {
      case KEYCODE_ESCAPE:
      case HKEY_F3:
        offered = PICTURE_ESCAPE;
        break;
      case KEYCODE_ENTER:
        offered = PICTURE_RETURN;
        break;
      case HKEY_UP:
        offered = PICTURE_UP;
        break;
      case HKEY_DOWN:
        offered = PICTURE_DOWN;
        break;
      case HKEY_LEFT:
        offered = PICTURE_LEFT;
        break;
      case HKEY_RIGHT:
        offered = PICTURE_RIGHT;
        break;
      case 's':
        if (show.save) {
          comment = show.save();
          impl_->draw(show, comment);
        }
        break;
      case HKEY_RESIZE:
        impl_->draw(show, comment);
        break;
      default:
        break;
    }
    if (offered != PICTURE_KEY_COUNT && !show.hints[offered].empty()) return offered;
  }
}

void TerminalPictureWindow::close() {
  if (!impl_->opened) return;
  impl_->opened = false;
  std::string out = "\x1b[0m";
  if (impl_->pixels == CHAFA_PIXEL_MODE_KITTY) out += "\x1b_Ga=d\x1b\\";
  impl_->terminal.write(out + "\x1b[2J\x1b[?25h\x1b[?1049l");
  if (impl_->saved_ok) ::tcsetattr(STDIN_FILENO, TCSANOW, &impl_->saved);
  if (impl_->restore) impl_->restore();
}

}  // namespace agat

// crt_keys.h first: curses.h defines macros named like its KEY_ constants.
#include "platform/ncurses_console.h"

#include "core/cp1251.h"
#include "platform/crt_keys.h"
#include "platform/key_decoder.h"
#include "platform/oem_frames.h"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>

#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>

namespace agat {

namespace {

int resize_pipe[2] = {-1, -1};

void on_sigwinch(int) {
  const char b = 'R';
  if (resize_pipe[1] >= 0) {
    [[maybe_unused]] ssize_t n = ::write(resize_pipe[1], &b, 1);
  }
}

// The order of the text-mode palette is blue-green-red; the terminal's is red-green-blue.
constexpr short kTerminalColour[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                      COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

// Terminal input: bytes from standard input, and a byte from the resize pipe as RESIZE.
class TerminalInput : public ByteSource {
 public:
  int next(int timeout_ms) override {
    while (true) {
      pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {resize_pipe[0], POLLIN, 0}};
      const int r = ::poll(fds, 2, timeout_ms);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return TIMEOUT;
      if (fds[1].revents & POLLIN) {
        char drain[64];
        [[maybe_unused]] ssize_t n = ::read(resize_pipe[0], drain, sizeof drain);
        return RESIZE;
      }
      unsigned char b;
      const ssize_t n = ::read(STDIN_FILENO, &b, 1);
      if (n == 1) return b;
      if (n < 0 && errno == EINTR) continue;
      // The terminal is gone: nobody can answer any more, so the program ends.
      endwin();
      std::_Exit(0);
    }
  }
};

}  // namespace

struct NcursesConsole::Impl {
  TerminalInput input;
  KeyDecoder decoder;
  bool wide_palette = false;  // 16 colours and a pair for every attribute
  std::bitset<257> pair_ready;

  short pair_of(std::uint8_t attribute, attr_t& extra) {
    extra = 0;
    if (!has_colors()) {
      if ((attribute >> 4) != 0) extra |= A_REVERSE;
      return 0;
    }
    const int fg = attribute & 0x0F, bg = attribute >> 4;
    short pair;
    if (wide_palette) {
      pair = static_cast<short>(attribute + 1);
      if (!pair_ready[pair]) {
        init_pair(pair, static_cast<short>(kTerminalColour[fg & 7] + (fg & 8)),
                  static_cast<short>(kTerminalColour[bg & 7] + (bg & 8)));
        pair_ready[pair] = true;
      }
    } else {
      pair = static_cast<short>(1 + (fg & 7) + 8 * (bg & 7));
      if (!pair_ready[pair]) {
        init_pair(pair, kTerminalColour[fg & 7], kTerminalColour[bg & 7]);
        pair_ready[pair] = true;
      }
      if (fg & 8) extra |= A_BOLD;
    }
    return pair;
  }

  void put(int x, int y, char32_t ch, std::uint8_t attribute) {
    attr_t extra;
    const short pair = pair_of(attribute, extra);
    wchar_t text[2] = {static_cast<wchar_t>(ch), L'\0'};
    cchar_t cell;
    setcchar(&cell, text, extra, pair, nullptr);
    mvwadd_wch(stdscr, y - 1, x - 1, &cell);
  }
};

NcursesConsole::NcursesConsole() : impl_(std::make_unique<Impl>()) {
  // Wide characters need a UTF-8 locale; a bare "C" environment gets C.UTF-8.
  std::setlocale(LC_ALL, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
  if (::pipe(resize_pipe) == 0) {
    ::fcntl(resize_pipe[0], F_SETFL, O_NONBLOCK);
    ::fcntl(resize_pipe[1], F_SETFL, O_NONBLOCK);
  }
  // Installed before initscr, so that curses leaves SIGWINCH to this program.
  struct sigaction sa {};
  sa.sa_handler = on_sigwinch;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGWINCH, &sa, nullptr);

  initscr();
  raw();
  noecho();
  nonl();
  keypad(stdscr, FALSE);  // keys are decoded from the raw bytes by KeyDecoder
  scrollok(stdscr, FALSE);
  if (has_colors()) {
    start_color();
    impl_->wide_palette = COLORS >= 16 && COLOR_PAIRS >= 257;
  }
}

NcursesConsole::~NcursesConsole() {
  endwin();
}

int NcursesConsole::width() const {
  return COLS;
}
int NcursesConsole::height() const {
  return LINES;
}

void NcursesConsole::goto_xy(int x, int y) {
  x_ = x;
  y_ = y;
}

void NcursesConsole::write(std::string_view text, std::uint8_t attribute, bool oem) {
  for (char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    if (x_ >= 1 && x_ <= COLS && y_ >= 1 && y_ <= LINES)
      impl_->put(x_, y_, oem ? unicode_from_oem(b) : unicode_from_cp1251(b), attribute);
    ++x_;
  }
}

void NcursesConsole::clear_screen(std::uint8_t attribute) {
  for (int y = 1; y <= LINES; ++y)
    for (int x = 1; x <= COLS; ++x) impl_->put(x, y, U' ', attribute);
  x_ = y_ = 1;
}

void NcursesConsole::clear_to_eol(std::uint8_t attribute) {
  if (y_ < 1 || y_ > LINES) return;
  for (int x = std::max(x_, 1); x <= COLS; ++x) impl_->put(x, y_, U' ', attribute);
}

void NcursesConsole::show_cursor(bool visible) {
  curs_set(visible ? 1 : 0);
}

std::uint16_t NcursesConsole::read_key() {
  wmove(stdscr, std::clamp(y_, 1, LINES) - 1, std::clamp(x_, 1, COLS) - 1);
  wrefresh(stdscr);
  const std::uint16_t key = impl_->decoder.next_key(impl_->input);
  if (key == HKEY_RESIZE) {
    winsize ws{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0)
      resizeterm(ws.ws_row, ws.ws_col);
  }
  return key;
}

void NcursesConsole::suspend() {
  def_prog_mode();
  endwin();
}

void NcursesConsole::resume() {
  reset_prog_mode();
  clearok(stdscr, TRUE);
  wrefresh(stdscr);
}

}  // namespace agat

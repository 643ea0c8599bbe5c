#include "ui/subwindows.h"

#include <algorithm>
#include <string>

#include "ui/mywrite.h"

namespace agat {

namespace {

// Frame characters, codes of the DOS code page.
constexpr char kTopLeft = '\xDA';
constexpr char kTopRight = '\xBF';
constexpr char kBottomLeft = '\xC0';
constexpr char kBottomRight = '\xD9';
constexpr char kHorizontal = '\xC4';
constexpr char kVertical = '\xB3';

// One frame line of `width` characters: the two ends and the filling between them.
std::string frame_line(std::int32_t width, char left, char fill, char right) {
  std::string line;
  if (width <= 0) return line;
  line.push_back(left);
  if (width >= 2) {
    line.append(static_cast<std::size_t>(width - 2), fill);
    line.push_back(right);
  }
  return line;
}

}  // namespace

void SW_MAKEWIN(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2,
                std::uint8_t COLBORD, std::uint8_t COLHEAD, std::string_view HD) {
  const std::int32_t width = X2 - X1 + 1;
  TEXTATTR = COLBORD;
  // The frame characters are OEM codes already: they must not be converted.
  CONSOLEENCODINGENABLE = false;
  crt_goto_xy(X1, Y1);
  MWRITE_NOCACHE(frame_line(width, kTopLeft, kHorizontal, kTopRight));
  const std::string inside = frame_line(width, kVertical, ' ', kVertical);
  for (std::int32_t y = Y1 + 1; y <= Y2 - 1; ++y) {
    crt_goto_xy(X1, y);
    MWRITE_NOCACHE(inside);
  }
  crt_goto_xy(X1, Y2);
  MWRITE_NOCACHE(frame_line(width, kBottomLeft, kHorizontal, kBottomRight));
  CONSOLEENCODINGENABLE = true;

  TEXTATTR = COLHEAD;
  // C++ division truncates toward zero, so a title wider than the frame starts left of it
  // by half the excess, as a centred title should.
  crt_goto_xy(X1 + (width - static_cast<std::int32_t>(HD.size())) / 2, Y1);
  MWRITE_NOCACHE(HD);
}

void SW_MAKECWIN(std::int32_t W, std::int32_t H, std::uint8_t COLBORD, std::uint8_t COLHEAD,
                 std::string_view HD, std::int32_t& X1, std::int32_t& Y1) {
  // A window as wide (or as high) as the screen, or larger, would start left of column 1
  // (above row 1) and lose its frame there; it starts on the first column (row) instead.
  X1 = std::max((crt_screen_width() - W) / 2, 1);
  Y1 = std::max((crt_screen_height() - H) / 2, 1);
  SW_MAKEWIN(X1, Y1, X1 + W, Y1 + H, COLBORD, COLHEAD, HD);
}

void CALCSIZE(std::string_view S, std::int32_t& W, std::int32_t& H) {
  W = 0;
  H = 1;
  std::int32_t line = 0;
  for (char c : S) {
    if (c == '\n') {
      ++H;
      line = 0;
    } else {
      W = std::max(W, ++line);
    }
  }
}

void SW_MESSAGE(std::uint8_t COLBORD, std::uint8_t COLHEAD, std::uint8_t COLMSG,
                std::string_view HD, std::string_view BD) {
  std::int32_t w = 0, h = 0, x0 = 0, y0 = 0;
  CALCSIZE(BD, w, h);
  SW_MAKECWIN(w + 3, h + 1, COLBORD, COLHEAD, HD, x0, y0);
  TEXTATTR = COLMSG;
  std::int32_t y = y0 + 1;
  for (std::size_t start = 0;;) {
    const std::size_t end = BD.find('\n', start);
    crt_goto_xy(x0 + 2, y++);
    MWRITE_NOCACHE(BD.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  crt_cursor_off();
  MREADKEY();
}

}  // namespace agat

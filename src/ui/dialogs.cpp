#include "ui/dialogs.h"

#include <algorithm>

#include "content/colours.h"
#include "core/char_sets.h"
#include "platform/crt_keys.h"
#include "ui/mywrite.h"
#include "ui/subwindows.h"

namespace agat {

namespace {

// The codes the console shows as they are; every other one appears as "?".
bool is_printable(std::uint8_t c) {
  return (c >= 32 && c <= 127) || c >= 192;
}

constexpr std::uint8_t kAgatSpace = 0xA0;

}  // namespace

bool ENTERSTRING(std::string_view HD, std::string& BUFFER, std::int32_t MAXLEN,
                 std::vector<std::int32_t>* ORIGIN) {
  // Positions count characters before the cursor: 0 is in front of the first one.
  std::size_t cursor = std::min(BUFFER.find('.'), BUFFER.size());
  // Where each character came from is kept in step with every change of the text.
  std::vector<std::int32_t> scratch;
  std::vector<std::int32_t>& origin = ORIGIN != nullptr ? *ORIGIN : scratch;
  origin.resize(BUFFER.size());
  for (std::size_t i = 0; i < origin.size(); ++i) origin[i] = static_cast<std::int32_t>(i);
  const auto erase = [&](std::size_t at) {
    BUFFER.erase(at, 1);
    origin.erase(origin.begin() + static_cast<std::ptrdiff_t>(at));
  };
  const auto clear = [&] {
    BUFFER.clear();
    origin.clear();
    cursor = 0;
  };
  std::int32_t x1 = 0, y1 = 0;
  SW_MAKECWIN(MAXLEN + 2, 2, COL[ENTERSTR_RAMKA], COL[ENTERSTR_HEADER], HD, x1, y1);
  crt_cursor_on();
  bool all_selected = true;
  const std::size_t field = MAXLEN > 0 ? static_cast<std::size_t>(MAXLEN) : 0;

  while (true) {
    crt_goto_xy(x1 + 1, y1 + 1);
    TEXTATTR = all_selected ? COL[ENTERSTR_HITEXT] : COL[ENTERSTR_TEXT];
    for (std::size_t i = 0; i < field; ++i) {
      if (i >= BUFFER.size())
        MWRITE(' ');
      else
        MWRITE(is_printable(static_cast<std::uint8_t>(BUFFER[i])) ? BUFFER[i] : '?');
    }
    MFLUSH();
    crt_goto_xy(x1 + static_cast<std::int32_t>(cursor) + 1, y1 + 1);

    const std::uint16_t key = MREADKEY();
    if (key == KEYCODE_BACKSPACE) {
      if (all_selected) {
        clear();
      } else if (cursor > 0) {
        erase(--cursor);
      }
    } else if (key == HKEY_DC) {
      if (all_selected) {
        clear();
      } else if (cursor < BUFFER.size()) {
        erase(cursor);
      }
    } else if (key == HKEY_HOME) {
      cursor = 0;
    } else if (key == HKEY_END) {
      cursor = BUFFER.size();
    } else if (key == HKEY_LEFT) {
      if (cursor > 0) --cursor;
    } else if (key == HKEY_RIGHT) {
      if (cursor < BUFFER.size()) ++cursor;
    } else if (key >= 32 && key <= 255) {
      const char c = static_cast<char>(key);
      if (all_selected) clear();
      if (BUFFER.size() < field || BUFFER.empty()) {
        origin.insert(origin.begin() + static_cast<std::ptrdiff_t>(cursor), -1);
        BUFFER.insert(cursor++, 1, c);
      }
    }
    all_selected = false;
    if (key == KEYCODE_ENTER) return true;
    if (key == KEYCODE_ESCAPE) return false;
  }
}

bool DL_ENTERHOSTFILENAME(std::string_view HD, std::string& FN, std::vector<std::int32_t>* ORIGIN) {
  return ENTERSTRING(HD, FN, 70, ORIGIN);
}

bool DL_ENTERAGATFILENAME(std::string_view HD, TAGATNAME& FN) {
  std::string text;
  for (std::uint8_t b : FN) text.push_back(static_cast<char>(A2L(b)));
  // Only the trailing blanks go: leading and inner ones belong to the name.
  text.erase(std::min(text.find_last_not_of(' ') + 1, text.size()));

  const bool entered = ENTERSTRING(HD, text, static_cast<std::int32_t>(FN.size()));

  for (std::size_t i = 0; i < FN.size(); ++i)
    FN[i] = i < text.size() ? L2A(static_cast<std::uint8_t>(text[i])) : kAgatSpace;
  return entered;
}

}  // namespace agat

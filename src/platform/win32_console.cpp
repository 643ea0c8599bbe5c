#include "platform/win32_console.h"

#include <windows.h>

#include <algorithm>

#include "core/cp1251.h"
#include "platform/crt_keys.h"
#include "platform/oem_frames.h"

namespace agat {

namespace {

// The window of a screen buffer, in cells.
SMALL_RECT window_of(HANDLE buffer) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(buffer, &info)) return SMALL_RECT{0, 0, 79, 24};
  return info.srWindow;
}

}  // namespace

Win32Console::Win32Console() {
  input_ = GetStdHandle(STD_INPUT_HANDLE);
  previous_ = GetStdHandle(STD_OUTPUT_HANDLE);
  GetConsoleMode(input_, &input_mode_);
  // Keys as records, Ctrl+C among them, and the changes of the window's size.
  SetConsoleMode(input_, ENABLE_WINDOW_INPUT | ENABLE_EXTENDED_FLAGS);
  const SMALL_RECT window = window_of(previous_);
  output_ = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (output_ == INVALID_HANDLE_VALUE) output_ = previous_;
  width_ = std::max(window.Right - window.Left + 1, 1);
  height_ = std::max(window.Bottom - window.Top + 1, 1);
  fit_window();
  SetConsoleActiveScreenBuffer(output_);
  cells_.assign(static_cast<std::size_t>(width_ * height_), Cell{u' ', 0x07});
}

Win32Console::~Win32Console() {
  SetConsoleActiveScreenBuffer(previous_);
  if (output_ != previous_) CloseHandle(output_);
  SetConsoleMode(input_, input_mode_);
}

// The buffer as large as its window, so that nothing scrolls and the screen is the window.
void Win32Console::fit_window() {
  const SMALL_RECT window = window_of(output_);
  const COORD size{static_cast<SHORT>(width_), static_cast<SHORT>(height_)};
  const SMALL_RECT whole{0, 0, static_cast<SHORT>(width_ - 1), static_cast<SHORT>(height_ - 1)};
  // A buffer never gets smaller than its window: the order of the two calls matters.
  if (window.Right - window.Left + 1 > width_ || window.Bottom - window.Top + 1 > height_) {
    SetConsoleWindowInfo(output_, TRUE, &whole);
    SetConsoleScreenBufferSize(output_, size);
  } else {
    SetConsoleScreenBufferSize(output_, size);
    SetConsoleWindowInfo(output_, TRUE, &whole);
  }
}

void Win32Console::put(int x, int y, char16_t ch, std::uint8_t attribute) {
  if (x < 1 || x > width_ || y < 1 || y > height_) return;
  cells_[static_cast<std::size_t>((y - 1) * width_ + (x - 1))] = Cell{ch, attribute};
  dirty_ = true;
}

void Win32Console::goto_xy(int x, int y) {
  x_ = x;
  y_ = y;
}

void Win32Console::write(std::string_view text, std::uint8_t attribute, bool oem) {
  for (const char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    put(x_, y_, static_cast<char16_t>(oem ? unicode_from_oem(b) : unicode_from_cp1251(b)),
        attribute);
    ++x_;
  }
}

void Win32Console::clear_screen(std::uint8_t attribute) {
  std::fill(cells_.begin(), cells_.end(), Cell{u' ', attribute});
  dirty_ = true;
  x_ = y_ = 1;
}

void Win32Console::clear_to_eol(std::uint8_t attribute) {
  for (int x = std::max(x_, 1); x <= width_; ++x) put(x, y_, u' ', attribute);
}

void Win32Console::show_cursor(bool visible) {
  cursor_visible_ = visible;
  CONSOLE_CURSOR_INFO info{25, visible ? TRUE : FALSE};
  SetConsoleCursorInfo(output_, &info);
}

// Writes the cells that changed since the last key, and places the cursor.
void Win32Console::show() {
  if (dirty_) {
    std::vector<CHAR_INFO> out(cells_.size());
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      out[i].Char.UnicodeChar = static_cast<WCHAR>(cells_[i].ch);
      out[i].Attributes = cells_[i].attribute;
    }
    SMALL_RECT area{0, 0, static_cast<SHORT>(width_ - 1), static_cast<SHORT>(height_ - 1)};
    WriteConsoleOutputW(output_, out.data(),
                        COORD{static_cast<SHORT>(width_), static_cast<SHORT>(height_)}, COORD{0, 0},
                        &area);
    dirty_ = false;
  }
  SetConsoleCursorPosition(output_, COORD{static_cast<SHORT>(std::clamp(x_, 1, width_) - 1),
                                          static_cast<SHORT>(std::clamp(y_, 1, height_) - 1)});
}

std::uint16_t Win32Console::key_code(unsigned virtual_key, char16_t character) {
  switch (virtual_key) {
    // The keys that type a control character are known by the key, not by the character:
    // a console that reads a terminal sends Escape (a lone escape byte) with no character.
    case VK_ESCAPE:
      return KEYCODE_ESCAPE;
    case VK_RETURN:
      return KEYCODE_ENTER;
    case VK_BACK:
      return KEYCODE_BACKSPACE;
    case VK_TAB:
      return KEYCODE_TAB;
    case VK_F1:
      return HKEY_F1;
    case VK_F2:
      return HKEY_F2;
    case VK_F3:
      return HKEY_F3;
    case VK_F4:
      return HKEY_F4;
    case VK_F5:
      return HKEY_F5;
    case VK_F6:
      return HKEY_F6;
    case VK_F7:
      return HKEY_F7;
    case VK_F8:
      return HKEY_F8;
    case VK_F9:
      return HKEY_F9;
    case VK_F10:
      return HKEY_F10;
    case VK_F11:
      return HKEY_F11;
    case VK_F12:
      return HKEY_F12;
    case VK_UP:
      return HKEY_UP;
    case VK_DOWN:
      return HKEY_DOWN;
    case VK_LEFT:
      return HKEY_LEFT;
    case VK_RIGHT:
      return HKEY_RIGHT;
    case VK_PRIOR:
      return HKEY_PPAGE;
    case VK_NEXT:
      return HKEY_NPAGE;
    case VK_HOME:
      return HKEY_HOME;
    case VK_END:
      return HKEY_END;
    case VK_INSERT:
      return HKEY_IC;
    case VK_DELETE:
      return HKEY_DC;
    default:
      break;
  }
  if (character == 0) return 0;
  const int local = cp1251_from_unicode(character);
  return local <= 0 ? 0 : static_cast<std::uint16_t>(local);
}

std::vector<std::uint16_t> Win32Console::keys_of(const KEY_EVENT_RECORD& record) {
  if (!record.bKeyDown) return {};
  const std::uint16_t code =
      key_code(record.wVirtualKeyCode, static_cast<char16_t>(record.uChar.UnicodeChar));
  if (code == 0) return {};
  return std::vector<std::uint16_t>(std::max<WORD>(record.wRepeatCount, 1), code);
}

std::uint16_t Win32Console::read_key() {
  show();
  while (pending_.empty()) {
    INPUT_RECORD record;
    DWORD got = 0;
    // The console is gone: nobody can answer any more, so the program ends as F10 would.
    if (!ReadConsoleInputW(input_, &record, 1, &got)) return HKEY_F10;
    if (got == 0) continue;
    if (record.EventType == WINDOW_BUFFER_SIZE_EVENT) {
      const SMALL_RECT window = window_of(output_);
      width_ = std::max(window.Right - window.Left + 1, 1);
      height_ = std::max(window.Bottom - window.Top + 1, 1);
      fit_window();
      cells_.assign(static_cast<std::size_t>(width_ * height_), Cell{u' ', 0x07});
      dirty_ = true;
      return HKEY_RESIZE;
    }
    if (record.EventType != KEY_EVENT) continue;
    const std::vector<std::uint16_t> keys = keys_of(record.Event.KeyEvent);
    pending_.insert(pending_.end(), keys.begin(), keys.end());
  }
  const std::uint16_t code = pending_.front();
  pending_.pop_front();
  return code;
}

}  // namespace agat

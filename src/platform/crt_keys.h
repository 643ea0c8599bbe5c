// Key codes. A key read from the console is one 16-bit code: an ordinary character is
// its Windows-1251 code; an extended key has 0 in the low byte and its scan code in the
// high byte (HKEY_ = KEY_ x 256).
//
// The KEY_ names are also macros of curses.h: include this header before curses, and
// never both in one file that uses these names.
#pragma once

#include <cstdint>

namespace agat {

inline constexpr std::uint8_t KEY_F1 = 59;
inline constexpr std::uint8_t KEY_F2 = 60;
inline constexpr std::uint8_t KEY_F3 = 61;
inline constexpr std::uint8_t KEY_F4 = 62;
inline constexpr std::uint8_t KEY_F5 = 63;
inline constexpr std::uint8_t KEY_F6 = 64;
inline constexpr std::uint8_t KEY_F7 = 65;
inline constexpr std::uint8_t KEY_F8 = 66;
inline constexpr std::uint8_t KEY_F9 = 67;
inline constexpr std::uint8_t KEY_F10 = 68;
inline constexpr std::uint8_t KEY_F11 = 133;
inline constexpr std::uint8_t KEY_F12 = 134;
inline constexpr std::uint8_t KEY_UP = 72;
inline constexpr std::uint8_t KEY_DOWN = 80;
inline constexpr std::uint8_t KEY_RIGHT = 77;
inline constexpr std::uint8_t KEY_LEFT = 75;
inline constexpr std::uint8_t KEY_NPAGE = 81;
inline constexpr std::uint8_t KEY_PPAGE = 73;
inline constexpr std::uint8_t KEY_IC = 82;
inline constexpr std::uint8_t KEY_DC = 83;
inline constexpr std::uint8_t KEY_SELECT = 83;
inline constexpr std::uint8_t KEY_HOME = 71;
inline constexpr std::uint8_t KEY_END = 79;
inline constexpr std::uint8_t KEY_RESIZE = 255;

constexpr std::uint16_t hkey(std::uint8_t scan) {
  return static_cast<std::uint16_t>(scan << 8);
}

inline constexpr std::uint16_t HKEY_F1 = hkey(KEY_F1);
inline constexpr std::uint16_t HKEY_F2 = hkey(KEY_F2);
inline constexpr std::uint16_t HKEY_F3 = hkey(KEY_F3);
inline constexpr std::uint16_t HKEY_F4 = hkey(KEY_F4);
inline constexpr std::uint16_t HKEY_F5 = hkey(KEY_F5);
inline constexpr std::uint16_t HKEY_F6 = hkey(KEY_F6);
inline constexpr std::uint16_t HKEY_F7 = hkey(KEY_F7);
inline constexpr std::uint16_t HKEY_F8 = hkey(KEY_F8);
inline constexpr std::uint16_t HKEY_F9 = hkey(KEY_F9);
inline constexpr std::uint16_t HKEY_F10 = hkey(KEY_F10);
inline constexpr std::uint16_t HKEY_F11 = hkey(KEY_F11);
inline constexpr std::uint16_t HKEY_F12 = hkey(KEY_F12);
inline constexpr std::uint16_t HKEY_UP = hkey(KEY_UP);
inline constexpr std::uint16_t HKEY_DOWN = hkey(KEY_DOWN);
inline constexpr std::uint16_t HKEY_RIGHT = hkey(KEY_RIGHT);
inline constexpr std::uint16_t HKEY_LEFT = hkey(KEY_LEFT);
inline constexpr std::uint16_t HKEY_NPAGE = hkey(KEY_NPAGE);
inline constexpr std::uint16_t HKEY_PPAGE = hkey(KEY_PPAGE);
inline constexpr std::uint16_t HKEY_IC = hkey(KEY_IC);
inline constexpr std::uint16_t HKEY_DC = hkey(KEY_DC);
inline constexpr std::uint16_t HKEY_SELECT = hkey(KEY_SELECT);
inline constexpr std::uint16_t HKEY_HOME = hkey(KEY_HOME);
inline constexpr std::uint16_t HKEY_END = hkey(KEY_END);
inline constexpr std::uint16_t HKEY_RESIZE = hkey(KEY_RESIZE);

// Ordinary keys the program acts on.
inline constexpr std::uint16_t KEYCODE_BACKSPACE = 8;
inline constexpr std::uint16_t KEYCODE_TAB = 9;
inline constexpr std::uint16_t KEYCODE_ENTER = 13;
inline constexpr std::uint16_t KEYCODE_ESCAPE = 27;
constexpr std::uint16_t ctrl_key(char letter) {
  return static_cast<std::uint16_t>(letter - 'A' + 1);
}

}  // namespace agat

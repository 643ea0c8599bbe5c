// The keys of the Windows console: virtual keys of the function, cursor and editing keys
// as their scan codes, typed characters as Windows-1251, and nothing for a key that types
// no character of it; the key records of a console that reads a terminal as it writes them.
#include "platform/win32_console.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/crt_keys.h"

namespace agat {
namespace {

TEST(Win32ConsoleKeys, VirtualKeysAndCharacters) {
  struct Case {
    unsigned vk;
    char16_t ch;
    std::uint16_t code;
  };
  const Case cases[] = {
      {VK_F1, 0, HKEY_F1},     {VK_F10, 0, HKEY_F10},    {VK_F12, 0, HKEY_F12},
      {VK_UP, 0, HKEY_UP},     {VK_NEXT, 0, HKEY_NPAGE}, {VK_HOME, 0, HKEY_HOME},
      {VK_INSERT, 0, HKEY_IC}, {VK_DELETE, 0, HKEY_DC},  {VK_RETURN, u'\r', 13},
      {VK_ESCAPE, 0x1B, 27},   {VK_BACK, 8, 8},          {VK_TAB, u'\t', 9},
      {'C', 3, ctrl_key('C')}, {'A', u'a', 'a'},         {0xBA, u'Ж', 0xC6},
      {'E', u'€', 0x88},       {'X', u'✓', 0},           {VK_SHIFT, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Win32Console::key_code(c.vk, c.ch), c.code) << c.vk << " " << int(c.ch);
}

// The records a console writes for the bytes a terminal sends: a lone escape byte is
// Escape with no character, the cursor and function keys come without one too, a line
// feed is Ctrl+Enter, a delete byte Backspace; the modifiers come as keys of their own, and
// every key is released again. Each record gives its key once per repeat, when pressed.
TEST(Win32ConsoleKeys, KeyRecordsOfAConsoleOnATerminal) {
  struct Case {
    const char* what;
    WORD vk;
    WCHAR ch;
    DWORD control;
    BOOL down;
    WORD repeat;
    std::vector<std::uint16_t> keys;
  };
  const Case cases[] = {
      {"ESC alone", VK_ESCAPE, 0, 0, TRUE, 1, {KEYCODE_ESCAPE}},
      {"ESC released", VK_ESCAPE, 0, 0, FALSE, 1, {}},
      {"Escape of a Windows console", VK_ESCAPE, 0x1B, 0, TRUE, 1, {KEYCODE_ESCAPE}},
      {"ESC [ 2 1 ~", VK_F10, 0, 0, TRUE, 1, {HKEY_F10}},
      {"ESC O P", VK_F1, 0, 0, TRUE, 1, {HKEY_F1}},
      {"ESC [ 1 ; 5 A", VK_UP, 0, LEFT_CTRL_PRESSED, TRUE, 1, {HKEY_UP}},
      {"CR", VK_RETURN, u'\r', 0, TRUE, 1, {KEYCODE_ENTER}},
      {"LF", VK_RETURN, u'\n', LEFT_CTRL_PRESSED, TRUE, 1, {KEYCODE_ENTER}},
      {"DEL", VK_BACK, u'\b', 0, TRUE, 1, {KEYCODE_BACKSPACE}},
      {"TAB", VK_TAB, u'\t', 0, TRUE, 1, {KEYCODE_TAB}},
      {"ESC Z", VK_TAB, u'\t', SHIFT_PRESSED, TRUE, 1, {KEYCODE_TAB}},
      {"Ctrl+C", 'C', 3, LEFT_CTRL_PRESSED, TRUE, 1, {ctrl_key('C')}},
      {"the Ctrl before it", VK_CONTROL, 0, LEFT_CTRL_PRESSED, TRUE, 1, {}},
      {"Alt+x: ESC x", 'X', u'x', LEFT_ALT_PRESSED, TRUE, 1, {'x'}},
      {"Cyrillic", 0, u'ж', 0, TRUE, 1, {0xE6}},
      {"held down", VK_DOWN, 0, 0, TRUE, 3, {HKEY_DOWN, HKEY_DOWN, HKEY_DOWN}},
      {"no repeat count", 'A', u'a', 0, TRUE, 0, {'a'}},
  };
  for (const Case& c : cases) {
    KEY_EVENT_RECORD record{};
    record.bKeyDown = c.down;
    record.wRepeatCount = c.repeat;
    record.wVirtualKeyCode = c.vk;
    record.uChar.UnicodeChar = c.ch;
    record.dwControlKeyState = c.control;
    EXPECT_EQ(Win32Console::keys_of(record), c.keys) << c.what;
  }
}

}  // namespace
}  // namespace agat

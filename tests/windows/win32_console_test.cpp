// The keys of the Windows console: virtual keys of the function, cursor and editing keys
// as their scan codes, typed characters as Windows-1251, and nothing for a key that types
// no character of it.
#include "platform/win32_console.h"

#include <windows.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace agat

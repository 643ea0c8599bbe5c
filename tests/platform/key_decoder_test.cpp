// The key decoder as a pure function: terminal bytes in, the program's key codes out.
#include "platform/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/crt_keys.h"
#include "support/scripted_keys.h"

namespace agat {
namespace {

TEST(KeyDecoder, TerminalSequencesBecomeKeyCodes) {
  const std::pair<std::string, std::vector<std::uint16_t>> cases[] = {
      // F1..F4 in the SS3 and CSI forms, F5..F12, the Linux console's F1 and F5.
      {"\033OP\033OQ\033OR\033OS\033[11~\033[12~\033[13~\033[14~",
       {HKEY_F1, HKEY_F2, HKEY_F3, HKEY_F4, HKEY_F1, HKEY_F2, HKEY_F3, HKEY_F4}},
      {"\033[15~\033[17~\033[18~\033[19~\033[20~\033[21~\033[23~\033[24~\033[[A\033[[E",
       {HKEY_F5, HKEY_F6, HKEY_F7, HKEY_F8, HKEY_F9, HKEY_F10, HKEY_F11, HKEY_F12, HKEY_F1,
        HKEY_F5}},
      // Arrows, one with Ctrl; PgUp, PgDn, Insert, Delete; Home and End in all their forms.
      {"\033[A\033[B\033[C\033[D\033OA\033[1;5A\033[5~\033[6~\033[2~\033[3~",
       {HKEY_UP, HKEY_DOWN, HKEY_RIGHT, HKEY_LEFT, HKEY_UP, HKEY_UP, HKEY_PPAGE, HKEY_NPAGE,
        HKEY_IC, HKEY_DC}},
      {"\033[H\033[F\033OH\033[1~\033[4~\033[7~\033[8~",
       {HKEY_HOME, HKEY_END, HKEY_HOME, HKEY_HOME, HKEY_END, HKEY_HOME, HKEY_END}},
      // Ctrl letters, Enter, Tab, Backspace; UTF-8 Cyrillic as Windows-1251, and Latin.
      {"\003\005\022\023\025\r\n\t\177\010", {3, 5, 18, 19, 21, 13, 13, 9, 8, 8}},
      {"Жж\320\201z+", {0xC6, 0xE6, 0xA8, 'z', '+'}},
      // Escape alone: nothing follows in time ('\377'), a letter follows, or the input ends.
      {"\033\377a\033x\033", {27, 'a', 27, 'x', 27}},
      // Skipped: an unknown sequence, a character Windows-1251 lacks, broken UTF-8.
      {"\033[99~q\342\202\277b\320c", {'q', 'b', 'c'}},
      {"\376", {HKEY_RESIZE}},
  };
  for (const auto& [bytes, expected] : cases) {
    testing::ScriptedKeys in(bytes);
    KeyDecoder decoder;
    std::vector<std::uint16_t> keys;
    for (std::size_t i = 0; i < expected.size(); ++i) keys.push_back(decoder.next_key(in));
    EXPECT_EQ(keys, expected) << ::testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace agat

#include "ui/key_decoder.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ui/crt_keys.h"

namespace agat {
namespace {

// Terminal input from a string; a pause (no byte within the delay) is marked by '\xFF'
// nowhere else used here, and the end of the text is an endless pause.
class Script : public ByteSource {
 public:
  explicit Script(std::string bytes) : bytes_(bytes.begin(), bytes.end()) {}
  int next(int timeout_ms) override {
    if (bytes_.empty()) {
      if (timeout_ms < 0) throw std::runtime_error("waiting for ever on an empty script");
      return TIMEOUT;
    }
    const int b = static_cast<unsigned char>(bytes_.front());
    bytes_.pop_front();
    if (b == 0xFF) return timeout_ms < 0 ? next(timeout_ms) : TIMEOUT;
    if (b == 0xFE) return RESIZE;
    return b;
  }

 private:
  std::deque<char> bytes_;
};

std::vector<std::uint16_t> decode(const std::string& bytes, std::size_t count) {
  Script in(bytes);
  KeyDecoder decoder;
  std::vector<std::uint16_t> keys;
  for (std::size_t i = 0; i < count; ++i) keys.push_back(decoder.next_key(in));
  return keys;
}

struct Case {
  const char* name;
  std::string bytes;
  std::vector<std::uint16_t> keys;
};

TEST(KeyDecoder, TerminalSequencesBecomeKeyCodes) {
  const Case cases[] = {
      {"F1..F4 (SS3)", "\x1bOP\x1bOQ\x1bOR\x1bOS", {HKEY_F1, HKEY_F2, HKEY_F3, HKEY_F4}},
      {"F1..F4 (CSI)", "\x1b[11~\x1b[12~\x1b[13~\x1b[14~", {HKEY_F1, HKEY_F2, HKEY_F3, HKEY_F4}},
      {"F5..F12",
       "\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~",
       {HKEY_F5, HKEY_F6, HKEY_F7, HKEY_F8, HKEY_F9, HKEY_F10, HKEY_F11, HKEY_F12}},
      {"Linux console F1..F5", "\x1b[[A\x1b[[E", {HKEY_F1, HKEY_F5}},
      {"arrows",
       "\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA",
       {HKEY_UP, HKEY_DOWN, HKEY_RIGHT, HKEY_LEFT, HKEY_UP}},
      {"arrows with Ctrl", "\x1b[1;5A", {HKEY_UP}},
      {"PgUp PgDn", "\x1b[5~\x1b[6~", {HKEY_PPAGE, HKEY_NPAGE}},
      {"Home End",
       "\x1b[H\x1b[F\x1bOH\x1b[1~\x1b[4~\x1b[7~\x1b[8~",
       {HKEY_HOME, HKEY_END, HKEY_HOME, HKEY_HOME, HKEY_END, HKEY_HOME, HKEY_END}},
      {"Insert Delete", "\x1b[2~\x1b[3~", {HKEY_IC, HKEY_DC}},
      {"Ctrl letters", "\x03\x05\x12\x13\x15", {3, 5, 18, 19, 21}},
      {"Enter Tab Backspace", "\r\n\t\x7f\x08", {13, 13, 9, 8, 8}},
      {"UTF-8 Cyrillic", "Жж\xd0\x81", {0xC6, 0xE6, 0xA8}},
      {"Latin", "aZ+*", {'a', 'Z', '+', '*'}},
      {"Escape alone",
       "\x1b\xff"
       "a",
       {27, 'a'}},
      {"Escape then a letter",
       "\x1b"
       "x",
       {27, 'x'}},
      {"unknown sequence skipped", "\x1b[99~q", {'q'}},
      {"character Windows-1251 lacks skipped",
       "\xe2\x82\xbf"
       "b",
       {'b'}},
      {"broken UTF-8 skipped",
       "\xd0"
       "c",
       {'c'}},
      {"resize", "\xfe", {HKEY_RESIZE}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(decode(c.bytes, c.keys.size()), c.keys);
  }
}

TEST(KeyDecoder, EscapeAtTheEndOfInputIsEscape) {
  EXPECT_EQ(decode("\x1b", 1), std::vector<std::uint16_t>{27});
}

TEST(KeyDecoder, KeyCodesAreScanCodesTimes256) {
  EXPECT_EQ(HKEY_F1, 15104);
  EXPECT_EQ(HKEY_F10, 17408);
  EXPECT_EQ(HKEY_F11, 34048);
  EXPECT_EQ(HKEY_F12, 34304);
  EXPECT_EQ(HKEY_DC, 21248);
  EXPECT_EQ(HKEY_RESIZE, 65280);
}

}  // namespace
}  // namespace agat

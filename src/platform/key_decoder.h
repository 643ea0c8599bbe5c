// Turns the bytes a terminal sends into the program's 16-bit key codes: escape
// sequences of the cursor and function keys (xterm, VT and Linux console forms),
// UTF-8 characters as Windows-1251 codes, Backspace, Enter, Tab, Ctrl+letter, and
// Escape alone (an escape byte that nothing follows within a short delay).
#pragma once

#include <cstdint>
#include <deque>

namespace agat {

class ByteSource {
 public:
  static constexpr int TIMEOUT = -1;  // nothing arrived within the delay
  static constexpr int RESIZE = -2;   // the terminal changed its size

  virtual ~ByteSource() = default;
  // The next input byte (0..255), waiting at most timeout_ms (forever when negative).
  virtual int next(int timeout_ms) = 0;
};

class KeyDecoder {
 public:
  // How long the rest of an escape sequence may take to arrive.
  static constexpr int ESCAPE_DELAY_MS = 40;

  // Waits for the next key. Input that is no key (an unknown escape sequence, a
  // character Windows-1251 lacks) is skipped.
  std::uint16_t next_key(ByteSource& in);

 private:
  int byte(ByteSource& in, int timeout_ms);
  bool decode_escape(ByteSource& in, std::uint16_t& key);
  bool decode_utf8(ByteSource& in, int lead, std::uint16_t& key);

  std::deque<int> pending_;  // bytes read ahead that belong to the next key
};

}  // namespace agat

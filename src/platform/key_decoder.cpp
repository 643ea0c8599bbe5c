#include "platform/key_decoder.h"

#include <string>

#include "core/cp1251.h"
#include "platform/crt_keys.h"

namespace agat {

namespace {

// CSI number "~" sequences: Home, Insert, Delete, End, PgUp, PgDn and F1..F12.
std::uint16_t tilde_key(int number) {
  switch (number) {
    case 1:
    case 7:
      return HKEY_HOME;
    case 2:
      return HKEY_IC;
    case 3:
      return HKEY_DC;
    case 4:
    case 8:
      return HKEY_END;
    case 5:
      return HKEY_PPAGE;
    case 6:
      return HKEY_NPAGE;
    case 11:
      return HKEY_F1;
    case 12:
      return HKEY_F2;
    case 13:
      return HKEY_F3;
    case 14:
      return HKEY_F4;
    case 15:
      return HKEY_F5;
    case 17:
      return HKEY_F6;
    case 18:
      return HKEY_F7;
    case 19:
      return HKEY_F8;
    case 20:
      return HKEY_F9;
    case 21:
      return HKEY_F10;
    case 23:
      return HKEY_F11;
    case 24:
      return HKEY_F12;
    default:
      return 0;
  }
}

// Final letters of CSI and SS3 sequences.
std::uint16_t letter_key(int final) {
  switch (final) {
    case 'A':
      return HKEY_UP;
    case 'B':
      return HKEY_DOWN;
    case 'C':
      return HKEY_RIGHT;
    case 'D':
      return HKEY_LEFT;
    case 'H':
      return HKEY_HOME;
    case 'F':
      return HKEY_END;
    case 'P':
      return HKEY_F1;
    case 'Q':
      return HKEY_F2;
    case 'R':
      return HKEY_F3;
    case 'S':
      return HKEY_F4;
    default:
      return 0;
  }
}

}  // namespace

int KeyDecoder::byte(ByteSource& in, int timeout_ms) {
  if (!pending_.empty()) {
    const int b = pending_.front();
    pending_.pop_front();
    return b;
  }
  return in.next(timeout_ms);
}

bool KeyDecoder::decode_escape(ByteSource& in, std::uint16_t& key) {
  const int intro = byte(in, ESCAPE_DELAY_MS);
  if (intro == ByteSource::TIMEOUT) {
    key = KEYCODE_ESCAPE;
    return true;
  }
  if (intro != '[' && intro != 'O') {
    // Escape followed by something else: Escape now, the rest is the next key.
    pending_.push_back(intro);
    key = KEYCODE_ESCAPE;
    return true;
  }
  // Parameters (digits and ";") up to the final byte. The Linux console sends
  // ESC [ [ A .. ESC [ [ E for F1..F5.
  int first_number = -1;
  int number = 0;
  bool in_number = false;
  for (int length = 0; length < 16; ++length) {
    const int b = byte(in, ESCAPE_DELAY_MS);
    if (b < 0) return false;
    if (b >= '0' && b <= '9') {
      number = number * 10 + (b - '0');
      in_number = true;
      continue;
    }
    if (b == ';') {
      if (first_number < 0) first_number = in_number ? number : 1;
      number = 0;
      in_number = false;
      continue;
    }
    if (intro == '[' && b == '[' && length == 0) {
      const int f = byte(in, ESCAPE_DELAY_MS);
      if (f >= 'A' && f <= 'E') {
        key = static_cast<std::uint16_t>(HKEY_F1 + (f - 'A') * 256);
        return true;
      }
      return false;
    }
    if (first_number < 0 && in_number) first_number = number;
    if (b == '~') {
      key = tilde_key(first_number);
    } else if (b >= 0x40 && b <= 0x7E) {
      key = letter_key(b);  // modifiers such as ";5" (Ctrl) are ignored
    } else {
      return false;
    }
    return key != 0;
  }
  return false;
}

bool KeyDecoder::decode_utf8(ByteSource& in, int lead, std::uint16_t& key) {
  int length = (lead & 0xE0) == 0xC0   ? 2
               : (lead & 0xF0) == 0xE0 ? 3
               : (lead & 0xF8) == 0xF0 ? 4
                                       : 0;
  if (length == 0) return false;
  std::string bytes(1, static_cast<char>(lead));
  for (int i = 1; i < length; ++i) {
    const int b = byte(in, ESCAPE_DELAY_MS);
    if (b < 0) return false;
    if ((b & 0xC0) != 0x80) {
      pending_.push_back(b);
      return false;
    }
    bytes += static_cast<char>(b);
  }
  std::string cp;
  if (!utf8_to_cp1251(bytes, cp) || cp.size() != 1) return false;
  key = static_cast<std::uint8_t>(cp[0]);
  return true;
}

std::uint16_t KeyDecoder::next_key(ByteSource& in) {
  while (true) {
    const int b = byte(in, -1);
    if (b == ByteSource::RESIZE) return HKEY_RESIZE;
    if (b < 0) continue;
    std::uint16_t key = 0;
    if (b == 0x1B) {
      if (decode_escape(in, key)) return key;
    } else if (b == 0x7F || b == 0x08) {
      return KEYCODE_BACKSPACE;
    } else if (b == '\r' || b == '\n') {
      return KEYCODE_ENTER;
    } else if (b >= 0x80) {
      if (decode_utf8(in, b, key)) return key;
    } else if (b != 0) {
      return static_cast<std::uint16_t>(b);
    }
  }
}

}  // namespace agat

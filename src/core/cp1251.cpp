#include "core/cp1251.h"

namespace agat {

char32_t utf8_decode(std::string_view text, std::size_t& pos) {
  const auto b = static_cast<unsigned char>(text[pos]);
  int len;
  char32_t c;
  if (b < 0x80) {
    ++pos;
    return b;
  } else if ((b & 0xE0) == 0xC0) {
    len = 2, c = b & 0x1F;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3, c = b & 0x0F;
  } else if ((b & 0xF8) == 0xF0) {
    len = 4, c = b & 0x07;
  } else {
    ++pos;
    return static_cast<char32_t>(-1);
  }
  if (pos + len > text.size()) {
    ++pos;
    return static_cast<char32_t>(-1);
  }
  for (int k = 1; k < len; ++k) {
    const auto cb = static_cast<unsigned char>(text[pos + k]);
    if ((cb & 0xC0) != 0x80) {
      ++pos;
      return static_cast<char32_t>(-1);
    }
    c = (c << 6) | (cb & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++pos;
    return static_cast<char32_t>(-1);
  }
  pos += len;
  return c;
}

void utf8_append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string cp1251_to_utf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (char ch : cp1251) utf8_append(out, unicode_from_cp1251(static_cast<std::uint8_t>(ch)));
  return out;
}

bool utf8_to_cp1251(std::string_view utf8, std::string& out, char missing) {
  out.clear();
  out.reserve(utf8.size());
  bool exact = true;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = utf8_decode(utf8, pos);
    const int b = c == static_cast<char32_t>(-1) ? -1 : cp1251_from_unicode(c);
    if (b < 0) {
      out += missing;
      exact = false;
    } else {
      out += static_cast<char>(b);
    }
  }
  return exact;
}

bool is_valid_utf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();)
    if (utf8_decode(text, pos) == static_cast<char32_t>(-1)) return false;
  return true;
}

std::string host_to_cp1251(std::string_view host) {
  if (!is_valid_utf8(host)) return std::string(host);
  std::string out;
  utf8_to_cp1251(host, out);
  return out;
}

std::string cp1251_to_host(std::string_view cp1251) {
  return cp1251_to_utf8(cp1251);
}

}  // namespace agat

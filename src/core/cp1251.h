// Windows-1251, the code page of every text inside the program, and its
// conversion to and from UTF-8 (the encoding of the terminal and of host names).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace agat {

// Unicode code point of each Windows-1251 byte 0x80..0xFF; 0 where the code page has none (0x98).
inline constexpr std::array<char16_t, 128> CP1251_HIGH = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// The Windows-1251 byte of a code point, or -1 when the code page has none.
constexpr int cp1251_from_unicode(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  for (int i = 0; i < 128; ++i)
    if (CP1251_HIGH[i] != 0 && CP1251_HIGH[i] == c) return 0x80 + i;
  return -1;
}

// The code point of a Windows-1251 byte (0x98, which has none, gives U+FFFD).
constexpr char32_t unicode_from_cp1251(std::uint8_t b) {
  if (b < 0x80) return b;
  char16_t u = CP1251_HIGH[b - 0x80];
  return u != 0 ? u : 0xFFFD;
}

// Decodes one UTF-8 sequence at text[pos]; advances pos. Returns -1 for a malformed
// sequence (pos then advances by one byte).
char32_t utf8_decode(std::string_view text, std::size_t& pos);
void utf8_append(std::string& out, char32_t c);

std::string cp1251_to_utf8(std::string_view cp1251);
// Converts UTF-8 to Windows-1251. A character the code page lacks becomes `missing`;
// returns false (and still converts) when that happened or the text is not valid UTF-8.
bool utf8_to_cp1251(std::string_view utf8, std::string& out, char missing = '?');
bool is_valid_utf8(std::string_view text);

// Host text (names, paths, labels: UTF-8 on Linux) as Windows-1251 for showing it; text
// that is not valid UTF-8 is taken as Windows-1251 already. A character the code page
// lacks becomes "?".
std::string host_to_cp1251(std::string_view host);
// Windows-1251 text (typed by the user, made from an Agat name) as host text.
std::string cp1251_to_host(std::string_view cp1251);

}  // namespace agat

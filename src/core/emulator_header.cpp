#include "core/emulator_header.h"

#include <algorithm>

namespace agat {

namespace {

constexpr std::string_view kSignature =
    "Agathe emulator virtual disk\r\n\x1A"
    "AD";

// The Windows-1251 byte of each code page 866 byte $80..$FF; 0 where Windows-1251 has no
// such character (the box-drawing and block characters, the bullet, the root sign).
constexpr std::array<std::uint8_t, 128> kCp866High = [] {
  std::array<std::uint8_t, 128> t{};
  for (int i = 0; i < 48; ++i) t[i] = static_cast<std::uint8_t>(0xC0 + i);         // А..п
  for (int i = 0; i < 16; ++i) t[0x60 + i] = static_cast<std::uint8_t>(0xF0 + i);  // р..я
  constexpr std::uint8_t tail[16] = {0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2,
                                     0xB0, 0,    0xB7, 0,    0xB9, 0xA4, 0,    0xA0};
  for (int i = 0; i < 16; ++i) t[0x70 + i] = tail[i];  // Ё ё Є є Ї ї Ў ў ° ∙ · √ № ¤ ■ nbsp
  return t;
}();

// The code page 866 byte of a Windows-1251 byte; -1 when code page 866 lacks it.
int cp866_of(std::uint8_t c) {
  if (c < 0x80) return c;
  const auto at = std::find(kCp866High.begin(), kCp866High.end(), c);
  return at == kCp866High.end() ? -1 : 0x80 + static_cast<int>(at - kCp866High.begin());
}

}  // namespace

bool is_emulator_header(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kSignature.size() &&
         std::equal(kSignature.begin(), kSignature.end(), bytes.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

EmulatorHeader make_emulator_header(std::string_view description) {
  EmulatorHeader header{};
  std::copy(kSignature.begin(), kSignature.end(), header.begin());
  description = description.substr(0, EMU_DESCRIPTION_MAX);
  header[EMU_DESCRIPTION_LENGTH] = static_cast<std::uint8_t>(description.size());
  std::transform(description.begin(), description.end(), header.begin() + EMU_DESCRIPTION,
                 [](char c) {
                   const int b = cp866_of(static_cast<std::uint8_t>(c));
                   return static_cast<std::uint8_t>(b < 0 ? '?' : b);
                 });
  return header;
}

std::string emulator_header_description(std::span<const std::uint8_t, EMU_HEADER_SIZE> header) {
  const std::size_t length =
      std::min<std::size_t>(header[EMU_DESCRIPTION_LENGTH], EMU_DESCRIPTION_MAX);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t b = header[EMU_DESCRIPTION + i];
    const std::uint8_t c = b < 0x80 ? b : kCp866High[b - 0x80];
    text += static_cast<char>(c == 0 ? '?' : c);
  }
  return text;
}

bool description_fits_header(std::string_view description) {
  return description.size() <= EMU_DESCRIPTION_MAX &&
         std::all_of(description.begin(), description.end(),
                     [](char c) { return cp866_of(static_cast<std::uint8_t>(c)) >= 0; });
}

}  // namespace agat

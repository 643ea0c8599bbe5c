#include "core/char_sets.h"

#include <array>

namespace agat {

namespace {

// XOR by group of 32 codes, then a substitution of codes 192..255.
constexpr std::array<std::uint8_t, 8> T2 = {0x80, 0x80, 0x20, 0x80, 0x80, 0x80, 0x80, 0x20};
constexpr std::array<std::uint8_t, 64> T4 = {
    0xDE, 0xC0, 0xC1, 0xD6, 0xC4, 0xC5, 0xD4, 0xC3, 0xD5, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE,
    0xCF, 0xDF, 0xD0, 0xD1, 0xD2, 0xD3, 0xC6, 0xC2, 0xDC, 0xDB, 0xC7, 0xD8, 0xDD, 0xD9, 0xD7, 0xDA,
    0xFE, 0xE0, 0xE1, 0xF6, 0xE4, 0xE5, 0xF4, 0xE3, 0xF5, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE,
    0xEF, 0xFF, 0xF0, 0xF1, 0xF2, 0xF3, 0xE6, 0xE2, 0xFC, 0xFB, 0xE7, 0xF8, 0xFD, 0xF9, 0xF7, 0xFA};
// The other way: a substitution of codes 192..255, then an XOR by group.
constexpr std::array<std::uint8_t, 64> T3 = {
    0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
    0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8, 0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1,
    0x41, 0x42, 0x57, 0x47, 0x44, 0x45, 0x56, 0x5A, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50,
    0x52, 0x53, 0x54, 0x55, 0x46, 0x48, 0x43, 0x5E, 0x5B, 0x5D, 0x5F, 0x59, 0x58, 0x5C, 0x40, 0x51};
constexpr std::array<std::uint8_t, 8> T1 = {0x80, 0x80, 0x80, 0x20, 0x80, 0x80, 0x00, 0x00};

constexpr std::uint8_t agat_to_local(std::uint8_t b) {
  std::uint8_t x = b ^ T2[b >> 5];
  return x >= 192 ? T4[x - 192] : x;
}

// The XOR group is that of the host code: codes 192..255 (groups 6 and 7, whose XOR
// is 0) take their substitute unchanged. This is what puts host lower-case Cyrillic
// on Agat 40..5F, the codes that files and names written by Agat tools carry.
constexpr std::uint8_t local_to_agat(std::uint8_t b) {
  if (b >= 192) return T3[b - 192] ^ T1[b >> 5];
  return b ^ T1[b >> 5];
}

template <std::uint8_t (*Map)(std::uint8_t)>
constexpr std::array<std::uint8_t, 256> make_table() {
  std::array<std::uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = Map(static_cast<std::uint8_t>(i));
  return t;
}

constexpr auto kA2L = make_table<agat_to_local>();
constexpr auto kL2A = make_table<local_to_agat>();

void convert_buffer(const std::array<std::uint8_t, 256>& table, void* buf, std::int32_t size) {
  auto* p = static_cast<std::uint8_t*>(buf);
  for (std::int32_t i = 0; i < size; ++i) p[i] = table[p[i]];
}

std::string convert_string(const std::array<std::uint8_t, 256>& table, std::string_view s) {
  std::string out(s);
  convert_buffer(table, out.data(), static_cast<std::int32_t>(out.size()));
  return out;
}

}  // namespace

std::uint8_t A2L(std::uint8_t b) {
  return kA2L[b];
}
char A2L(char c) {
  return static_cast<char>(kA2L[static_cast<std::uint8_t>(c)]);
}
std::uint8_t L2A(std::uint8_t b) {
  return kL2A[b];
}
char L2A(char c) {
  return static_cast<char>(kL2A[static_cast<std::uint8_t>(c)]);
}

void A2L(void* BUF, std::int32_t SZ) {
  convert_buffer(kA2L, BUF, SZ);
}
void L2A(void* BUF, std::int32_t SZ) {
  convert_buffer(kL2A, BUF, SZ);
}

std::string A2L(std::string_view s) {
  return convert_string(kA2L, s);
}
std::string L2A(std::string_view s) {
  return convert_string(kL2A, s);
}

}  // namespace agat

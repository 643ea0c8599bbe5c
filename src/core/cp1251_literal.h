// The `_w` literal: Russian text written readably in UTF-8 in the source and stored
// as Windows-1251 bytes, converted at compile time. A character that Windows-1251
// lacks is a compile error.
//
//   std::string_view title = "Ошибка"_w;   // six Windows-1251 bytes
//
// The literal is a string literal operator template over the characters (an extension
// that GCC and Clang share): Clang 14 crashes on the standard class-type form wherever a
// constant evaluation of an enclosing initializer fails and reports its call stack.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "core/cp1251.h"

namespace agat {

namespace literal_detail {

template <std::size_t N>
struct Utf8Text {
  char bytes[N]{};
};

template <std::size_t N>
constexpr std::size_t code_points(const Utf8Text<N>& s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i + 1 < N; ++i)
    if ((static_cast<unsigned char>(s.bytes[i]) & 0xC0) != 0x80) ++n;
  return n;
}

template <std::size_t Size, std::size_t N>
constexpr std::array<char, Size + 1> to_cp1251(const Utf8Text<N>& s) {
  std::array<char, Size + 1> out{};
  std::size_t o = 0;
  for (std::size_t i = 0; i + 1 < N;) {
    const auto b = static_cast<unsigned char>(s.bytes[i]);
    char32_t c = b;
    int len = 1;
    if (b >= 0xF0) {
      c = b & 0x07, len = 4;
    } else if (b >= 0xE0) {
      c = b & 0x0F, len = 3;
    } else if (b >= 0xC0) {
      c = b & 0x1F, len = 2;
    }
    for (int k = 1; k < len; ++k)
      c = (c << 6) | (static_cast<unsigned char>(s.bytes[i + k]) & 0x3F);
    i += len;
    const int w = cp1251_from_unicode(c);
    if (w < 0) throw "character has no Windows-1251 code";
    out[o++] = static_cast<char>(w);
  }
  return out;
}

template <char... Cs>
struct Cp1251Storage {
  static constexpr Utf8Text<sizeof...(Cs) + 1> source{{Cs..., '\0'}};
  static constexpr std::size_t size = code_points(source);
  static constexpr std::array<char, size + 1> data = to_cp1251<size>(source);
};

}  // namespace literal_detail

#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wgnu-string-literal-operator-template"
#endif
template <typename Char, Char... Cs>
constexpr std::string_view operator""_w() {
  static_assert(sizeof(Char) == 1, "the _w literal takes plain string literals");
  using Storage = literal_detail::Cp1251Storage<static_cast<char>(Cs)...>;
  return {Storage::data.data(), Storage::size};
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

}  // namespace agat

#include "core/char_sets.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/cp1251_literal.h"

namespace agat {
namespace {

std::uint8_t a2l(int b) {
  return A2L(static_cast<std::uint8_t>(b));
}
std::uint8_t l2a(int b) {
  return L2A(static_cast<std::uint8_t>(b));
}

TEST(CharSets, SingleCodesBothWays) {
  EXPECT_EQ(a2l(0xC1), 'A');
  EXPECT_EQ(a2l(0xE1), 0xC0);  // "А"
  EXPECT_EQ(a2l(0x61), 0xE0);  // "а"
  EXPECT_EQ(a2l(0xA0), ' ');
  EXPECT_EQ(a2l(0x8D), 0x0D);
  EXPECT_EQ(l2a('A'), 0xC1);
  EXPECT_EQ(l2a(0xE0), 0x41);  // "а" shares the code of "a"
  EXPECT_EQ(l2a(0xFF), 0x51);  // "я"
  EXPECT_EQ(l2a(0x0D), 0x8D);
  EXPECT_EQ(l2a(' '), 0xA0);
  EXPECT_EQ(l2a(0xA8), 0x28);  // "Ё"
  EXPECT_EQ(l2a(0xB8), 0x38);  // "ё"
}

TEST(CharSets, CyrillicFollowsKoiOrder) {
  std::string upper, lower;
  for (int b = 0xE0; b <= 0xFF; ++b) upper += static_cast<char>(a2l(b));
  for (int b = 0x60; b <= 0x7F; ++b) lower += static_cast<char>(a2l(b));
  EXPECT_EQ(cp1251_to_utf8(upper), "ЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ");
  EXPECT_EQ(cp1251_to_utf8(lower), "юабцдефгхийклмнопярстужвьызшэщчъ");
}

TEST(CharSets, A2LIsOneToOneAndL2AInvertsItOutsideLowerCyrillic) {
  std::array<bool, 256> hit{};
  for (int x = 0; x < 256; ++x) {
    ASSERT_FALSE(hit[a2l(x)]) << "two Agat codes give " << int(a2l(x));
    hit[a2l(x)] = true;
    if (x < 0x60 || x > 0x7F) {
      EXPECT_EQ(l2a(a2l(x)), x) << x;
    }
  }
  for (int y = 0; y < 256; ++y) {
    if (y < 0xE0) {
      EXPECT_EQ(a2l(l2a(y)), y) << y;
    }
    EXPECT_FALSE(l2a(y) >= 0x60 && l2a(y) <= 0x7F) << "L2A never yields 60..7F: " << y;
  }
}

TEST(CharSets, BufferAndStringForms) {
  std::uint8_t buf[3] = {0xC1, 0xE1, 0xA0};
  A2L(buf, 0);
  A2L(buf, -5);
  EXPECT_EQ(buf[0], 0xC1);
  A2L(buf, 2);
  EXPECT_EQ(buf[0], 'A');
  EXPECT_EQ(buf[1], 0xC0);
  EXPECT_EQ(buf[2], 0xA0);  // beyond SZ: untouched
  L2A(buf, 3);
  EXPECT_EQ(buf[0], 0xC1);
  EXPECT_EQ(buf[2], 0x20);  // host 0xA0 (no-break space) is Agat 0x20

  EXPECT_EQ(A2L(std::string_view{}), "");
  EXPECT_EQ(L2A(std::string_view{}), "");
  const std::string host = std::string("ФАЙЛ.1 "_w);
  const std::string agat = L2A(host);
  EXPECT_EQ(agat, "\xE6\xE1\xEA\xEC\xAE\xB1\xA0");
  EXPECT_EQ(A2L(agat), host);
  std::string long_text(1000, 'Z');
  EXPECT_EQ(L2A(long_text).size(), 1000u);  // strings are not cut at 255
}

TEST(Cp1251, LiteralsAndConversionToUtf8) {
  constexpr std::string_view w = "Ёж №1 «да»"_w;
  EXPECT_EQ(w, std::string_view("\xA8\xE6 \xB9"
                                "1 \xAB\xE4\xE0\xBB"));
  EXPECT_EQ(cp1251_to_utf8(w), "Ёж №1 «да»");
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;  // the one byte the code page leaves undefined
    const std::string one(1, static_cast<char>(b));
    std::string back;
    EXPECT_TRUE(utf8_to_cp1251(cp1251_to_utf8(one), back)) << b;
    EXPECT_EQ(back, one) << b;
  }
  std::string out;
  EXPECT_FALSE(utf8_to_cp1251("a\xE2\x94\x80z", out));  // a box character has no code
  EXPECT_EQ(out, "a?z");
  EXPECT_FALSE(utf8_to_cp1251("\xFF\xC3", out));  // not UTF-8 at all
  EXPECT_FALSE(is_valid_utf8("\xC0\x80"));        // an overlong form
  EXPECT_TRUE(is_valid_utf8("файл"));
}

}  // namespace
}  // namespace agat

// Character codes: Agat and Windows-1251, Windows-1251 and UTF-8, Agat names and host names.
#include "core/char_sets.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/host_names.h"

namespace agat {
namespace {

std::uint8_t a2l(int b) {
  return A2L(static_cast<std::uint8_t>(b));
}
std::uint8_t l2a(int b) {
  return L2A(static_cast<std::uint8_t>(b));
}

// An Agat name from Agat codes, padded with Agat blanks.
TAGATNAME agat_codes(std::initializer_list<std::uint8_t> codes) {
  TAGATNAME name;
  name.fill(AGAT_SPACE);
  std::copy(codes.begin(), codes.end(), name.begin());
  return name;
}

// An Agat name from UTF-8 text, as the user would type it.
TAGATNAME agat_text(std::string_view utf8) {
  std::string cp1251;
  utf8_to_cp1251(utf8, cp1251);
  TAGATNAME name;
  name.fill(AGAT_SPACE);
  for (std::size_t i = 0; i < cp1251.size() && i < name.size(); ++i) name[i] = L2A(cp1251[i]);
  return name;
}

// Latin letters and the blank in the upper half, control codes in 80..9F, Cyrillic
// letters in KOI order: capitals in E0..FF, small letters in 60..7F. A2L is one-to-one
// and L2A its inverse, but for small Cyrillic letters: L2A gives them the codes 40..5F
// of small Latin letters, those of their capitals less $A0, and never 60..7F.
TEST(CharSets, AgatCodesAndTheirConversions) {
  for (auto [agat, local] : {std::pair{0xC1, 'A'}, {0xA0, ' '}, {0x8D, '\r'}, {0x28, '\xA8'}}) {
    EXPECT_EQ(a2l(agat), static_cast<std::uint8_t>(local)) << agat;  // 0x28: Ё
    EXPECT_EQ(l2a(static_cast<std::uint8_t>(local)), agat) << agat;
  }
  std::string upper, lower;
  for (int b = 0; b < 32; ++b) upper += static_cast<char>(a2l(0xE0 + b)), lower += a2l(0x60 + b);
  EXPECT_EQ(cp1251_to_utf8(upper + lower),
            "ЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪюабцдефгхийклмнопярстужвьызшэщчъ");
  std::array<bool, 256> hit{};
  for (int x = 0; x < 256; ++x) {
    ASSERT_FALSE(hit[a2l(x)]) << "two Agat codes give " << int{a2l(x)};
    hit[a2l(x)] = true;
    EXPECT_TRUE((x >= 0x60 && x <= 0x7F) || l2a(a2l(x)) == x) << x;
    EXPECT_FALSE(l2a(x) >= 0x60 && l2a(x) <= 0x7F) << x;
  }
  for (int y = 0; y < 0xE0; ++y) EXPECT_EQ(a2l(l2a(y)), y) << y;
  for (int y = 0xE0; y < 256; ++y) EXPECT_EQ(l2a(y), l2a(y - 0x20) ^ 0xA0) << y;

  // The buffer forms convert SZ bytes in place, none for SZ <= 0; the string forms convert
  // strings of any length.
  std::uint8_t buf[3] = {0xC1, 0xE1, 0xA0};
  A2L(buf, 0);
  A2L(buf, -5);
  EXPECT_EQ(buf[0], 0xC1);
  A2L(buf, 2);
  EXPECT_EQ(std::tuple(buf[0], buf[1], buf[2]), std::tuple('A', 0xC0, 0xA0));
  L2A(buf, 3);
  EXPECT_EQ(std::tuple(buf[0], buf[1], buf[2]), std::tuple(0xC1, 0xE1, 0x20));
  const std::string host = std::string("ФАЙЛ.1 "_w);
  EXPECT_EQ(L2A(host), "\xE6\xE1\xEA\xEC\xAE\xB1\xA0");
  EXPECT_EQ(A2L(L2A(host)), host);
  EXPECT_EQ(L2A(std::string(1000, 'Z')), std::string(1000, '\xDA'));
}

// The literal stores Windows-1251 bytes. Every byte but the undefined $98 survives the
// way to UTF-8 and back; a character the code page lacks becomes "?", and text that is
// not UTF-8 is reported.
TEST(CharSets, Windows1251) {
  EXPECT_EQ("Ёж №1 «да»"_w, std::string_view("\xA8\xE6 \xB9"
                                             "1 \xAB\xE4\xE0\xBB"));
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    std::string back;
    EXPECT_EQ(utf8_to_cp1251(cp1251_to_utf8(one), back) && back == one, b != 0x98) << b;
  }
  std::string out;
  EXPECT_FALSE(utf8_to_cp1251("a\xE2\x94\x80z", out));
  EXPECT_EQ(out, "a?z");
  EXPECT_FALSE(utf8_to_cp1251("\xFF\xC3", out));
  EXPECT_FALSE(is_valid_utf8("\xC0\x80"));  // an overlong form
  EXPECT_TRUE(is_valid_utf8("файл"));
}

// Trailing blanks are dropped, leading and inner ones kept; a name of blanks only is
// "(space)". Characters a host refuses, control codes and the code without a character
// become "_", also at the end of a name. Cyrillic comes out as UTF-8.
TEST(HostNames, BothWays) {
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({})), "(space)");
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0xA0, 0xA0, 0xC1, 0xC2})), "  AB");
  EXPECT_EQ(AGAT2HOSTFNAME(agat_text("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123")),
            "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  // "/", "\", ":", "?", '"', "*", "<", ">", "|" in Agat code.
  for (std::uint8_t c : {0xAF, 0xDC, 0xBA, 0xBF, 0xA2, 0xAA, 0xBC, 0xBE, 0x5C})
    EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0xC1, c, 0xC2})), "A_B") << int{c};
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0x80, 0x8D, 0x18, 0x9F})), "____");  // $18: host $98
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0xC1, 0xC2, 0x80})), "AB_");
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0x70, 0x72, 0x69})), "при");

  // The other way: the first 30 characters (not bytes) of a host name, in the code page
  // first: nothing is refused, a character the code page lacks is "?", bytes that are not
  // UTF-8 are taken as Windows-1251, as a Windows host wrote them.
  EXPECT_EQ(HOST2AGATFNAME(""), agat_codes({}));
  EXPECT_EQ(HOST2AGATFNAME("ABC"), agat_codes({0xC1, 0xC2, 0xC3}));
  EXPECT_EQ(HOST2AGATFNAME("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
            agat_text("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"));
  std::string cyrillic;
  for (int i = 0; i < 31; ++i) cyrillic += "Ж";
  EXPECT_EQ(HOST2AGATFNAME(cyrillic), agat_text(cyrillic));
  EXPECT_EQ(HOST2AGATFNAME("a:b?"), agat_text("a:b?"));
  EXPECT_EQ(HOST2AGATFNAME("日X"), agat_text("?X"));
  EXPECT_EQ(HOST2AGATFNAME("\xCF\xF0"), agat_text("Пр"));

  // Host names come back unchanged, and so does every Agat code a host can hold, except
  // small Cyrillic letters (which the way back makes Latin) and the blank at the end.
  for (const char* name : {"HELLO", "MY FILE. 1", " LEAD", "ФАЙЛ №2", "a.b,c;d"})
    EXPECT_EQ(AGAT2HOSTFNAME(HOST2AGATFNAME(name)), name);
  for (int code = 0; code < 256; ++code) {
    const auto c = static_cast<std::uint8_t>(code);
    const std::uint8_t local = A2L(c);
    if ((code >= 0x60 && code <= 0x7F) || local <= ' ' || local == 0x98 ||
        std::string_view("/\\\"*:<>?|").find(static_cast<char>(local)) != std::string_view::npos)
      continue;
    EXPECT_EQ(HOST2AGATFNAME(AGAT2HOSTFNAME(agat_codes({c, 0xA0, c}))), agat_codes({c, 0xA0, c}))
        << code;
  }
}

}  // namespace
}  // namespace agat

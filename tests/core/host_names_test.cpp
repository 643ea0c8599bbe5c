#include "core/host_names.h"

#include <gtest/gtest.h>

#include <string_view>

#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"

namespace agat {
namespace {

// An Agat name from Agat codes, padded with Agat blanks.
TAGATNAME agat_codes(std::initializer_list<std::uint8_t> codes) {
  TAGATNAME name;
  name.fill(AGAT_SPACE);
  std::size_t i = 0;
  for (std::uint8_t c : codes) name[i++] = c;
  return name;
}

// An Agat name from Windows-1251 text, as the user would type it.
TAGATNAME agat_text(std::string_view cp1251) {
  TAGATNAME name;
  name.fill(AGAT_SPACE);
  for (std::size_t i = 0; i < cp1251.size() && i < name.size(); ++i)
    name[i] = L2A(static_cast<std::uint8_t>(cp1251[i]));
  return name;
}

TEST(AgatToHostName, BlanksAtTheEndAreDroppedOthersKept) {
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({})), "(space)");
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0xA0, 0xA0, 0xC1, 0xC2})), "  AB");
  EXPECT_EQ(AGAT2HOSTFNAME(agat_text("MY FILE. 1")), "MY FILE. 1");
  // A name that fills all 30 places keeps them all.
  EXPECT_EQ(AGAT2HOSTFNAME(agat_text("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123")),
            "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
}

TEST(AgatToHostName, CharactersHostsRefuseBecomeUnderscores) {
  // "/", "\", ":", "?", '"', "*", "<", ">", "|" in Agat code.
  for (std::uint8_t c : {0xAF, 0xDC, 0xBA, 0xBF, 0xA2, 0xAA, 0xBC, 0xBE, 0x5C}) {
    SCOPED_TRACE(int{c});
    EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0xC1, c, 0xC2})), "A_B");
  }
  // Agat 80..9F are the control codes 00..1F on the host.
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0x80, 0x8D, 0x9F})), "___");
  // Windows-1251 0x98 (Agat 18) stands for no character at all.
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0x18})), "_");
}

TEST(AgatToHostName, AReplacedCharacterIsNotATrailingBlank) {
  // The control code at the end turns into "_" before blanks are looked at, so it stays.
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0xC1, 0xC2, 0x80})), "AB_");
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0x80})), "_");
}

TEST(AgatToHostName, CyrillicComesOutAsUtf8) {
  EXPECT_EQ(AGAT2HOSTFNAME(agat_text("ФАЙЛ №1"_w)), "ФАЙЛ №1");
  // Lower-case Cyrillic has its own Agat codes 60..7F.
  EXPECT_EQ(AGAT2HOSTFNAME(agat_codes({0x70, 0x72, 0x69})), "при");
}

TEST(HostToAgatName, TakesTheFirstThirtyCharacters) {
  EXPECT_EQ(HOST2AGATFNAME(""), agat_codes({}));
  EXPECT_EQ(HOST2AGATFNAME("ABC"), agat_codes({0xC1, 0xC2, 0xC3}));
  const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
  EXPECT_EQ(HOST2AGATFNAME(forty), agat_text(forty.substr(0, 30)));
  // Characters, not bytes: 31 Cyrillic letters take 62 bytes of UTF-8.
  std::string cyrillic;
  for (int i = 0; i < 31; ++i) cyrillic += "Ж";
  EXPECT_EQ(HOST2AGATFNAME(cyrillic), agat_text(std::string(30, '\xC6')));
}

TEST(HostToAgatName, ConvertsHostBytesToTheCodePageFirst) {
  EXPECT_EQ(HOST2AGATFNAME("Привет"), agat_text("Привет"_w));
  // Nothing is refused or replaced on the way in...
  EXPECT_EQ(HOST2AGATFNAME("a:b?"), agat_text("a:b?"));
  // ...but a character the code page lacks has no Agat form either.
  EXPECT_EQ(HOST2AGATFNAME("日X"), agat_text("?X"));
  // Bytes that are not UTF-8 are taken as Windows-1251, as a Windows host wrote them.
  EXPECT_EQ(HOST2AGATFNAME("\xCF\xF0"), agat_text("Пр"_w));
}

TEST(HostNames, ANameSurvivesTheRoundTrip) {
  for (const char* name : {"HELLO", "MY FILE. 1", " LEAD", "ФАЙЛ-2", "a.b,c;d"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(AGAT2HOSTFNAME(HOST2AGATFNAME(name)), name);
  }
  // Every Agat code the host can hold, except lower-case Cyrillic (which the way back
  // makes Latin) and the blank (dropped at the end of a name), comes back unchanged.
  for (int code = 0; code < 256; ++code) {
    const auto c = static_cast<std::uint8_t>(code);
    const std::uint8_t local = A2L(c);
    if ((code >= 0x60 && code <= 0x7F) || local <= ' ' || local == 0x98 ||
        std::string_view("/\\\"*:<>?|").find(static_cast<char>(local)) != std::string_view::npos)
      continue;
    SCOPED_TRACE(code);
    const TAGATNAME name = agat_codes({c, 0xA0, c});
    EXPECT_EQ(HOST2AGATFNAME(AGAT2HOSTFNAME(name)), name);
  }
}

}  // namespace
}  // namespace agat

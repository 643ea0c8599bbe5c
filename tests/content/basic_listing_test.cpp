// The BASIC lister on crafted programs: statements, strings and remarks, long names,
// keywords of both vocabularies and caret escapes in the viewer and in exported text;
// every damage message; and a program cut short, read no further than the file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "content/basic_proc.h"
#include "content/basic_programs.h"
#include "content/viewer_recorder.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"

namespace agat {
namespace {

const Bytes kSample =
    program({{10, Bytes{0xB2} + chars("\"A:B\"")},
             {20, Bytes{0xBA} + chars("\"X:Y\":") + Bytes{0x97}},
             {30, Bytes{1, 1, 0xD0} + chars("5:") + Bytes{1, 2, 0xD0, 1, 1, 0xC8, 2, 1}},
             {40, {1}},  // a pair cut by the line's zero
             {50, {4}},
             {60, Bytes{0x8E} + chars("X")},
             {70, Bytes{0xBA} + chars("\"ПРИВЕТ") + Bytes{0x07, 0x22}},
             {80, Bytes{0xA3} + chars("16384")}},
            {"COUNT", "TOTAL", "LONGNAMEISHERE"});

TEST(BasicLister, ViewBreaksStatementsAndListsTheLongNames) {
  Loaded p(kSample);
  EXPECT_EQ(p.view(),
            "   10  REM \"A:B\"\n"
            "   20  PRINT \"X:Y\":\n"
            "       HOME \n"
            "   30 COUNT = 5:\n"
            "      TOTAL = COUNT + ?257?\n"
            "   40 ?zErO?\n"
            "   50  ??4?? \n"
            "   60 \n"
            "       ! X\n"
            "   70  PRINT \"ПРИВЕТ\x07\"\n"
            "   80  HIMEM: 16384\n"
            "Первый свободный байт по смещению $005B\n"
            "Таблица длинных переменных (начало: $005D, длина: $0018):\n"
            "257  имя не определено !\n"
            "  1 COUNT\n"
            "  3 LONGNAMEIS не используется\n"
            "  2 TOTAL\n");
  // Colours: line number, keyword, quoted text, long name, unknown reference.
  TextReport R;
  basic_listing(R, p.cr, *p.buf);
  const std::string colours = testing::readable(R.text());
  for (const char* run : {"{06}   70 {02} PRINT {0E}\"{0F}ПРИВЕТ", "{03}TOTAL{02} = {03}COUNT",
                          "{02} + {04}?257?", "{07}257 {03} имя не определено !"})
    EXPECT_NE(colours.find(run), std::string::npos) << run;
}

// The Agat export is read back by the import: codes the listing shows in no form it reads
// ("?zErO?", "??4??") are written in hex, the long names whole, after the viewer's heading.
TEST(BasicLister, ExportKeepsOneLineEachInEitherVocabulary) {
  Loaded p(kSample);
  const std::string text =
      "   10  REM \"A:B\"\n"
      "   20  PRINT \"X:Y\": HOME \n"
      "   30 COUNT = 5:TOTAL = COUNT + ?257?\n"
      "   40 ^$01\n"
      "   50 ^$04\n"
      "   60  ! X\n"
      "   70  PRINT \"ПРИВЕТ^G\"\n"
      "   80  HIMEM: 16384\n"
      "Таблица длинных переменных (начало: $005D, длина: $0018):\n"
      "257  имя не определено !\n"
      "  1 COUNT\n"
      "  3 LONGNAMEISHERE не используется\n"
      "  2 TOTAL\n";
  EXPECT_EQ(p.exported(false), text);
  // The GW-Basic export: the codes as the listing shows them, no table heading, the long
  // names cut as in the viewer, HOME as CLS and HIMEM: as a remark.
  std::string gw = text;
  for (const auto& [from, to] :
       {std::pair{"   40 ^$01\n   50 ^$04", "   40 ?zErO?\n   50  ??4?? "},
        {"Таблица длинных переменных (начало: $005D, длина: $0018):\n", ""},
        {"ISHERE", "IS"},
        {" HOME ", " CLS "},
        {" HIMEM: ", " rem HIMEM: "}})
    gw.replace(gw.find(from), std::string_view(from).size(), to);
  EXPECT_EQ(p.exported(true), gw);
  // Both vocabularies, spot by spot: words that differ, the last keyword, and the error
  // names after it (the first begins with a zero byte, written as "?").
  const Loaded words(program({{1, {0x88, 0x8F, 0x96, 0xB6, 0xBE, 0xD7, 0xEA, 0xEB, 0xFF}}}));
  EXPECT_EQ(words.exported(false),
            "    1  GR=  &  HTAB  LOAD  GET  SCRN(  MID$  ?NO FOR  DOUBLE DEF NAME \n");
  EXPECT_EQ(words.exported(true),
            "    1  SCREEN 1,   &1  LOCATE ,  LOAD \"CON:  INPUT$(1)  POINT(  MID$  ?NO FOR  "
            "DOUBLE DEF NAME \n");
}

// Statements that GW-Basic gets as remarks (POKE, HIMEM:, LOMEM:, SPEED=) move to the end
// of their line, so every other statement still runs, in its order and under its IF.
TEST(BasicLister, GwBasicRemarksHideNoStatement) {
  const Bytes poke{0xB9}, gosub{0xB0}, home{0x97}, ret{0xB1}, print{0xBA}, then{0xC4};
  const struct {
    Bytes codes;
    const char* gw;
  } cases[] = {
      {poke + chars("34,0:") + poke + chars("35,32:") + gosub + chars("640:") + home + chars(":") +
           ret,
       "   60  GOSUB 640: CLS : RETURN : rem POKE 34,0: rem POKE 35,32"},
      {Bytes{0xAD} + chars("X") + then + poke + chars("1,2:") + Bytes{0xAB} + chars("5"),
       "   60  IF X THEN  GOTO 5: rem POKE 1,2"},
      {gosub + chars("5:") + Bytes{0xA9} + chars("100"), "   60  GOSUB 5: rem SPEED= 100"},
      {Bytes{0xA3} + chars("16384:") + print + chars("\"A:B\":") + Bytes{0xA4} + chars("2048"),
       "   60  PRINT \"A:B\": rem HIMEM: 16384: rem LOMEM: 2048"},
      {poke + chars("1,2:") + Bytes{0xB2} + chars("A:B"), "   60  REM A:B: rem POKE 1,2"},
      {poke + chars("1,2:") + print + chars("\"A:"), "   60  PRINT \"A:\": rem POKE 1,2"},
      {poke + chars("1,2"), "   60  rem POKE 1,2"},
  };
  for (const auto& c : cases) {
    const Loaded p(program({{60, c.codes}, {20, chars("A")}}));
    const std::string gw = p.exported(true);
    EXPECT_EQ(gw.substr(0, gw.find('\n')), c.gw);
    EXPECT_EQ(gw.substr(gw.find('\n')), "\n   20 A\n");  // the next line is untouched
    EXPECT_EQ(p.exported(false).find("rem"), std::string::npos);
  }
}

TEST(BasicLister, DamageIsToldInsideTheListing) {
  const Bytes good = program({{10, chars("A")}, {20, chars("B")}});  // 19 bytes, no names
  auto with = [](Bytes b, std::size_t at, std::vector<std::uint8_t> v) {
    std::copy(v.begin(), v.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    return b;
  };
  // Three bytes of nothing between the end link (at 14) and the names table.
  Bytes gap = good;
  gap.insert(gap.begin() + 16, {7, 7, 7});
  gap[0] = static_cast<std::uint8_t>(gap.size());
  const struct {
    Bytes bytes;
    std::int32_t size;
    std::vector<const char*> told;
  } cases[] = {
      // clang-format off
      {good, -1, {"   20 B\nПервый свободный байт по смещению $0010\n"}},
      {gap, -1, {"$0010\nНеизвестная область с размером $0003\n"}},
      {with(good, 0, {40}), -1, {"превышает фактический", "   20 B\n"}},
      {with(good, 0, {1, 0}), -1,
       {"меньше двух байт.  Выход за заявленный размер BASIC-программы.\n   10 A\n"}},
      {good + Bytes(300, 0), -1, {"значительно меньше фактического"}},
      {with(good, 0, {12}), -1, {"до декларированного конца программы.\n", "   20 B\n"}},
      {with(good, 17, {0xFF, 0xFF}), -1, {"указывает за пределы файла."}},
      {with(good, 14, {'B', 'C', 'D', 'E', 'F'}), -1,
       {"до DOS-конца файла.", "  Выход за фактические"}},
      {good, 13, {"превышает", "до DOS-конца файла.", "   20 B\n  Выход за заявленный",
                  "  Выход за фактические пределы файла.\n"}},
      {program({{10, chars("A")}}, std::vector<std::string>(1100, "X")), -1,
       {"Число длиных имен слишком велико.", "1023 X не используется\n"}},
      // clang-format on
  };
  for (const auto& c : cases) {
    Loaded p(c.bytes, c.size);
    const std::string view = p.view();
    for (const char* text : c.told)
      EXPECT_NE(view.find(text), std::string::npos) << text << "\n" << view;
    // Whatever follows the loaded file in the buffer is never read.
    EXPECT_EQ(Loaded(c.bytes, c.size, 0xC1).view(), view);
  }
}

// END is the first keyword ($80), and after DATA, as after REM, every code is the program's
// text: a keyword's code there is the character of its low seven bits ($BA shows "є", not
// PRINT).
TEST(BasicLister, TheFirstKeywordAndTheTextAfterData) {
  const Loaded p(program({{1, {0x80}}, {2, Bytes{0x83} + chars("1,A") + Bytes{0xBA}}}));
  const std::string lines = "    1  END \n    2  DATA 1,Aє\n";
  EXPECT_EQ(p.exported(false), lines);
  EXPECT_TRUE(p.view().starts_with(lines)) << p.view();  // the viewer's lister, its own code
}

}  // namespace
}  // namespace agat

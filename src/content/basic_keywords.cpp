#include "content/basic_keywords.h"

#include <utility>

namespace agat {

namespace {

using namespace std::string_view_literals;

constexpr TKEYWORDS kAgat = {
    // $80
    "END"sv, "FOR"sv, "NEXT"sv, "DATA"sv, "INPUT"sv, "DEL"sv, "DIM"sv, "READ"sv, "GR="sv, "TEXT="sv,
    "PR#"sv, "IN#"sv, "CALL"sv, "PLOT"sv, "!"sv, "&"sv,
    // $90
    "MGR="sv, "HGR="sv, "RIBBON="sv, "&"sv, "DRAW"sv, "XDRAW"sv, "HTAB"sv, "HOME"sv, "ROT="sv,
    "SCALE="sv, "SHLOAD"sv, "TRACE"sv, "NOTRACE"sv, "NORMAL"sv, "INVERSE"sv, "FLASH"sv,
    // $A0
    "COLOR="sv, "POP"sv, "VTAB"sv, "HIMEM:"sv, "LOMEM:"sv, "ONERR"sv, "RESUME"sv, "RECALL"sv,
    "STORE"sv, "SPEED="sv, "LET"sv, "GOTO"sv, "RUN"sv, "IF"sv, "RESTORE"sv, "&"sv,
    // $B0
    "GOSUB"sv, "RETURN"sv, "REM"sv, "STOP"sv, "ON"sv, "WAIT"sv, "LOAD"sv, "SAVE"sv, "DEF"sv,
    "POKE"sv, "PRINT"sv, "CONT"sv, "LIST"sv, "CLEAR"sv, "GET"sv, "NEW"sv,
    // $C0
    "TAB("sv, "TO"sv, "FN"sv, "SPC("sv, "THEN"sv, "AT"sv, "NOT"sv, "STEP"sv, "+"sv, "-"sv, "*"sv,
    "/"sv, "^"sv, "AND"sv, "OR"sv, ">"sv,
    // $D0
    "="sv, "<"sv, "SGN"sv, "INT"sv, "ABS"sv, "USR"sv, "FRE"sv, "SCRN("sv, "PDL"sv, "POS"sv, "SQR"sv,
    "RND"sv, "LOG"sv, "EXP"sv, "COS"sv, "SIN"sv,
    // $E0
    "TAN"sv, "ATN"sv, "PEEK"sv, "LEN"sv, "STR$"sv, "VAL"sv, "ASC"sv, "CHR$"sv, "LEFT$"sv,
    "RIGHT$"sv, "MID$"sv,
    // $EB: the error names
    "\0NO FOR"sv, "SYNTAX"sv, "NO GOSUB"sv, "NO DATA"sv, "ILLEGAL VALUE"sv,
    // $F0
    "OVERFLOW"sv, "OUT OF MEMORY"sv, "UNDEF STATEMENT"sv, "SUBSCRIPT"sv, "REDIM ARRAY"sv,
    "DIVISION BY ZERO"sv, "ILLEGAL DIRECT"sv, "TYPE"sv, "LONG STRING"sv, "BIG EXPR"sv, "CONTINUE"sv,
    "UNDEF NAME"sv, "BYTE UNCOMPL"sv, "LABEL"sv, "OPCODE"sv, "DOUBLE DEF NAME"sv};

// The words GW-Basic says otherwise; the spaces at their ends are part of them.
constexpr std::pair<int, std::string_view> kGwBasicWords[] = {
    {0x88, "SCREEN 1, "sv},  {0x89, "SCREEN 0, "sv}, {0x8D, "LINE"sv},
    {0x8F, "&1"sv},          {0x90, "SCREEN 1, "sv}, {0x91, "SCREEN 1, "sv},
    {0x92, "COLOR"sv},       {0x93, "LINE("sv},      {0x96, "LOCATE ,"sv},
    {0x97, "CLS"sv},         {0x9D, "COLOR 7,0"sv},  {0x9E, "COLOR 0,7"sv},
    {0x9F, "COLOR 31,0"sv},  {0xA0, "COLOR"sv},      {0xA2, "LOCATE"sv},
    {0xA3, "rem HIMEM:"sv},  {0xA4, "rem LOMEM:"sv}, {0xA5, "ON ERROR"sv},
    {0xA9, "rem SPEED="sv},  {0xAF, "&3"sv},         {0xB6, "LOAD \"CON:"sv},
    {0xB7, "SAVE \"CON:"sv}, {0xB9, "rem POKE"sv},   {0xBE, "INPUT$(1)"sv},
    {0xD7, "POINT("sv},
};

constexpr TKEYWORDS gw_basic() {
  TKEYWORDS words = kAgat;
  for (const auto& [code, word] : kGwBasicWords) words[code - 0x80] = word;
  return words;
}

static_assert(kAgat[0xEA - 0x80] == "MID$"sv && kAgat[0xEB - 0x80].size() == 7);
static_assert(kAgat[0xFF - 0x80] == "DOUBLE DEF NAME"sv);

}  // namespace

const TKEYWORDS BASICTABLE = kAgat;
const TKEYWORDS QBASICTABLE = gw_basic();

}  // namespace agat

#include "content/text_compare.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "content/colours.h"
#include "content/line_index.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"

namespace agat {

namespace {

constexpr std::uint8_t AGAT_LINE_END = 0x8D;

// Lines FROM..TO-1 of LINES, each after PREFIX: the prefix on a blue background, a blank
// and the line (at most 255 characters) in COLOUR.
void OUT(TextReport& R, const std::vector<std::string>& LINES, std::size_t FROM, std::size_t TO,
         std::uint8_t COLOUR, std::string_view PREFIX) {
  for (std::size_t n = FROM; n < TO; ++n) {
    VV_ADD_COLOR(R, static_cast<std::uint8_t>(COLOUR + 16));
    VV_ADD_STRING(R, PREFIX);
    VV_ADD_COLOR(R, COLOUR);
    VV_ADD_STRING(R, " ");
    VV_ADD_STRING_EOL(R, std::string_view(LINES[n]).substr(0, 255));
  }
}

void equal_line(TextReport& R, std::string_view line) {
  VV_ADD_COLOR(R, COL[CR_FCMP_TXT_EQU]);
  VV_ADD_STRING_EOL(R, line.substr(0, 255));
}

}  // namespace

std::vector<std::string> GETLINES(std::span<const std::uint8_t> TEXT) {
  const auto end = std::find(TEXT.begin(), TEXT.end(), std::uint8_t{0});
  std::vector<std::string> lines;
  for (auto from = TEXT.begin();;) {
    const auto to = std::find(from, end, AGAT_LINE_END);
    std::string& line = lines.emplace_back(from, to);
    A2L(line.data(), static_cast<std::int32_t>(line.size()));
    if (to == end) return lines;
    from = to + 1;
  }
}

bool TXT_CMP(TextReport& R, std::span<const std::uint8_t> BUF1,
             std::span<const std::uint8_t> BUF2) {
  const std::vector<std::string> text1 = GETLINES(BUF1);
  const std::vector<std::string> text2 = GETLINES(BUF2);
  const std::uint8_t f1 = COL[CR_FCMP_TXT_F1], f2 = COL[CR_FCMP_TXT_F2];
  VV_ADD_COLOR(R, COL[CR_FCMP_HEADER]);
  VV_ADD_STRING_EOL(R, "(построчное сравнение)"_w);

  std::optional<LineIndex> index2;  // built at the first difference
  std::size_t NLINE1 = 0, NLINE2 = 0;
  std::string_view PREV_LINE;
  bool same = true;
  while (NLINE1 < text1.size() && NLINE2 < text2.size()) {
    if (text1[NLINE1] == text2[NLINE2]) {
      PREV_LINE = text1[NLINE1];
      ++NLINE1, ++NLINE2;
      continue;
    }
    same = false;
    equal_line(R, PREV_LINE);
    if (!index2) index2.emplace(text2);
    LinePair near;
    if (!nearest_common_pair(text1, static_cast<std::int32_t>(NLINE1), *index2,
                             static_cast<std::int32_t>(NLINE2), near)) {
      VV_ADD_COLOR(R, COL[CR_FCMP_HEADER]);
      VV_ADD_STRING_EOL(R, "Синхронизовать не удалось"_w);
      break;  // the rest of both texts is listed below
    }
    const auto NEAR_N1 = static_cast<std::size_t>(near.n1);
    const auto NEAR_N2 = static_cast<std::size_t>(near.n2);
    OUT(R, text1, NLINE1, NEAR_N1, f1, "<<");
    OUT(R, text2, NLINE2, NEAR_N2, f2, ">>");
    equal_line(R, text1[NEAR_N1]);
    VV_ADD_COLOR(R, COL[CR_FCMP_TXT_DIV]);
    VV_ADD_STRING_EOL(R, "-----------------------------");
    PREV_LINE = {};
    NLINE1 = NEAR_N1 + 1;
    NLINE2 = NEAR_N2 + 1;
  }
  // What is left of either text, its last line included.
  if (NLINE1 < text1.size() || NLINE2 < text2.size()) same = false;
  OUT(R, text1, NLINE1, text1.size(), f1, "<<");
  OUT(R, text2, NLINE2, text2.size(), f2, ">>");
  return same;
}

}  // namespace agat

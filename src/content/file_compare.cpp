#include "content/file_compare.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "content/colours.h"
#include "content/format_control.h"
#include "content/text_compare.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"

namespace agat {

namespace {

constexpr std::int32_t BLOCK = 256;
constexpr std::int32_t OFFSETS_PER_LINE = 20;

// The two file buffers of a comparison, allocated once.
TFILEBUF& file_buffer(int which) {
  static const auto buffers = std::make_unique<std::array<TFILEBUF, 2>>();
  return (*buffers)[static_cast<std::size_t>(which)];
}

std::string shown_name(const TAGATNAME& name) {
  return A2L(std::string_view(reinterpret_cast<const char*>(name.data()), name.size()));
}

void size_line(TextReport& R, std::int32_t size1, std::int32_t size2) {
  VV_ADD_STRING(R, "Файл под курсором ($"_w);
  VV_ADD_HEX(R, size1, 6);
  VV_ADD_STRING(R, size1 > size2 ? ") больше"_w : ") меньше"_w);
  VV_ADD_STRING(R, " противоположного ($"_w);
  VV_ADD_HEX(R, size2, 6);
  VV_ADD_STRING_EOL(R, ").");
}

}  // namespace

bool BIN_CMP(TextReport& R, std::span<const std::uint8_t> BUF1,
             std::span<const std::uint8_t> BUF2) {
  VV_ADD_COLOR(R, COL[CR_FCMP_HEADER]);
  VV_ADD_STRING_EOL(R, "(побайтное сравнение)"_w);
  VV_ADD_COLOR(R, COL[CR_FCMP_BIN]);
  const auto LEN = static_cast<std::int32_t>(std::min(BUF1.size(), BUF2.size()));
  bool same = true;
  std::int32_t DIFF_CNT = 0;
  for (std::int32_t OFS = 0; OFS < LEN;) {
    const auto at = static_cast<std::size_t>(OFS);
    if (BUF1[at] == BUF2[at]) {
      ++OFS;
    } else if (DIFF_CNT < OFFSETS_PER_LINE) {
      same = false;
      VV_ADD_HEX(R, OFS, 6);
      VV_ADD_STRING(R, " ");
      ++OFS;
      ++DIFF_CNT;
    } else {
      VV_ADD_STRING(R, "...");
      OFS = (OFS / BLOCK + 1) * BLOCK;  // the rest of the block is not listed
    }
    if (DIFF_CNT != 0 && OFS % BLOCK == 0) {
      VV_ADD_EOL(R);
      DIFF_CNT = 0;
    }
  }
  // The line of a last block that ends short of 256 bytes.
  if (DIFF_CNT != 0) VV_ADD_EOL(R);
  return same;
}

bool compare_files(TCATREC& CR1, TCATREC& CR2, TFILEFORMAT FMT, TextReport& R, bool& EQU) {
  TFILEBUF& buf1 = file_buffer(0);
  TFILEBUF& buf2 = file_buffer(1);
  FC_LOAD(CR1, buf1);
  if (!FC_CRITICALERRORBUFFER.empty()) return false;
  FC_LOAD(CR2, buf2);
  if (!FC_CRITICALERRORBUFFER.empty()) return false;

  VV_INIT(R);
  VV_ADD_COLOR(R, COL[CR_FCMP_HEADER]);
  VV_ADD_STRING_EOL(R, std::string("Сравнение файла "_w) + shown_name(CR1.AGATNAME));
  // The blanks line the second name up under the first.
  VV_ADD_STRING_EOL(R, std::string("с файлом        "_w) + shown_name(CR2.AGATNAME));
  const bool same_size = CR1.SIZE == CR2.SIZE;
  if (!same_size) size_line(R, CR1.SIZE, CR2.SIZE);

  const std::span<const std::uint8_t> file1(buf1.data(), static_cast<std::size_t>(CR1.SIZE));
  const std::span<const std::uint8_t> file2(buf2.data(), static_cast<std::size_t>(CR2.SIZE));
  const bool same_content = content_format(FMTDETECT(CR1, buf1, FMT)).shown == ContentShown::text
                                ? TXT_CMP(R, file1, file2)
                                : BIN_CMP(R, file1, file2);
  // Files of different sizes differ even where their common part is equal.
  EQU = same_size && same_content;
  if (EQU) VV_ADD_STRING_EOL(R, "Отличий не найдено."_w);
  return true;
}

void CC_COMPARE(TCATREC& CR1, TCATREC& CR2, TFILEFORMAT FMT) {
  TextReport report;
  bool equal = false;
  if (compare_files(CR1, CR2, FMT, report, equal)) VV_VIEW(report);
}

}  // namespace agat

// Detection of a file's content format from its type byte, name, head and T/S-list
// bytes: each rule, the order in which the rules are tried, and the near misses.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "content/format_control.h"

namespace agat {
namespace {

struct Case {
  std::uint8_t ext;
  std::vector<std::uint8_t> name;                // Agat codes from position 1; the rest is $A0
  std::vector<std::uint8_t> head;                // the first bytes of the file
  std::vector<std::pair<int, std::uint8_t>> ts;  // T/S-list byte number and value
  TFILEFORMAT expected;
  std::int32_t size = 0;  // the loaded length
};

const std::vector<std::uint8_t> kTekst = {0x74, 0x45, 0x4B, 0x53, 0x54, 0xAE};
const std::vector<std::uint8_t> kBol = {0xC1, 0xAE, 0x42, 0x4F, 0x4C};  // "A.bol"
const std::vector<std::uint8_t> kMgr = {0xCD, 0xC7, 0xD2, 0xAE, 0xC1};

TEST(FormatDetect, EveryRuleInItsOrder) {
  std::vector<std::uint8_t> alv(20, 0xC1);
  alv[16] = 0x20, alv[17] = 0xD0, alv[18] = 0x69, alv[19] = 0x43;
  std::vector<std::uint8_t> bol_far(30, 0xA0);  // ".bol" ending at position 8, blanks after
  bol_far[4] = 0xAE, bol_far[5] = 0x42, bol_far[6] = 0x4F, bol_far[7] = 0x4C;
  const std::vector<std::pair<int, std::uint8_t>> kWhole768 = {{6, 48},   {7, 48},    {8, 0x00},
                                                               {9, 0x20}, {10, 0x00}, {11, 0x20}};
  const std::vector<Case> cases = {
      {0x00, {}, {}, {}, FFTEXT},
      {0x80, {}, {}, {}, FFTEXT},  // the lock bit does not count
      {0x02, {}, {}, {}, FFBASIC},
      {0x04, {}, {0x00, 0x08, 0x10, 0x00}, {}, FFBINARY},
      // The name is tried before the head.
      {0x04, kTekst, {0x00, 0x20, 0x00, 0x20}, {}, FFAGAWT},
      {0x04, {}, {0x00, 0x20, 0x00, 0x20}, {}, FFBINGRAF},
      {0x84, {}, {0x00, 0x40, 0x00, 0x08}, {}, FFBINGRAF},
      {0x04, {}, {0x00, 0x21, 0x00, 0x20}, {}, FFBINARY},  // address not a multiple of $800
      {0x04, {}, {0x00, 0x20, 0x00, 0x10}, {}, FFBINARY},  // a length that is no screen
      {0x04, kBol, {0x00, 0x40, 0x00, 0x1B}, {}, FFZXUNCOMPGRAF},
      {0x04, kBol, {0x00, 0x40, 0x00, 0x1C}, {}, FFZXCOMPGRAF},
      {0x04, bol_far, {}, {}, FFZXCOMPGRAF},
      {0x04, {}, {0x00, 0x40, 0x00, 0x1B}, {}, FFBINARY},  // the head alone is not enough
      {0x04, {0x42, 0x4F, 0x4C}, {}, {}, FFBINARY},        // "bol" without the full stop
      {0x20, {}, {}, {{8, 0x00}, {9, 0x20}, {10, 0x00}, {11, 0x40}}, FFKOMGRAF},
      {0x20, {}, {}, {{8, 0x00}, {9, 0x20}, {10, 0x00}, {11, 0x41}}, FFKOMAND},
      {0x20, kMgr, {}, {{6, 3}, {7, 4}}, FFMGFRAGM},
      {0x20, kMgr, {}, {{6, 3}, {7, 0}}, FFKOMAND},
      {0x20, {0xCD, 0xC7, 0xD2, 0xA0}, {}, {{6, 3}, {7, 4}}, FFKOMAND},
      // A whole MouseGraph picture of 768 x 768 (73728 bytes, its length cut to $2000) is
      // no video memory; the same bytes 6 and 7 with a loaded length they do not fit are.
      {0x20, kMgr, {}, kWhole768, FFMGFRAGM, 73728},
      {0x20, kMgr, {}, kWhole768, FFMGFRAGM, 73728 + 511},
      {0xA0, kMgr, {}, kWhole768, FFMGFRAGM, 73728},
      {0x20, kMgr, {}, kWhole768, FFKOMGRAF, 73728 + 512},
      {0x20, kMgr, {}, kWhole768, FFKOMGRAF, 73728 - 256},
      {0x20, {0xCD, 0xC7, 0xD2, 0xA0}, {}, kWhole768, FFKOMGRAF, 73728},
      {0x40, alv, {}, {}, FFALVGRAF},
      {0x40, {}, {}, {}, FFASIS},
      {0x01, {}, {}, {}, FFASIS},
      {0x10, {}, {}, {}, FFASIS},
  };
  auto buf = std::make_unique<TFILEBUF>();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    TCATREC cr;
    cr.EXT = c.ext, cr.SIZE = c.size;
    cr.AGATNAME.fill(AGAT_SPACE);
    std::copy(c.name.begin(), c.name.end(), cr.AGATNAME.begin());
    buf->fill(0);
    std::copy(c.head.begin(), c.head.end(), buf->begin());
    for (auto [byte, value] : c.ts) cr.TSDATA[static_cast<std::size_t>(byte - 3)] = value;
    EXPECT_EQ(FMTDETECT(cr, *buf, FFAUTO), c.expected) << "case " << i;
    // A format asked for is kept whatever the file holds.
    EXPECT_EQ(FMTDETECT(cr, *buf, FFAUTOGRAF), FFAUTOGRAF);
  }
}

// A host file imported without a format asked for: a text by its ".txt", in any case, and a
// B file by any other name; a format asked for is kept.
TEST(FormatDetect, ImportFormatOfAHostName) {
  const std::vector<std::tuple<TFILEFORMAT, std::string, TFILEFORMAT>> cases = {
      {FFAUTO, "a.txt", FFTEXT},  {FFAUTO, "dir/B.TXT", FFTEXT},   {FFAUTO, ".tXt", FFTEXT},
      {FFAUTO, "txt", FFBINARY},  {FFAUTO, "a.txt.bin", FFBINARY}, {FFAUTO, "", FFBINARY},
      {FFAUTO, "a.tx", FFBINARY}, {FFKOMAND, "a.txt", FFKOMAND},   {FFASIS, "a.bin", FFASIS},
  };
  for (const auto& [requested, name, expected] : cases)
    EXPECT_EQ(import_format(requested, name), expected) << name;
}

}  // namespace
}  // namespace agat

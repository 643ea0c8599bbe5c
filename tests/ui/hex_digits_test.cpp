// The digit keys of the hex editor: 0-9 and a-f make a byte, high digit first, and move the
// cursor on after the low one; no other key is a digit.
#include <gtest/gtest.h>

#include "support/program_state.h"
#include "ui/crt_hexedit.h"

namespace agat {
namespace {

using namespace crt_hexedit;

TEST(HexDigits, EveryDigitKeyAndNoOther) {
  testing::reset_program_state();
  std::uint8_t b[1] = {0x55};
  const struct {
    char high, low;
    std::uint8_t byte;
  } typed[] = {{'0', '9', 0x09}, {'a', 'f', 0xAF}, {'f', '0', 0xF0}};
  for (const auto& t : typed) {
    CURSOR = 0, CURDIG = 0;
    EXPECT_TRUE(HEXENTER(b, 0, t.high) && HEXENTER(b, 0, t.low)) << t.high << t.low;
    EXPECT_EQ(std::tuple(b[0], CURSOR, CURDIG), std::tuple(t.byte, 1, 0)) << t.high << t.low;
  }
  for (const char key : {'g', 'A', 'F', '/', ':', '`'}) EXPECT_FALSE(HEXENTER(b, 0, key)) << key;
  EXPECT_EQ(b[0], 0xF0);
  testing::reset_program_state();
}

}  // namespace
}  // namespace agat

// The unchaining of 140 KB nibble data fields: the word path and the wide path give the
// values of a plain byte-by-byte prefix exclusive or, for sound and damaged fields alike.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "core/nibble_140_chain.h"
#include "core/nibble_140_tables.h"

namespace agat {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Every path reads exactly the field's bytes: they end where the buffer ends.
Bytes field(const std::function<std::uint8_t(int)>& byte) {
  Bytes b(NIB140_CHAINED);
  for (int j = 0; j < NIB140_CHAINED; ++j) b[j] = byte(j);
  return b;
}

// Runs RUN over sound and damaged fields and compares it with the plain loop.
void expect_plain_prefix_xor(Unchain run) {
  std::mt19937 rng(34);
  const auto any = [&](int) { return static_cast<std::uint8_t>(rng()); };
  const auto valid = [&](int) { return TABLW[rng() % 64]; };
  const auto above = [&](int) { return static_cast<std::uint8_t>(0x96 + rng() % 106); };
  const std::vector<std::pair<const char*, Bytes>> fields = {
      {"valid", field(valid)},
      {"valid and not", field(above)},
      {"any byte", field(any)},
      {"every byte value", field([](int j) { return static_cast<std::uint8_t>(j * 7 + 3); })},
      {"all $FF", field([](int) { return std::uint8_t{0xFF}; })},
      {"lowest then highest", field([](int j) { return j < 171 ? 0x96 : 0xFF; })},
      {"one bad byte at the end",
       [&] {
         Bytes b = field(valid);
         b.back() = 0xD5;
         return b;
       }()},
  };
  for (const auto& [name, bytes] : fields) {
    Bytes want(NIB140_CHAINED);
    std::uint8_t r = 0;
    for (int j = 0; j < NIB140_CHAINED; ++j) want[j] = r ^= TABLR[bytes[j]];
    Bytes got(NIB140_CHAINED);
    EXPECT_EQ(run(bytes.data(), got.data()), r) << name;
    EXPECT_EQ(got, want) << name;
  }
}

TEST(Nibble140Chain, WordPathGivesThePlainPrefixXor) {
  expect_plain_prefix_xor(unchain_words);
  EXPECT_TRUE(unchain() == unchain_words || unchain() == wide_unchain());
}

TEST(Nibble140Chain, WidePathGivesThePlainPrefixXor) {
  if (wide_unchain() == nullptr) GTEST_SKIP() << "this processor has no wide path";
  expect_plain_prefix_xor(wide_unchain());
  EXPECT_EQ(unchain(), wide_unchain());
}

}  // namespace
}  // namespace agat

// The wide path of x86-64: AVX2, 32 bytes at a time, compiled for AVX2 in this file alone
// and taken only when the processor says it has it.
#include <immintrin.h>

#include <array>

#include "core/nibble_140_chain.h"
#include "core/nibble_140_tables.h"

namespace agat {
namespace {

// TABLR in rows of 16 by the high half of the byte, from $9x to $Fx: no byte below $90
// has a value. Each row is in both lanes, as the byte shuffle looks up within its lane.
constexpr int FIRST_ROW = 9;
constexpr int ROWS = 16 - FIRST_ROW;
alignas(32) constexpr auto kRows = [] {
  std::array<std::array<std::uint8_t, 32>, ROWS> rows{};
  for (int h = 0; h < ROWS; ++h)
    for (int l = 0; l < 32; ++l) rows[h][l] = TABLR[(FIRST_ROW + h) * 16 + l % 16];
  return rows;
}();

// Table values of 32 bytes: each row looked up by the low half of every byte, kept where
// the high half names that row.
__attribute__((target("avx2"))) __m256i table_values(__m256i b) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i low = _mm256_and_si256(b, nibble);
  const __m256i high = _mm256_and_si256(_mm256_srli_epi16(b, 4), nibble);
  __m256i v = _mm256_setzero_si256();
  for (int h = 0; h < ROWS; ++h) {
    const __m256i row = _mm256_load_si256(reinterpret_cast<const __m256i*>(kRows[h].data()));
    const __m256i here =
        _mm256_cmpeq_epi8(high, _mm256_set1_epi8(static_cast<char>(FIRST_ROW + h)));
    v = _mm256_or_si256(v, _mm256_and_si256(_mm256_shuffle_epi8(row, low), here));
  }
  return v;
}

// The values of the 32 bytes from BYTES on, the chain carried in from CARRY (the value
// before them in every byte): the prefix exclusive or by four shifts within each lane, the
// upper lane then taking the last value of the lower one.
__attribute__((target("avx2"))) __m256i unchain_block(const std::uint8_t* bytes, __m256i carry) {
  const __m256i last = _mm256_set1_epi8(15);
  __m256i v = table_values(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes)));
  v = _mm256_xor_si256(v, _mm256_slli_si256(v, 1));
  v = _mm256_xor_si256(v, _mm256_slli_si256(v, 2));
  v = _mm256_xor_si256(v, _mm256_slli_si256(v, 4));
  v = _mm256_xor_si256(v, _mm256_slli_si256(v, 8));
  // [zero, lower lane]: the lower lane's last value reaches only the upper lane.
  v = _mm256_xor_si256(v, _mm256_shuffle_epi8(_mm256_permute2x128_si256(v, v, 0x08), last));
  return _mm256_xor_si256(v, carry);
}

// Whole blocks of 32, then one more that ends with the field: it overlaps the block before
// and writes the values they share again, the same.
__attribute__((target("avx2"))) std::uint8_t unchain_avx2(const std::uint8_t* bytes,
                                                          std::uint8_t* values) {
  constexpr int BLOCK = 32;
  static_assert(NIB140_CHAINED % BLOCK != 0 && NIB140_CHAINED > BLOCK);
  const __m256i last = _mm256_set1_epi8(15);
  __m256i carry = _mm256_setzero_si256();
  for (int j = 0; j + BLOCK <= NIB140_CHAINED; j += BLOCK) {
    const __m256i v = unchain_block(bytes + j, carry);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(values + j), v);
    carry = _mm256_shuffle_epi8(_mm256_permute2x128_si256(v, v, 0x11), last);
  }
  constexpr int END = NIB140_CHAINED - BLOCK;
  const __m256i v =
      unchain_block(bytes + END, _mm256_set1_epi8(static_cast<char>(values[END - 1])));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(values + END), v);
  return values[NIB140_CHAINED - 1];
}

}  // namespace

Unchain wide_unchain() {
  return __builtin_cpu_supports("avx2") ? unchain_avx2 : nullptr;
}

}  // namespace agat

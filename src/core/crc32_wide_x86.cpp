// The folding path of x86-64: carry-less multiplication, compiled for it in this file alone and
// taken only when the processor says it has it.
#include <immintrin.h>
#include <zlib.h>

#include "core/crc32_wide.h"

namespace agat {
namespace {

// x^(k) mod P of the bit-reflected polynomial for the distances folded over: 512 bits (four
// blocks at once) and 128 bits (one block), low half for the low word, high for the high.
constexpr long long kFold4Lo = 0x154442BD4, kFold4Hi = 0x1C6E41596;
constexpr long long kFold1Lo = 0x1751997D0, kFold1Hi = 0x0CCAA009E;

__attribute__((target("pclmul,sse2"))) __m128i fold(__m128i x, __m128i next, __m128i k) {
  const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

__attribute__((target("pclmul,sse2"))) __m128i load(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

__attribute__((target("pclmul,sse2"))) std::uint32_t crc32_pclmul(std::uint32_t crc,
                                                                  const std::uint8_t* p,
                                                                  std::size_t n) {
  if (n < 64) return static_cast<std::uint32_t>(crc32_z(crc, p, n));
  // The register's starting value goes into the first bytes; the folds keep a 128-bit block
  // whose CRC, followed by the bytes not yet folded, is that of all the bytes.
  __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(~crc)));
  __m128i x1 = load(p + 16), x2 = load(p + 32), x3 = load(p + 48);
  p += 64;
  n -= 64;
  const __m128i k4 = _mm_set_epi64x(kFold4Hi, kFold4Lo);
  for (; n >= 64; p += 64, n -= 64) {
    x0 = fold(x0, load(p), k4);
    x1 = fold(x1, load(p + 16), k4);
    x2 = fold(x2, load(p + 32), k4);
    x3 = fold(x3, load(p + 48), k4);
  }
  const __m128i k1 = _mm_set_epi64x(kFold1Hi, kFold1Lo);
  x0 = fold(fold(fold(x0, x1, k1), x2, k1), x3, k1);
  for (; n >= 16; p += 16, n -= 16) x0 = fold(x0, load(p), k1);
  alignas(16) std::uint8_t block[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(block), x0);
  // The block stands for every byte folded, read with a zero register: zlib's starting value
  // of all ones before its own inversion.
  const uLong folded = crc32_z(0xFFFFFFFFul, block, sizeof block);
  return static_cast<std::uint32_t>(crc32_z(folded, p, n));
}

}  // namespace

Crc32 wide_crc32() {
  return __builtin_cpu_supports("pclmul") ? crc32_pclmul : nullptr;
}

}  // namespace agat

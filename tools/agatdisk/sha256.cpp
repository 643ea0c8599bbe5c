#include "sha256.h"

namespace agat {

std::string sha256_hex(const void* bytes, std::size_t size) {
  Sha256 sha;
  sha.update(bytes, size);
  return sha.hex();
}

std::string digest_hex(const unsigned char* digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(64, '0');
  for (int i = 0; i < 32; ++i) {
    text[2 * i] = kDigits[digest[i] >> 4];
    text[2 * i + 1] = kDigits[digest[i] & 15];
  }
  return text;
}

}  // namespace agat

// SHA-256 digests of bytes that come in pieces, from the host's cryptographic library:
// OpenSSL's libcrypto on POSIX (sha256_openssl.cpp), the system's CryptoAPI on Windows
// (sha256_win32.cpp).
#pragma once

#include <cstddef>
#include <string>

namespace agat {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void update(const void* bytes, std::size_t size);
  // The digest of everything given so far, as 64 lower-case hexadecimal digits; the
  // object then starts anew.
  std::string hex();

 private:
  struct State;
  State* state_;
};

// The digest of one block of bytes.
std::string sha256_hex(const void* bytes, std::size_t size);

// Thirty-two bytes as 64 lower-case hexadecimal digits.
std::string digest_hex(const unsigned char* digest);

}  // namespace agat

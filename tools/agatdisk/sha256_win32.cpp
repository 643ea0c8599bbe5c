#include <windows.h>
// wincrypt.h needs the types of windows.h first.
#include <wincrypt.h>

#include <new>

#include "sha256.h"

namespace agat {

namespace {

// One provider for each thread, taken at its first digest.
HCRYPTPROV provider() {
  thread_local HCRYPTPROV handle = 0;
  if (handle == 0 &&
      !CryptAcquireContextW(&handle, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
    throw std::bad_alloc();
  return handle;
}

HCRYPTHASH new_hash() {
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(provider(), CALG_SHA_256, 0, 0, &hash)) throw std::bad_alloc();
  return hash;
}

}  // namespace

struct Sha256::State {
  HCRYPTHASH hash = 0;
};

Sha256::Sha256() : state_(new State) {
  state_->hash = new_hash();
}

Sha256::~Sha256() {
  CryptDestroyHash(state_->hash);
  delete state_;
}

void Sha256::update(const void* bytes, std::size_t size) {
  const auto* p = static_cast<const BYTE*>(bytes);
  while (size > 0) {
    const DWORD part = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    CryptHashData(state_->hash, p, part, 0);
    p += part;
    size -= part;
  }
}

std::string Sha256::hex() {
  unsigned char digest[32];
  DWORD length = sizeof digest;
  CryptGetHashParam(state_->hash, HP_HASHVAL, digest, &length, 0);
  CryptDestroyHash(state_->hash);
  state_->hash = new_hash();
  return digest_hex(digest);
}

}  // namespace agat

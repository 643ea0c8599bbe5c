#include <openssl/evp.h>

#include <new>

#include "sha256.h"

namespace agat {

namespace {

// The digest fetched once: a lookup at every start would take the library's locks, which
// threads hashing side by side would queue for.
const EVP_MD* sha256_method() {
  static const EVP_MD* const method = [] {
    const EVP_MD* fetched = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return fetched != nullptr ? fetched : EVP_sha256();
  }();
  return method;
}

}  // namespace

struct Sha256::State {
  EVP_MD_CTX* ctx = nullptr;
};

Sha256::Sha256() : state_(new State) {
  state_->ctx = EVP_MD_CTX_new();
  if (state_->ctx == nullptr || EVP_DigestInit_ex(state_->ctx, sha256_method(), nullptr) != 1)
    throw std::bad_alloc();
}

Sha256::~Sha256() {
  EVP_MD_CTX_free(state_->ctx);
  delete state_;
}

void Sha256::update(const void* bytes, std::size_t size) {
  EVP_DigestUpdate(state_->ctx, bytes, size);
}

std::string Sha256::hex() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(state_->ctx, digest, &length);
  EVP_DigestInit_ex(state_->ctx, sha256_method(), nullptr);
  return digest_hex(digest);
}

}  // namespace agat

#include <openssl/evp.h>

#include <new>

#include "sha256.h"

namespace agat {

struct Sha256::State {
  EVP_MD_CTX* ctx = nullptr;
};

Sha256::Sha256() : state_(new State) {
  state_->ctx = EVP_MD_CTX_new();
  if (state_->ctx == nullptr || EVP_DigestInit_ex(state_->ctx, EVP_sha256(), nullptr) != 1)
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
  EVP_DigestInit_ex(state_->ctx, EVP_sha256(), nullptr);
  return digest_hex(digest);
}

}  // namespace agat

#include "transfer/sha256.h"

#include <openssl/evp.h>

#include <new>
#include <stdexcept>

#include "text/ascii.h"
#include "text/hex.h"

namespace skerrow {

namespace {

void Start(EVP_MD_CTX* context) {
  if (EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1)
    throw std::runtime_error("OpenSSL could not start a SHA-256 digest");
}

}  // namespace

void Sha256::ContextFree::operator()(evp_md_ctx_st* context) const {
  EVP_MD_CTX_free(context);
}

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
  if (!context_) throw std::bad_alloc();
  Start(context_.get());
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Update(std::string_view bytes) {
  if (bytes.empty()) return;
  if (EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) != 1)
    throw std::runtime_error("OpenSSL could not update a SHA-256 digest");
}

std::string Sha256::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context_.get(), digest, &length) != 1)
    throw std::runtime_error("OpenSSL could not finish a SHA-256 digest");
  std::string hex = text::ToLowerAscii(
      text::HexOfBytes(std::string_view(reinterpret_cast<const char*>(digest), length)));
  Start(context_.get());
  return hex;
}

}  // namespace skerrow

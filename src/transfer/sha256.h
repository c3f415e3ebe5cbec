#pragma once

#include <memory>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace skerrow {

// A running SHA-256 (FIPS 180-4) over bytes fed in pieces, computed by OpenSSL's libcrypto.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(Sha256&&) noexcept;
  Sha256& operator=(Sha256&&) noexcept;

  void Update(std::string_view bytes);
  // The digest of everything fed so far, as 64 lower-case hex digits; the hash starts anew.
  std::string HexDigest();

 private:
  struct ContextFree {
    void operator()(evp_md_ctx_st* context) const;
  };
  std::unique_ptr<evp_md_ctx_st, ContextFree> context_;
};

}  // namespace skerrow

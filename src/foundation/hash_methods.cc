#include "foundation/hash_methods.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include "foundation/digest_md5.h"
#include "foundation/secret_compare.h"
#include "foundation/base64.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

std::string RawDigest(const EVP_MD* type, std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), digest, &length, type, nullptr);
  return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string Hex(std::string_view raw) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(raw.size() * 2);
  for (unsigned char c : raw) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

// RFC 2104 with a 64-byte block: a longer key is first replaced by its MD5,
// which OpenSSL's HMAC does the same way.
std::string HmacMd5Hex(std::string_view key, std::string_view message) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_md5(), key.data(), static_cast<int>(key.size()),
       reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest, &length);
  return Hex(std::string_view(reinterpret_cast<const char*>(digest), length));
}

}  // namespace

HashMethod HashMethodOfName(std::string_view name) {
  return KnownHashMethod(name).value_or(HashMethod::kPlain);
}

std::optional<HashMethod> KnownHashMethod(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  if (upper == "PLAIN") return HashMethod::kPlain;
  if (upper == "MD5") return HashMethod::kMd5;
  if (upper == "CRAM-MD5") return HashMethod::kCramMd5;
  if (upper == "DIGEST-MD5") return HashMethod::kDigestMd5;
  if (upper == "SHA1") return HashMethod::kSha1;
  if (upper == "SYNCML-MD5") return HashMethod::kSyncmlMd5;
  return std::nullopt;
}

std::string ExpectedSecret(HashMethod method, std::string_view login, std::string_view password,
                           std::string_view challenge, std::string_view secret) {
  switch (method) {
    case HashMethod::kPlain:
      return std::string(password);
    case HashMethod::kMd5:
      return Hex(RawDigest(EVP_md5(), std::string(challenge) + std::string(password)));
    case HashMethod::kCramMd5:
      return HmacMd5Hex(password, challenge);
    case HashMethod::kDigestMd5:
      return ExpectedDigestResponse(secret, challenge, password);
    case HashMethod::kSha1:
      return Hex(RawDigest(EVP_sha1(), std::string(challenge) + std::string(password)));
    case HashMethod::kSyncmlMd5: {
      const std::string inner =
          Base64Encode(RawDigest(EVP_md5(), std::string(login) + ":" + std::string(password)));
      return Base64Encode(RawDigest(EVP_md5(), inner + ":" + std::string(challenge)));
    }
  }
  return {};
}

bool SecretAccepted(HashMethod method, std::string_view login, std::string_view password,
                    std::string_view challenge, std::string_view secret) {
  if (method == HashMethod::kDigestMd5) return DigestMd5Accepts(secret, challenge, password);
  return SecretsEqual(secret, ExpectedSecret(method, login, password, challenge, secret));
}

}  // namespace tarvelin

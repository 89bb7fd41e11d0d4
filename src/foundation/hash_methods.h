// The challenge methods a login may answer with, and the check of an
// answer against the stored password. Hexadecimal digests are lower case
// and compared exactly: an answer in upper case is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

enum class HashMethod : int32_t {
  kPlain = 0,      // the password itself
  kMd5 = 1,        // hex MD5(challenge + password)
  kCramMd5 = 2,    // hex HMAC-MD5(key password, message challenge)
  kDigestMd5 = 4,  // SASL digest-response text (digest_md5.h)
  kSha1 = 5,       // hex SHA-1(challenge + password)
  kSyncmlMd5 = 8,  // Base64 MD5(Base64 MD5(login ":" password) ":" challenge)
};

// The method of a name, upper-cased first; any other name, also the empty
// one, is kPlain.
HashMethod HashMethodOfName(std::string_view name);
// The method a name names (PLAIN, MD5, CRAM-MD5, DIGEST-MD5, SHA1,
// SYNCML-MD5, any case); nothing for any other name.
std::optional<HashMethod> KnownHashMethod(std::string_view name);

// The value a client answering with `method` must send; for kDigestMd5 the
// expected "response" value of the answer `secret` (empty when its nonce is
// not the challenge's).
std::string ExpectedSecret(HashMethod method, std::string_view login, std::string_view password,
                           std::string_view challenge, std::string_view secret);

// Whether `secret` answers `challenge` for the stored `password`. `login`
// serves SYNCML-MD5 only.
bool SecretAccepted(HashMethod method, std::string_view login, std::string_view password,
                    std::string_view challenge, std::string_view secret);

}  // namespace tarvelin

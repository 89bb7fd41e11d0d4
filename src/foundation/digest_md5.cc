#include "foundation/digest_md5.h"

#include <openssl/evp.h>

#include "foundation/secret_compare.h"
#include "foundation/md5.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

std::string RawMd5(std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr);
  return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string Value(std::string_view text, std::string_view name) {
  return DigestDirective(text, name).value_or(std::string());
}

}  // namespace

std::optional<std::string> DigestDirective(std::string_view text, std::string_view name) {
  size_t at = 0;
  while (at < text.size()) {
    // name
    while (at < text.size() && (text[at] == ',' || static_cast<unsigned char>(text[at]) <= 32)) {
      ++at;
    }
    const size_t name_start = at;
    while (at < text.size() && text[at] != '=' && text[at] != ',') ++at;
    const std::string found_name = Trim(text.substr(name_start, at - name_start));
    std::string value;
    if (at < text.size() && text[at] == '=') {
      ++at;
      while (at < text.size() && text[at] == ' ') ++at;
      if (at < text.size() && text[at] == '"') {
        ++at;
        while (at < text.size() && text[at] != '"') {
          if (text[at] == '\\' && at + 1 < text.size()) ++at;
          value += text[at++];
        }
        if (at < text.size()) ++at;  // the closing quote
        while (at < text.size() && text[at] != ',') ++at;
      } else {
        const size_t value_start = at;
        while (at < text.size() && text[at] != ',') ++at;
        value = Trim(text.substr(value_start, at - value_start));
      }
    }
    if (!found_name.empty() && EqualsNoCase(found_name, name)) return value;
  }
  return std::nullopt;
}

std::string ExpectedDigestResponse(std::string_view response, std::string_view challenge,
                                   std::string_view password) {
  const std::string nonce = Value(response, "nonce");
  if (nonce != Value(challenge, "nonce")) return {};
  const std::string cnonce = Value(response, "cnonce");
  const std::string nc = Value(response, "nc");
  const std::string username = Value(response, "username");
  std::string uri = Value(response, "digest-uri");
  if (uri.empty()) uri = Value(response, "uri");
  const std::string realm = Value(response, "realm");
  const std::string qop = Value(response, "qop");

  const std::string a1 =
      RawMd5(username + ":" + realm + ":" + std::string(password)) + ":" + nonce + ":" + cnonce;
  const std::string a2 = "AUTHENTICATE:" + uri;
  if (qop.empty()) return Md5Hex(Md5Hex(a1) + ":" + nonce + ":" + Md5Hex(a2));
  return Md5Hex(Md5Hex(a1) + ":" + nonce + ":" + nc + ":" + cnonce + ":" + qop + ":" + Md5Hex(a2));
}

bool DigestMd5Accepts(std::string_view response, std::string_view challenge,
                      std::string_view password) {
  const std::string expected = ExpectedDigestResponse(response, challenge, password);
  const std::optional<std::string> given = DigestDirective(response, "response");
  return !expected.empty() && given.has_value() && SecretsEqual(*given, expected);
}

}  // namespace tarvelin

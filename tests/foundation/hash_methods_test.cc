#include "foundation/hash_methods.h"

#include <gtest/gtest.h>

#include "foundation/digest_md5.h"
#include "foundation/secret_compare.h"

namespace tarvelin {
namespace {

// The digest-response of the published SASL DIGEST-MD5 example (password
// "secret").
constexpr char kDigestResponse[] =
    "charset=utf-8,username=\"chris\",realm=\"elwood.innosoft.com\","
    "nonce=\"OA6MG9tEQGm2hh\",nc=00000001,cnonce=\"OA6MHXh6VqTrRk\","
    "digest-uri=\"imap/elwood.innosoft.com\",response=d388dad90d4bbd760a152321f2143af7,qop=auth";
constexpr char kDigestChallenge[] =
    "realm=\"elwood.innosoft.com\",nonce=\"OA6MG9tEQGm2hh\",qop=\"auth\",algorithm=md5-sess,"
    "charset=utf-8";

TEST(HashMethods, NamesAreUpperCasedAndUnknownOnesArePlain) {
  const struct {
    const char* name;
    HashMethod method;
  } cases[] = {
      {"PLAIN", HashMethod::kPlain},      {"md5", HashMethod::kMd5},
      {"Cram-MD5", HashMethod::kCramMd5}, {"DIGEST-MD5", HashMethod::kDigestMd5},
      {"sha1", HashMethod::kSha1},        {"SYNCML-MD5", HashMethod::kSyncmlMd5},
      {"", HashMethod::kPlain},           {"SHA256", HashMethod::kPlain},
      {" MD5", HashMethod::kPlain},
  };
  for (const auto& c : cases) EXPECT_EQ(HashMethodOfName(c.name), c.method) << c.name;
  EXPECT_EQ(KnownHashMethod("Cram-MD5"), HashMethod::kCramMd5);
  for (const char* unknown : {"", "SHA256", " MD5"}) {
    EXPECT_FALSE(KnownHashMethod(unknown).has_value()) << unknown;
  }
}

// Expected values computed apart from the code (RFC 2195's CRAM-MD5
// example; the others with a separate digest tool).
TEST(HashMethods, AnswersAreCheckedAgainstIndependentValues) {
  // Longer than the 64-byte block: replaced by its MD5 first.
  static const std::string kLongKey(100, 'k');
  const struct {
    HashMethod method;
    const char* login;
    const char* password;
    const char* challenge;
    const char* secret;
  } cases[] = {
      {HashMethod::kPlain, "", "secret", "", "secret"},
      {HashMethod::kMd5, "", "secret", "<123@host>", "8da6e8546550fd93f17186b8dfbc2805"},
      {HashMethod::kSha1, "", "secret", "<123@host>", "4f2ad837a2ac6c836d2de5f7e4a718623c4b9be3"},
      {HashMethod::kCramMd5, "", "tanstaaftanstaaf", "<1896.697170952@postoffice.reston.mci.net>",
       "b913a602c7eda7a495b4e6e7334d3890"},
      {HashMethod::kCramMd5, "", kLongKey.c_str(), "msg", "a908a4d5326a80f4b50c9a1951513b67"},
      {HashMethod::kSyncmlMd5, "john", "secret", "nonce42", "42dqgTvHHQjj0gXR2Vd+SA=="},
      {HashMethod::kDigestMd5, "", "secret", kDigestChallenge, kDigestResponse},
  };
  for (const auto& c : cases) {
    const int method = static_cast<int>(c.method);
    EXPECT_TRUE(SecretAccepted(c.method, c.login, c.password, c.challenge, c.secret)) << method;
    EXPECT_FALSE(SecretAccepted(c.method, c.login, "wrong", c.challenge, c.secret)) << method;
  }
}

TEST(HashMethods, HexadecimalAnswersInUpperCaseAreRefused) {
  EXPECT_FALSE(SecretAccepted(HashMethod::kCramMd5, "", "tanstaaftanstaaf",
                              "<1896.697170952@postoffice.reston.mci.net>",
                              "B913A602C7EDA7A495B4E6E7334D3890"));
  EXPECT_FALSE(SecretAccepted(HashMethod::kPlain, "", "Secret", "", "secret"));
}

TEST(DigestMd5, ANonceOtherThanTheChallengesIsRefusedEvenWithTheRightPassword) {
  EXPECT_FALSE(DigestMd5Accepts(kDigestResponse, "nonce=\"other\"", "secret"));
  EXPECT_TRUE(ExpectedDigestResponse(kDigestResponse, "nonce=\"other\"", "secret").empty());
}

TEST(DigestMd5, WithoutQopTheShortFormIsUsedAndUriStandsInForDigestUri) {
  // Built apart: hex MD5(hex MD5(A1) ":" nonce ":" hex MD5(A2)).
  const std::string response = "username=u,realm=r,nonce=n,cnonce=c,uri=\"x/y\"";
  const std::string expected = ExpectedDigestResponse(response, "nonce=n", "p");
  EXPECT_EQ(expected.size(), 32u);
  EXPECT_TRUE(DigestMd5Accepts(response + ",response=" + expected, "nonce=n", "p"));
  EXPECT_EQ(ExpectedDigestResponse("username=u,realm=r,nonce=n,cnonce=c,digest-uri=\"x/y\"",
                                   "nonce=n", "p"),
            expected);
}

TEST(DigestMd5, DirectivesOfAnyShapeAreReadWithoutFault) {
  const struct {
    const char* text;
    const char* name;
    const char* value;  // nullptr: absent
  } cases[] = {
      {"a=1,b=2", "b", "2"},
      {"A=\"x,y\",b=2", "a", "x,y"},
      {"a=\"esc\\\"aped\"", "a", "esc\"aped"},
      {"a=\"unterminated", "a", "unterminated"},
      {"a=1,a=2", "a", "1"},
      {",,,", "a", nullptr},
      {"a", "a", ""},
      {"=x,b=", "b", ""},
      {"", "a", nullptr},
      {"a=\"\\", "a", "\\"},
  };
  for (const auto& c : cases) {
    const auto value = DigestDirective(c.text, c.name);
    if (c.value == nullptr) {
      EXPECT_FALSE(value.has_value()) << c.text;
    } else {
      EXPECT_EQ(value.value_or("<absent>"), c.value) << c.text;
    }
  }
  EXPECT_FALSE(DigestMd5Accepts("response", "", "p"));
  EXPECT_FALSE(DigestMd5Accepts("nonce=,response=", "", "p"));
}

TEST(SecretCompare, EqualOnlyWhenEveryByteAndTheLengthAgree) {
  EXPECT_TRUE(SecretsEqual("", ""));
  EXPECT_TRUE(SecretsEqual("abc", "abc"));
  EXPECT_FALSE(SecretsEqual("abc", "abd"));
  EXPECT_FALSE(SecretsEqual("abc", "ab"));
  EXPECT_FALSE(SecretsEqual("abc", "ABC"));
}

}  // namespace
}  // namespace tarvelin

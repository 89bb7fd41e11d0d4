// The SASL DIGEST-MD5 answer check of a login: the client's digest-response
// text against the stored password and the server's digest-challenge.
// Always "md5-sess" with the method text "AUTHENTICATE".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

// The value of directive `name` (any case) in a comma-separated list of
// name=value pairs; a quoted value loses its quotes (a backslash inside
// quotes takes the next character as it is, and commas inside quotes
// belong to the value). The first occurrence wins; nullopt when absent.
std::optional<std::string> DigestDirective(std::string_view text, std::string_view name);

// The "response" value the client should have sent for `password`, taking
// nonce, cnonce, nc, username, digest-uri (or uri), realm and qop from the
// response text. Empty when the response's nonce differs from the
// challenge's.
std::string ExpectedDigestResponse(std::string_view response, std::string_view challenge,
                                   std::string_view password);

// True when the response text carries the expected "response" value
// (compared exactly, in time independent of where they differ).
bool DigestMd5Accepts(std::string_view response, std::string_view challenge,
                      std::string_view password);

}  // namespace tarvelin

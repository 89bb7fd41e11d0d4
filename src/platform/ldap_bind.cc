#include "platform/ldap_bind.h"

#include <ldap.h>
#include <sys/time.h>

#include <string>

namespace tarvelin {
namespace {

constexpr int kWaitSeconds = 3;

// Letters, digits and the punctuation of names and numeric addresses: a host
// must not smuggle a port, a path or a second address into the URI.
bool IsPlainHost(std::string_view host) {
  if (host.empty()) return false;
  for (const char c : host) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_' || c == ':';
    if (!plain) return false;
  }
  return true;
}

std::string ServerUri(std::string_view host, int port) {
  const bool ipv6 = host.find(':') != std::string_view::npos;
  std::string uri = "ldap://";
  if (ipv6) uri += '[';
  uri += host;
  if (ipv6) uri += ']';
  return uri + ":" + std::to_string(port);
}

// Options and the bind itself; nothing here allocates or throws.
bool Bind(LDAP* connection, const char* name, berval* credentials) {
  const int version = LDAP_VERSION3;
  timeval wait{kWaitSeconds, 0};
  if (ldap_set_option(connection, LDAP_OPT_PROTOCOL_VERSION, &version) != LDAP_OPT_SUCCESS ||
      ldap_set_option(connection, LDAP_OPT_NETWORK_TIMEOUT, &wait) != LDAP_OPT_SUCCESS ||
      ldap_set_option(connection, LDAP_OPT_TIMEOUT, &wait) != LDAP_OPT_SUCCESS ||
      ldap_set_option(connection, LDAP_OPT_REFERRALS, LDAP_OPT_OFF) != LDAP_OPT_SUCCESS) {
    return false;
  }
  return ldap_sasl_bind_s(connection, name, LDAP_SASL_SIMPLE, credentials, nullptr, nullptr,
                          nullptr) == LDAP_SUCCESS;
}

}  // namespace

bool LdapSimpleBind(std::string_view host, int port, std::string_view bind_name,
                    std::string_view password) {
  if (password.empty() || !IsPlainHost(host) || port < 1 || port > 65535 ||
      bind_name.find('\0') != std::string_view::npos) {
    return false;
  }
  try {
    const std::string uri = ServerUri(host, port);
    const std::string name(bind_name);
    std::string secret(password);
    berval credentials{static_cast<ber_len_t>(secret.size()), secret.data()};
    LDAP* connection = nullptr;
    if (ldap_initialize(&connection, uri.c_str()) != LDAP_SUCCESS) return false;
    const bool accepted = Bind(connection, name.c_str(), &credentials);
    ldap_unbind_ext(connection, nullptr, nullptr);
    return accepted;
  } catch (...) {
    return false;
  }
}

}  // namespace tarvelin

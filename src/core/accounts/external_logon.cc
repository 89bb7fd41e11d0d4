#include "core/accounts/external_logon.h"

#include <charconv>
#include <string>
#include <vector>

#include "schema/user_record_offsets.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "platform/ldap_bind.h"
#include "platform/pam_logon.h"

namespace tarvelin {

namespace {

constexpr int kMailboxCapacity = 127;
constexpr char kDefaultHost[] = "localhost";
constexpr int kDefaultPort = 389;

struct Entry {
  std::string first;
  std::string second;
};

std::vector<Entry> EntriesOf(const UserRecord& record) {
  const std::string text =
      GetPString(record.data() + user_offsets::kAuthEntries, user_offsets::kAuthEntriesCapacity);
  std::vector<Entry> entries;
  if (!text.empty()) {
    for (const std::string& part : Split(text, '|')) {
      const size_t separator = part.find(';');
      entries.push_back(separator == std::string::npos ? Entry{Trim(part), ""}
                                                       : Entry{Trim(part.substr(0, separator)),
                                                               Trim(part.substr(separator + 1))});
    }
  }
  if (entries.empty()) entries.push_back(Entry{});
  return entries;
}

std::string PrimaryAlias(const UserRecord& record) {
  const std::string list =
      GetPString(record.data() + user_offsets::kAliasList, user_offsets::kAliasListCapacity);
  return Trim(list.substr(0, list.find(';')));
}

bool LdapAccepts(const ExternalCheckers& checkers, const Entry& entry, const UserRecord& record,
                 std::string_view domain, std::string_view secret) {
  std::string host = kDefaultHost;
  int port = kDefaultPort;
  if (!entry.first.empty()) {
    const size_t colon = entry.first.rfind(':');
    // "host:port"; an IPv6 address has more than one colon and no port.
    if (colon != std::string::npos && entry.first.find(':') == colon) {
      host = entry.first.substr(0, colon);
      const std::string digits = entry.first.substr(colon + 1);
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
      if (error != std::errc() || end != digits.data() + digits.size()) return false;
    } else {
      host = entry.first;
    }
  }
  std::string bind_name;
  if (entry.second.empty()) {
    bind_name = PrimaryAlias(record) + "@" + std::string(domain);
  } else {
    bind_name = entry.second;
    if (bind_name.find('@') == std::string::npos) bind_name += "@" + std::string(domain);
  }
  return checkers.ldap_bind && checkers.ldap_bind(host, port, bind_name, secret);
}

}  // namespace

ExternalCheckers PlatformCheckers() {
  return ExternalCheckers{
      [](std::string_view domain, std::string_view user, std::string_view secret) {
        return PamLogon(PamServiceName(), domain, user, secret);
      },
      [](std::string_view host, int port, std::string_view bind_name, std::string_view secret) {
        return LdapSimpleBind(host, port, bind_name, secret);
      }};
}

bool ExternalCheckAccepts(const ExternalCheckers& checkers, const UserRecord& record,
                          std::string_view domain, std::string_view secret) {
  const uint8_t mode = record[user_offsets::kAuthMode];
  if (mode != 1 && mode != 2) return false;
  for (const Entry& entry : EntriesOf(record)) {
    if (mode == 1) {
      const std::string user =
          entry.second.empty()
              ? GetPString(record.data() + user_offsets::kMailbox, kMailboxCapacity)
              : entry.second;
      if (checkers.logon && checkers.logon(entry.first, user, secret)) return true;
    } else if (LdapAccepts(checkers, entry, record, domain, secret)) {
      return true;
    }
  }
  return false;
}

}  // namespace tarvelin

// A test installation for the account operations: a library over a
// scratch directory with domains, users.cfg files and a mail root.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "support/users_file_builder.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "core/context.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin::testing {

class AccountInstallation : public ::testing::Test {
 protected:
  AccountInstallation() {
    context_.api.initialised = true;
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    context_.config.record.SetText(offsets::kMailRoot, dir_.path() + "mail/");
    // The built-in log folder is relative: it would land in the test's
    // working folder.
    context_.config.record.SetText(offsets::kLogDirectory, dir_.path() + "logs/");
    SetDomains({"example.org", "other.org"});
    dir_.Write("run/.keep", "");  // where services of the installation listen
  }
  void SetDomains(const std::vector<std::string>& names) {
    dir_.Write("config/domains.cfg", DomainsFileOf(names));
    context_.config.record.SetNumber(offsets::kDomainCount, 4, static_cast<uint32_t>(names.size()));
    context_.domains().Load();
  }
  void PutUsers(const std::string& domain, const std::vector<UserRecord>& records) {
    dir_.Write("config/" + domain + "/users.cfg", FileOf(records));
  }
  // domain.cfg with a DomainMailboxRoot.
  void PutMailboxRoot(const std::string& domain, const std::string& root) {
    std::string bytes(1169, '\0');
    auto* data = reinterpret_cast<uint8_t*>(bytes.data());
    PutPString(data + 1041, 127, root);
    ScrambleBytes(data, bytes.size(), 0);
    dir_.Write("config/" + domain + "/domain.cfg", bytes);
  }
  std::vector<UserRecord> Users(const std::string& domain) {
    std::vector<UserRecord> records;
    const int count = CountAccounts(context_, domain);
    for (int position = 0; position < count; ++position) {
      records.emplace_back();
      LoadAccountAt(context_, domain, position, &records.back());
    }
    return records;
  }
  std::vector<std::string> Aliases(const std::string& domain) {
    std::vector<std::string> aliases;
    for (const UserRecord& record : Users(domain)) aliases.push_back(AliasListOf(record));
    return aliases;
  }

  TempDir dir_;
  Context context_;
};

inline std::string TextOf(const UserRecord& record, int offset, int capacity) {
  return GetPString(record.data() + offset, capacity);
}
inline void SetText(UserRecord& record, int offset, int capacity, const std::string& text) {
  PutPString(record.data() + offset, capacity, text);
}

}  // namespace tarvelin::testing

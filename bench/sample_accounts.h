// The accounts the benchmarks of a large domain fill it with, the same on
// every run: user accounts as an administration tool would fill them.
#pragma once

#include <string>
#include <string_view>

#include "schema/user_record.h"
#include "schema/user_record_offsets.h"
#include "foundation/bytes.h"

namespace tarvelin::bench {

inline std::string SampleAlias(int i) {
  static const char* const kFirst[] = {"anna",  "bruno", "clara", "david", "elena", "felix",
                                       "greta", "hugo",  "irene", "jonas", "karin", "lukas"};
  return std::string(kFirst[i % 12]) + ".user" + std::to_string(i);
}

// Aliases: SampleAlias(i), "U<i>" and SampleAlias(i) + ".alt".
inline UserRecord SampleAccount(int i, std::string_view domain) {
  UserRecord record{};
  record[user_offsets::kAccountType] = kUserAccount;
  const std::string primary = SampleAlias(i);
  PutPString(record.data() + user_offsets::kNameAndNote, 254, "User " + std::to_string(i));
  PutPString(record.data() + user_offsets::kAliasList, 255,
             primary + ";U" + std::to_string(i) + ";" + primary + ".alt");
  PutPString(record.data() + user_offsets::kMailbox, 127, primary);
  PutPString(record.data() + user_offsets::kPassword, 127, "pw-" + std::to_string(i * 7919));
  PutPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity,
             std::string(domain) + "/" + primary + "/");
  record[user_offsets::kMailboxMode] = 1;
  return record;
}

}  // namespace tarvelin::bench

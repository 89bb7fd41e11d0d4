// Settings by the names people use or by number. The names are the
// property names of the installation's apiconst.pas (the table the query
// language and the automation objects read); an installation without that
// file gets the names this build ships.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cli_values.h"
#include "core/context.h"
#include "schema/property_table.h"

namespace tarvelin::cli {

// Each family of settings has its own numbers and its own name prefix.
enum class SettingFamily { kConfig, kDomain, kAccount, kRemote, kSchedule };

class SettingNames {
 public:
  // The names of `family` in the installation `context` has open.
  SettingNames(const Context& context, SettingFamily family);

  // The id a command-line word names: a number (decimal, or hexadecimal
  // after "0x"), or a name of the family with or without its prefix
  // ("C_SMTPPort", "smtpport"), in any case. Throws CommandError (not
  // found) naming the nearest name when there is one.
  int32_t IdOf(const std::string& word) const;
  // The name of `id` as the file spells it ("C_SMTPPort"); empty when the
  // family has none.
  std::string NameOf(int32_t id) const;
  // "D_DomainDiskQuota (11)", or the number alone where `id` has no name.
  std::string LabelOf(int32_t id) const;
  // "NAME=VALUE" or "ID=VALUE" as --set takes it, the name resolved as
  // IdOf does.
  Assignment AssignmentOf(const std::string& text) const;
  // The table the names come from, for a query written with them.
  const PropertyTable& table() const { return *table_; }

 private:
  const PropertyEntry* Find(const std::string& lower_name) const;

  SettingFamily family_;
  std::string prefix_;                      // lower-case, with its "_"
  std::unique_ptr<PropertyTable> shipped_;  // when the installation has no names
  const PropertyTable* table_;
};

}  // namespace tarvelin::cli

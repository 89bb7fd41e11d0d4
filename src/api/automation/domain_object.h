// DomainObject: one domain's settings record in memory, read and changed
// by property and saved back, with its bound addresses; it also counts,
// lists, opens, creates and deletes the domain's accounts, handing each
// opened or new account out as an account object made by class name.
#pragma once

#include <cstdint>
#include <string>

#include "api/automation/automation_object.h"
#include "schema/domain_record_layout.h"

namespace tarvelin::automation {

class DomainObject : public AutomationObject {
 public:
  // A fresh object is already a new domain with an empty name (New).
  explicit DomainObject(AutomationServer& server);

  static const ClassInfo& Info();
  const ClassInfo& Class() const override { return Info(); }
  std::span<uint8_t> DataRecord() override { return record_; }

  // Every member that answers a BOOL stores its export's number in LastErr
  // first; true when that number is 0 or more.
  bool New(const std::string& domain);
  bool Open(const std::string& domain);
  // Adds a new domain or saves an existing one, then its bound addresses
  // and the global configuration.
  bool Save();
  // Deletes the domain and resets the object (without New's values).
  bool Delete();

  int32_t GetAccountCount();
  // The primary aliases, each followed by ";", then a zero character;
  // empty for a domain without accounts.
  std::string GetAccountList();
  std::string GetAccount(int32_t index);
  int32_t GetAccountIndexByAlias(const std::string& email);
  bool DeleteAccount(const std::string& email);
  // An account object that opened the account, or that was made a new one;
  // empty when its Open or New answered false. LastErr becomes the
  // account object's.
  Variant OpenAccount(const std::string& email);
  Variant NewAccount(const std::string& email);

  Variant GetProperty(const Variant& command);
  bool SetProperty(const Variant& command, const Variant& value);

  const std::string& name() const { return name_; }
  void set_name(std::string name) { name_ = std::move(name); }
  const std::string& ip_address() const { return ip_address_; }
  void set_ip_address(std::string addresses) { ip_address_ = std::move(addresses); }
  bool is_new() const { return new_; }
  int32_t index() const { return index_; }
  const DomainRecord& record() const { return record_; }

 private:
  void Reset();
  Variant AccountChild(const std::string& email, const char* member);

  std::string name_;
  DomainRecord record_{};
  bool new_ = true;
  int32_t index_ = -1;
  std::string ip_address_;
};

}  // namespace tarvelin::automation

// AccountObject: one account record in memory, read and changed by
// property, added or saved back to its domain's store; it also logs in
// (by password or challenge answer) into its record, checks service access
// and mailbox names, converts mailboxes, and walks a domain's accounts
// record by record. A fresh object is a new, empty account.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "api/automation/automation_object.h"
#include "api/c/user_enum_state.h"
#include "schema/user_record.h"

namespace tarvelin::automation {

class AccountObject : public AutomationObject {
 public:
  explicit AccountObject(AutomationServer& server) : AutomationObject(server) {}
  // Ends a running walk.
  ~AccountObject() override;

  static const ClassInfo& Info();
  const ClassInfo& Class() const override { return Info(); }
  std::span<uint8_t> DataRecord() override { return record_; }

  // An address without a domain part takes the first domain of the list.
  bool New(const std::string& email);
  bool Open(const std::string& email);
  // Adds a new account (with the defaults of its domain and, for a user
  // account without one, a generated password) or saves an existing one.
  bool Save();
  bool Delete();

  Variant GetProperty(const Variant& command);
  // Then, on a new account, the defaults step.
  bool SetProperty(const Variant& command, const Variant& value);

  // The record of the account that accepts the login; its domain becomes
  // the object's. `method` is the challenge method's name, "|" and the
  // challenge.
  bool AuthenticateUser(const std::string& username, const std::string& password,
                        const std::string& ip);
  bool AuthenticateUserHash(const std::string& username, const std::string& hash,
                            const std::string& ip, const std::string& method);
  bool ValidateUser();
  bool CanCreateMailbox(const std::string& alias, const std::string& mailbox,
                        const std::string& password, const std::string& domain);
  bool MailboxConvertMessages(const std::string& mailbox_path, bool from_imap, bool recursive);

  // Walks store -1 in LastErr while they deliver (the automation true) and
  // 0 when they do not.
  bool FindInitQuery(const std::string& domain, const std::string& query);
  bool FindNext();
  void FindDone();

  std::string EmailAddress() const;
  const std::string& domain() const { return domain_; }
  bool is_new() const { return new_; }
  int32_t index() const { return index_; }
  const UserRecord& record() const { return record_; }

 private:
  void Reset();
  void EndWalk();
  // Only on a new account whose defaults were not applied yet.
  void ApplyDefaults();
  std::string FirstDomain();

  UserRecord record_{};
  bool new_ = true;
  std::string domain_;
  int32_t index_ = -1;
  std::unique_ptr<UserEnumState> walk_;
  bool defaults_applied_ = false;
};

}  // namespace tarvelin::automation

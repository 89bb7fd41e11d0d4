// ApiObject: the entry point of an automation client. It opens the
// installation, reads and writes the global settings by property, manages
// the domain list, hands out domain and schedule objects, asks the running
// services to run a task now and checks database and DNS servers. Every
// member wraps an export (LastErr keeps the export's number where the
// member stores one) or an operation of the core.
#pragma once

#include <cstdint>
#include <string>

#include "api/automation/automation_object.h"

namespace tarvelin::automation {

class ApiObject : public AutomationObject {
 public:
  explicit ApiObject(AutomationServer& server) : AutomationObject(server) {}

  static const ClassInfo& Info();
  const ClassInfo& Class() const override { return Info(); }

  void Done();
  bool Init(const std::string& path);
  void UpdateConfiguration();
  void ReloadServices();
  bool BackupConfig(const std::string& path);
  bool RestoreConfig(const std::string& path);
  bool SpamIndexNow(const std::string& email);
  int32_t GetDomainCount();
  bool Save();
  bool DeleteDomain(const std::string& domain);
  bool RenameDomain(const std::string& old_name, const std::string& new_name);
  bool SetProperty(const Variant& command, const Variant& value);
  Variant GetProperty(const Variant& command);

  // Every name followed by ";" but the last, which keeps its zero byte
  // (".. b;\0"); empty when there is no list.
  std::string GetDomainList();
  // Empty for a position outside the list.
  std::string GetDomain(int32_t index);
  int32_t GetDomainIndex(const std::string& domain);

  // A domain object that opened (or made) the domain; empty when it did
  // not. LastErr becomes the domain object's.
  Variant OpenDomain(const std::string& domain);
  Variant NewDomain(const std::string& domain);

  // A schedule object holding the schedule setting; empty for a property
  // that is no schedule setting. LastErr is not changed.
  Variant GetSchedule(const Variant& command);
  // Stores the block of a schedule object (given by the object, read
  // through its Data address) as the setting. LastErr is not changed.
  bool SetSchedule(const Variant& command, const Variant& schedule);

  // The traffic report (GetUserStat), summed or per day, into the file
  // `output`; true when it was written. LastErr is not changed.
  bool GetUserStatistics(const std::string& from, const std::string& to,
                         const std::string& filter, const std::string& output, bool per_day);
  // The tables of the database of service 0 (accounts), 1 (log), 2
  // (groupware) or 3 (challenge-response); false, changing nothing, for
  // another number. LastErr is not changed by these nor by the challenge
  // members below.
  bool CreateTables(int32_t service, const std::string& connection);
  bool DropTables(int32_t service);

  // The challenge-response store through the connection of spam.dat: the
  // list as db.so gives it (empty on any failure), and whether the
  // database took the change.
  std::string ChallengeResponseList(const std::string& recipient, const std::string& flags);
  bool ChallengeResponseAdd(const std::string& recipient, const std::string& email,
                            const std::string& state);
  bool ChallengeResponseDelete(const std::string& recipient, const std::string& email,
                               const std::string& folder);
  bool ChallengeResponseAuthorize(const std::string& folder);
  // The challenge folder's path, ending with "/".
  std::string ChallengeResponsePath(const std::string& folder);

  // The service commands: posted to the service when it runs, no answer
  // awaited; LastErr is not changed.
  void PostCommand(int service_id, uint32_t message, uint32_t parameter, uint32_t value);

  // Whether db.so (loaded when it is not) connects with the text.
  bool CheckDBConnection(const std::string& connection);
  // Whether the first server of the list answers a query with records.
  bool CheckDNSServer(const std::string& servers);

  // Queues the pair (or every line of `list`) in migrate.dat; always true.
  bool MigrateMessages(bool single, const std::string& user, const std::string& password,
                       const std::string& domain, const std::string& list);
  // Logs in as the pair (or every line of `list`); true when a login failed.
  bool MigrateMessagesAccounts(bool single, const std::string& user, const std::string& password,
                               const std::string& list);
  // The migration state, 0 to 2; fails when migrate.dat cannot be read.
  int32_t MigrationFinish();
  // The upgrade tasks from the previous version (jobs/upgrade/
  // upgrade_tasks.h); true, or a failed call when the configuration step
  // fails.
  bool ProcessUpgradeTasks(const std::string& previous_version);
  // The name's "xn--" labels decoded, as UTF-8 bytes (jobs/idn/
  // idn_text_forms.h).
  std::string IDNToUTF8(const std::string& idn);
  // The name read from UTF-8 bytes, in the ASCII form.
  std::string UTF8ToIDN(const std::string& utf8);

 private:
  Variant DomainChild(const char* method, const std::string& domain);
};

}  // namespace tarvelin::automation

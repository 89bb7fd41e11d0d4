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

  // The service commands: posted to the service when it runs, no answer
  // awaited; LastErr is not changed.
  void PostCommand(int service_id, uint32_t message, uint32_t parameter, uint32_t value);

  // Whether db.so (loaded when it is not) connects with the text.
  bool CheckDBConnection(const std::string& connection);
  // Whether the first server of the list answers a query with records.
  bool CheckDNSServer(const std::string& servers);

 private:
  Variant DomainChild(const char* method, const std::string& domain);
};

}  // namespace tarvelin::automation

// StatisticsObject: a service's run-time counters and sessions as a script
// asks for them. Every member names the service by its short text ("SMTP",
// "imap", ...; any other text, empty included, is SMTP) and keeps that id;
// Poll fetches the service's 120-byte counter block and keeps it, Reset
// hands the service a zeroed block with its start time, GetProperty reads
// one counter of the kept block. Nothing is stored on disk and no member
// fails for a service that does not run: it answers false or empty.
#pragma once

#include <cstdint>
#include <string>

#include "api/automation/automation_object.h"
#include "services/statistics_block.h"

namespace tarvelin::automation {

class StatisticsObject : public AutomationObject {
 public:
  explicit StatisticsObject(AutomationServer& server) : AutomationObject(server) {}

  static const ClassInfo& Info();
  const ClassInfo& Class() const override { return Info(); }

  // The service runs; LDAP and FTP, inside the control program, only
  // while their switch is on.
  bool IsRunning(const std::string& service);
  // Fetches the block; false (and a zero block) when the service does not
  // run or does not answer.
  bool Poll(const std::string& service);
  // Polls, then asks the service to keep zero counters with the start time
  // it had. False, the kept block unchanged, when the service does not run.
  bool Reset(const std::string& service);
  // A counter of the kept block, or empty (a number without a value, or
  // before Init).
  Variant GetProperty(const Variant& command);
  // Asked of the service's program; true whatever came of it. Start does
  // not wait for the service, Stop waits (and ends it after 10 seconds).
  bool Start(const Variant& service);
  bool Stop(const Variant& service);
  // The sessions report (sessions_report.h) of the current sessions, or
  // with `history` the finished ones; empty when nobody answers.
  std::string GetSessions(const std::string& service, bool history);

  const StatisticsBlock& block() const { return block_; }
  int service_id() const { return service_id_; }

 private:
  // Resolves and keeps the service's id.
  int Use(const std::string& service);

  StatisticsBlock block_{};
  int service_id_ = 0;
};

}  // namespace tarvelin::automation

// A test installation for the traffic report: domains with users.cfg
// files, a mail root, and builders of the statistics and access files.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/context.h"
#include "platform/fault_injection_env.h"
#include "platform/posix_env.h"
#include "foundation/bytes.h"
#include "foundation/date_time.h"
#include "jobs/traffic/report_dates.h"
#include "jobs/traffic/traffic_report.h"
#include "schema/config_offsets.h"
#include "support/installation.h"
#include "support/property_file.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin::testing {

inline double Day(int year, int month, int day) {
  double value = 0;
  EXPECT_TRUE(EncodeDate({year, month, day}, &value));
  return value;
}

// One 32-byte record: the day, then received, sent, sent-out messages and
// received, sent, sent-out bytes.
struct Stat {
  double day;
  std::array<uint32_t, 6> values;
};

inline std::string StatFileOf(const std::vector<Stat>& records) {
  std::string bytes;
  for (const Stat& record : records) {
    uint8_t raw[32];
    PutDouble(raw, record.day);
    for (int i = 0; i < 6; ++i) PutLE(raw + 8 + 4 * i, 4, record.values[i]);
    bytes.append(reinterpret_cast<const char*>(raw), sizeof raw);
  }
  return bytes;
}

// A 160-byte useraccess.dat with the three dates.
inline std::string AccessFileOf(double sent, double received, double login) {
  std::string bytes(160, '\x7f');
  auto* data = reinterpret_cast<uint8_t*>(bytes.data());
  PutDouble(data, sent);
  PutDouble(data + 8, received);
  PutDouble(data + 16, login);
  return bytes;
}

class TrafficInstallation : public ::testing::Test {
 protected:
  TrafficInstallation() {
    context_.api.initialised = true;
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    context_.config.record.SetText(offsets::kMailRoot, dir_.path() + "mail/");
    context_.config.record.SetText(offsets::kLogDirectory, dir_.path() + "logs/");
    // The walk's query needs the property names.
    dir_.Write("apiconst.pas", ShippedPropertyFile());
  }
  void SetDomains(const std::vector<std::string>& names) {
    dir_.Write("config/domains.cfg", DomainsFileOf(names));
    context_.config.record.SetNumber(offsets::kDomainCount, 4,
                                     static_cast<uint32_t>(names.size()));
    context_.domains().Load();
  }
  void PutUsers(const std::string& domain, const std::vector<UserRecord>& records) {
    dir_.Write("config/" + domain + "/users.cfg", FileOf(records));
  }
  // A file below the mail root.
  void PutMail(const std::string& relative, const std::string& bytes) {
    dir_.Write("mail/" + relative, bytes);
  }

  std::string Report(const std::string& from, const std::string& to,
                     const std::string& filter = "", bool per_day = false) {
    const TrafficReportRequest request{.from = ReportDateOrZero(from),
                                       .to = ReportDateOrZero(to),
                                       .filter = filter,
                                       .per_day = per_day};
    std::string out;
    const Status status = WriteTrafficReport(context_, request, [&](std::string_view line) {
      out.append(line);
      return Status::Ok();
    });
    EXPECT_TRUE(status.ok()) << status.message();
    return out;
  }

  // The lines of a report without its header, CR LF removed.
  std::vector<std::string> Lines(const std::string& report) {
    std::vector<std::string> lines;
    size_t start = report.find("\r\n") + 2;
    for (size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(report.substr(start, end - start));
    }
    return lines;
  }

  TempDir dir_;
  PosixEnv base_env_;
  // Lets everything through until a test sets a fault.
  FaultInjectionEnv faults_{base_env_};
  Context context_{ContextOptions{.env = &faults_}};
};

}  // namespace tarvelin::testing

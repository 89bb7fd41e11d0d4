#include "core/service_operations.h"

#include <gtest/gtest.h>

#include <string>

#include "core/config/create_installation.h"
#include "core/context.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(ServiceOperationsTest, ServicesByNumberOrText) {
  const struct {
    const char* text;
    int id;
  } known[] = {{"0", 0}, {"smtp", 0}, {"POP3", 1}, {"Imap", 8}, {"12", 12}, {"gw", 4}};
  for (const auto& c : known) EXPECT_EQ(*ServiceIdOf(c.text), c.id) << c.text;
  for (const char* text : {"5", "web", "", "1x", "-1"}) {
    const Status unknown = ServiceIdOf(text).status();
    EXPECT_EQ(unknown, StatusCode::kNotFound) << text;
    EXPECT_EQ(unknown.message().rfind(std::string("unknown service ") + text + " (give SMTP", 0),
              0u);
  }
  EXPECT_EQ(ServiceLabel(10), "FTP (10)");
  EXPECT_EQ(ServiceName(8), "TarvelinPOP3") << "IMAP runs inside the POP3 program";
  EXPECT_EQ(ServiceIds().front(), 0);
}

// Without running services nothing is asked of them, and each refusal
// names the service.
TEST(ServiceOperationsTest, RefusalsWithoutRunningServices) {
  testing::TempDir dir;
  Context context;
  ASSERT_TRUE(CreateInstallation(context, dir.path() + "inst", {}).ok());
  EXPECT_FALSE(ServiceRuns(context, 1));
  const struct {
    Status status;
    StatusCode code;
    std::string message;
  } cases[] = {
      {ServiceStatisticsOf(context, 8).status(), StatusCode::kUnavailable,
       "IMAP (8) is not running"},
      {ServiceSessions(context, 1, false).status(), StatusCode::kUnavailable,
       "POP3 (1) did not answer the sessions request"},
      {StartService(context, 7).status(), StatusCode::kNotFound,
       "LDAP (7) has no program of its own; it runs inside the TarvelinControl program"},
      {StartService(context, 0).status(), StatusCode::kNotFound,
       "no program file " + dir.path() + "inst/smtp"},
      {ReloadServerServices(context), StatusCode::kUnavailable,
       "the control service is not running"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.status, c.code) << c.message;
    EXPECT_EQ(c.status.message(), c.message);
  }
  const Result<ServiceChange> stopped = StopService(context, 0);
  ASSERT_TRUE(stopped.ok()) << stopped.status().ToString();
  EXPECT_FALSE(stopped->changed) << "it was not running";
  EXPECT_FALSE(stopped->pid);
}

}  // namespace
}  // namespace tarvelin

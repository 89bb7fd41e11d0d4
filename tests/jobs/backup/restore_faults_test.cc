// A restore whose write of one entry fails: the failure is reported, no
// temporary file is left, and the entries before and after the failed one
// are restored all the same (each replaces its file on its own), while the
// failed entry's file keeps what it held.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "jobs/backup/restore_config.h"
#include "jobs/backup/test_archive.h"
#include "platform/file_system.h"
#include "support/fault_installation.h"

namespace tarvelin {
namespace {

using testing::ArchiveBuilder;
using testing::FaultInstallation;

TEST(RestoreFaultsTest, AFailedEntryIsReportedAndTheOthersAreRestored) {
  FaultInstallation installation;
  for (const int error : {EIO, ENOSPC}) {
    SCOPED_TRACE("error " + std::to_string(error));
    installation.Lay({"example.org"}, {{"config/first.dat", "old first"},
                                       {"config/failing/middle.dat", "old middle"},
                                       {"config/last.dat", "old last"}});
    const std::string archive = installation.path() + "backup.ilds";
    {
      std::string bytes = ArchiveBuilder::Version2()
                              .Add("first.dat", "new first")
                              .Add("failing\\middle.dat", "new middle")
                              .Add("last.dat", "new last")
                              .bytes();
      ASSERT_TRUE(WriteFileAtomic(installation.plain(), archive, bytes).ok());
    }
    FaultInjectionEnv env(installation.plain());
    // The temporary files of an entry lie beside its target: only the
    // middle entry's folder fails.
    env.FailWritesTo("/failing/", error);
    const std::unique_ptr<Context> context = installation.OpenContext(env);
    const Status restored = RestoreConfiguration(*context, archive, {});
    EXPECT_FALSE(restored.ok());
    EXPECT_EQ(restored.sys_errno(), error) << restored.ToString();
    EXPECT_NE(restored.message().find("failing/middle.dat"), std::string::npos)
        << restored.ToString();
    EXPECT_EQ(installation.Read("config/first.dat"), "new first") << "the entry before";
    EXPECT_EQ(installation.Read("config/failing/middle.dat"), "old middle");
    EXPECT_EQ(installation.Read("config/last.dat"), "new last") << "the entry after";
    EXPECT_EQ(installation.TemporaryFiles(), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace tarvelin

// A domain's domain.cfg and the list of remote accounts (remote.cfg) are
// replaced as a whole; a write that fails on the way, for want of room or
// by a broken disk, reports the failure and leaves the old file byte for
// byte, with no temporary file beside it.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/domains/domain_records.h"
#include "core/remote/remote_operations.h"
#include "schema/domain_record_layout.h"
#include "schema/remote_record_layout.h"
#include "store/lock_names.h"
#include "support/fault_installation.h"

namespace tarvelin {
namespace {

using testing::FaultInstallation;

std::string Bytes(size_t size, char first) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(first + i % 7);
  return bytes;
}

TEST(RecordFilesFaultsTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  const std::string old_domain = Bytes(kDomainRecordSize, 'd');
  const std::string old_remotes = Bytes(2 * kRemoteRecordSize, 'r');
  const struct {
    const char* what;
    const char* file;  // below the installation
    std::function<bool(Context&)> write;  // true when it reports success
  } writes[] = {
      {"domain record", "config/example.org/domain.cfg",
       [](Context& context) {
         DomainRecord record{};
         record.fill(7);
         return SaveDomainRecord(context, 0, record, /*is_new=*/false, "");
       }},
      {"remote account saved", "config/remote.cfg",
       [](Context& context) {
         RemoteAccountRecord record{};
         record.fill(9);
         return SaveRemoteAccount(context, 1, record).ok();
       }},
      {"remote account added", "config/remote.cfg",
       [](Context& context) {
         RemoteAccountRecord record{};
         record.fill(9);
         return SaveRemoteAccount(context, -1, record).ok();
       }},
  };
  FaultInstallation installation;
  for (const auto& write : writes) {
    for (const int error : {EIO, ENOSPC}) {
      SCOPED_TRACE(std::string(write.what) + ", error " + std::to_string(error));
      installation.Lay({"example.org"}, {{"config/example.org/domain.cfg", old_domain},
                                         {"config/remote.cfg", old_remotes}});
      const std::vector<std::string> before = installation.Names("config/");
      FaultInjectionEnv env(installation.plain());
      const std::string file = write.file;
      env.FailWritesTo(file.substr(file.rfind('/') + 1), error);
      const std::unique_ptr<Context> context = installation.OpenContext(env);
      EXPECT_FALSE(write.write(*context));
      EXPECT_EQ(installation.Read("config/example.org/domain.cfg"), old_domain);
      EXPECT_EQ(installation.Read("config/remote.cfg"), old_remotes);
      // The installation's lock file is no leftover of the write.
      std::vector<std::string> after = installation.Names("config/");
      std::erase(after, std::string(kLockFileName));
      EXPECT_EQ(after, before);
      EXPECT_EQ(installation.TemporaryFiles(), std::vector<std::string>{});

      // The same write goes through once the disk works again.
      env.ClearFaults();
      EXPECT_TRUE(write.write(*context));
      EXPECT_NE(installation.Read(file), file.ends_with("domain.cfg") ? old_domain : old_remotes);
      EXPECT_EQ(installation.TemporaryFiles(), std::vector<std::string>{});
    }
  }
}

}  // namespace
}  // namespace tarvelin

#include "core/domains/domain_records.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include "platform/posix_env.h"
#include "support/store_probe.h"
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "schema/config_offsets.h"
#include "store/file/domain_file.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "core/context.h"
#include "log/log_kinds.h"
#include "platform/local_now.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::DomainsFileOf;
using testing::TempDir;

// Everything written below `folder`, concatenated.
std::string AllFilesBelow(const std::string& folder) {
  std::string all;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
    if (!entry.is_regular_file()) continue;
    std::string content;
    PosixEnv env;
    env.ReadFile(entry.path().string(), &content);
    all += content;
  }
  return all;
}

class DomainStoreTest : public ::testing::Test {
 protected:
  DomainStoreTest() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    ServerConfig& config = context_.config.record;
    config.SetText(offsets::kMailRoot, dir_.path() + "mail/");
    config.SetNumber(offsets::kDomainCacheEntries, 4, 32);
    dir_.Write("config/domains.cfg", DomainsFileOf({"a.example", "b.example"}));
    config.SetNumber(offsets::kDomainCount, 4, 2);
    context_.domains().Load();
    context_.domains().SetUpCache();
  }
  void WriteRecord(const std::string& name, const DomainRecord& record) {
    ASSERT_TRUE(WriteDomainFile(context_.env(), context_.api.config_path + name + "/", record).ok());
  }
  static DomainRecord RecordWith(int offset, uint8_t value) {
    DomainRecord record{};
    record[static_cast<size_t>(offset)] = value;
    return record;
  }

  TempDir dir_;
  Context context_;
};

TEST_F(DomainStoreTest, LoadReadsDomainCfgAndFailsWithoutIt) {
  WriteRecord("a.example", RecordWith(0, 9));
  DomainRecord record;
  ASSERT_TRUE(LoadDomainRecord(context_, "A.Example", &record));
  EXPECT_EQ(record, RecordWith(0, 9));
  ASSERT_TRUE(LoadDomainRecordAt(context_, 0, &record));
  EXPECT_EQ(record, RecordWith(0, 9));

  record.fill(1);
  EXPECT_FALSE(LoadDomainRecordAt(context_, 1, &record)) << "b.example has no domain.cfg";
  EXPECT_EQ(record, DomainRecord{});
  EXPECT_FALSE(LoadDomainRecordAt(context_, 2, &record));
  EXPECT_FALSE(LoadDomainRecordAt(context_, -1, &record));
  EXPECT_FALSE(LoadDomainRecord(context_, "..", &record));
}

TEST_F(DomainStoreTest, CacheServesTheVersionItReadUntilTheFileChanges) {
  WriteRecord("a.example", RecordWith(5, 1));
  DomainRecord record;
  ASSERT_TRUE(LoadDomainRecord(context_, "a.example", &record));
  EXPECT_EQ(testing::DomainCacheOf(context_).Count(), 1u);

  // Overwritten in place with the same size, time and inode: the cache
  // cannot tell, which shows that it serves the record.
  const std::string path = context_.api.config_path + "a.example/domain.cfg";
  struct stat before;
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  dir_.Write("config/a.example/domain.cfg", DomainFileImage(RecordWith(5, 2)));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  ASSERT_TRUE(LoadDomainRecord(context_, "a.example", &record));
  EXPECT_EQ(record, RecordWith(5, 1));

  // Replaced within the same second, by this process and by another one.
  WriteRecord("a.example", RecordWith(5, 3));
  ASSERT_TRUE(LoadDomainRecord(context_, "a.example", &record));
  EXPECT_EQ(record, RecordWith(5, 3));
  dir_.Write("replacement", DomainFileImage(RecordWith(5, 4)));
  const std::string move = "mv '" + dir_.path() + "replacement' '" + path + "'";
  ASSERT_EQ(std::system(move.c_str()), 0);
  ASSERT_TRUE(LoadDomainRecord(context_, "a.example", &record));
  EXPECT_EQ(record, RecordWith(5, 4));
}

TEST_F(DomainStoreTest, CacheOffReadsTheFileEveryTime) {
  context_.config.record.SetByte(offsets::kCachesOff, 1);
  context_.domains().SetUpCache();
  WriteRecord("a.example", RecordWith(5, 1));
  DomainRecord record;
  ASSERT_TRUE(LoadDomainRecord(context_, "a.example", &record));
  EXPECT_EQ(testing::DomainCacheOf(context_).Count(), 0u);
  dir_.Write("config/a.example/domain.cfg", DomainFileImage(RecordWith(5, 2)));
  ASSERT_TRUE(LoadDomainRecord(context_, "a.example", &record));
  EXPECT_EQ(record, RecordWith(5, 2));
}

TEST_F(DomainStoreTest, SaveWritesTheScrambledRecordAndLogsTheChange) {
  ServerConfig& config = context_.config.record;
  config.SetText(log_offsets::kLogDirectory, dir_.path() + "logs/");
  config.SetByte(log_offsets::kChangeLog, 1);
  config.SetByte(log_offsets::kFileLoggingOff, 0);
  config.SetNumber(log_offsets::kBufferSize, 4, 0);

  DomainRecord record;
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i);
  const DomainRecord kept = record;
  ASSERT_TRUE(SaveDomainRecord(context_, 1, record, /*is_new=*/true, "admin"));
  EXPECT_EQ(record, kept);
  std::string expected(record.begin(), record.end());
  ScrambleBytes(reinterpret_cast<uint8_t*>(expected.data()), expected.size(), 0);
  EXPECT_EQ(dir_.Read("config/b.example/domain.cfg"), expected);
  ASSERT_TRUE(SaveDomainRecord(context_, 1, record, /*is_new=*/false, ""));

  const std::string log = AllFilesBelow(dir_.path() + "logs/");
  EXPECT_NE(log.find("'admin' created 'b.example'"), std::string::npos) << log;
  EXPECT_NE(log.find("'System' updated 'b.example'"), std::string::npos) << log;

  EXPECT_FALSE(SaveDomainRecord(context_, 2, record, false, ""));
  dir_.Write("config/a.example", "a file where the folder should be");
  EXPECT_FALSE(SaveDomainRecord(context_, 0, record, false, ""));
}

TEST_F(DomainStoreTest, QuotaIsBelowOnlyUnderTheLimitInWholeKilobytes) {
  DomainRecord record{};
  PutLE(record.data() + 57, 4, 1000);
  dir_.Write("mail/a.example/user/inbox/1.imap", std::string(1'024'000, 'm'));
  uint32_t size = 0;
  EXPECT_FALSE(DomainQuotaCheck(context_, "a.example", &record, &size));
  EXPECT_EQ(size, 1'024'000u);

  dir_.Write("mail/a.example/user/inbox/1.imap", std::string(1'023'999, 'm'));
  EXPECT_TRUE(DomainQuotaCheck(context_, "a.example", &record, &size));
  EXPECT_EQ(size, 1'023'999u);
}

TEST_F(DomainStoreTest, QuotaFromTheLoadedRecordThenDiskquotDat) {
  dir_.Write("mail/a.example/1.imap", std::string(2048, 'm'));
  uint32_t size = 7;
  EXPECT_TRUE(DomainQuotaCheck(context_, "a.example", nullptr, &size)) << "no quota anywhere";
  EXPECT_EQ(size, 0u) << "not measured";

  dir_.Write("config/diskquot.dat", "*=2\n");
  EXPECT_FALSE(DomainQuotaCheck(context_, "a.example", nullptr, &size));
  EXPECT_EQ(size, 2048u);

  DomainRecord record{};
  PutLE(record.data() + 57, 4, 3);
  WriteRecord("a.example", record);
  EXPECT_TRUE(DomainQuotaCheck(context_, "A.EXAMPLE", nullptr, nullptr))
      << "the record's own quota comes first";
  EXPECT_TRUE(DomainQuotaCheck(context_, "../outside", nullptr, nullptr));
}

TEST_F(DomainStoreTest, ExpiryCountsWholeDays) {
  const double today = std::floor(LocalNowAsDateTime(context_.env()));
  struct Case {
    uint8_t expires;
    double date;
    bool not_expired;
  };
  const Case cases[] = {
      {1, today - 1, false}, {1, today - 0.5, false}, {1, today, true},
      {1, today + 1, true},  {0, today - 1, true},    {1, 0, true},
  };
  for (const Case& c : cases) {
    DomainRecord record{};
    record[898] = c.expires;
    PutDouble(record.data() + 899, c.date);
    WriteRecord("a.example", record);
    EXPECT_EQ(DomainNotExpired(context_, "a.example"), c.not_expired)
        << int{c.expires} << " " << c.date - today;
  }
  EXPECT_TRUE(DomainNotExpired(context_, "b.example")) << "no record";
}

TEST_F(DomainStoreTest, DisabledAndMailboxRoot) {
  DomainRecord primary = RecordWith(880, 1);
  PutPString(primary.data() + 1041, 127, "Mail/Primary");
  WriteRecord("a.example", primary);
  EXPECT_FALSE(DomainNotDisabled(context_, "a.example"));
  EXPECT_FALSE(DomainNotDisabled(context_, "unknown.example")) << "falls back to position 0";
  EXPECT_TRUE(DomainNotDisabled(context_, "b.example")) << "no record";
  EXPECT_EQ(DomainMailboxRoot(context_, "a.example"), "Mail/Primary");
  EXPECT_EQ(DomainMailboxRoot(context_, "b.example"), "");
}

}  // namespace
}  // namespace tarvelin

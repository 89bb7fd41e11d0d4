#include "store/file/domain_file.h"

#include <gtest/gtest.h>

#include "foundation/scramble.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

std::string Scrambled(std::string bytes) {
  ScrambleBytes(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), 0);
  return bytes;
}

TEST(DomainFile, ShortFileFillsTheStartAndLeavesTheRestZero) {
  TempDir dir;
  PosixEnv env;
  std::string plain(100, '\0');
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i + 1);
  dir.Write("domain.cfg", Scrambled(plain));
  DomainRecord record;
  record.fill(0xAB);
  ASSERT_TRUE(ReadDomainFile(env, dir.path() + "domain.cfg", &record).ok());
  for (size_t i = 0; i < record.size(); ++i) {
    ASSERT_EQ(record[i], i < 100 ? static_cast<uint8_t>(i + 1) : 0) << "byte " << i;
  }
}

TEST(DomainFile, BytesPastTheRecordAreNotRead) {
  TempDir dir;
  PosixEnv env;
  std::string plain(kDomainRecordSize + 50, 'x');
  dir.Write("domain.cfg", Scrambled(plain));
  DomainRecord record;
  ASSERT_TRUE(ReadDomainFile(env, dir.path() + "domain.cfg", &record).ok());
  EXPECT_EQ(std::string(record.begin(), record.end()), std::string(kDomainRecordSize, 'x'));
}

TEST(DomainFile, MissingFileGivesAZeroRecord) {
  TempDir dir;
  PosixEnv env;
  DomainRecord record;
  record.fill(1);
  EXPECT_FALSE(ReadDomainFile(env, dir.path() + "domain.cfg", &record).ok());
  EXPECT_EQ(record, DomainRecord{});
}

TEST(DomainFile, WriteCreatesTheFolderAndRoundTrips) {
  TempDir dir;
  PosixEnv env;
  DomainRecord record;
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 13);
  const std::string folder = dir.path() + "config/new.example/";
  ASSERT_TRUE(WriteDomainFile(env, folder, record).ok());
  EXPECT_EQ(dir.Read("config/new.example/domain.cfg"),
            Scrambled(std::string(record.begin(), record.end())));
  DomainRecord read;
  ASSERT_TRUE(ReadDomainFile(env, folder + "domain.cfg", &read).ok());
  EXPECT_EQ(read, record);

  dir.Write("blocked", "a file where the folder should be");
  EXPECT_FALSE(WriteDomainFile(env, dir.path() + "blocked/sub/", record).ok());
}

}  // namespace
}  // namespace tarvelin

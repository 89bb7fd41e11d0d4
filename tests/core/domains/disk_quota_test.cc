#include "core/domains/disk_quota.h"

#include <gtest/gtest.h>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(DiskQuotaFromFile, FirstMatchingLineWins) {
  testing::TempDir dir;
  PosixEnv env;
  dir.Write("diskquot.dat",
            "\n"
            "other.example=7\n"
            "no equals sign\n"
            " *=1000 \n"
            "D.Example=5000\n");
  const std::string path = dir.path() + "diskquot.dat";
  EXPECT_EQ(DiskQuotaFromFile(env, path, "d.example"), 1000u) << "the \"*\" line comes first";
  EXPECT_EQ(DiskQuotaFromFile(env, path, "other.example"), 7u);
  EXPECT_EQ(DiskQuotaFromFile(env, path, "OTHER.example"), 7u);

  dir.Write("diskquot.dat", "D.Example = 5000\n*=1000\n");
  EXPECT_EQ(DiskQuotaFromFile(env, path, "d.example"), 5000u);
  EXPECT_EQ(DiskQuotaFromFile(env, path, "sub.d.example"), 1000u) << "names match whole";
  EXPECT_EQ(DiskQuotaFromFile(env, dir.path() + "missing.dat", "d.example"), 0u);
}

TEST(DiskQuotaFromFile, UnreadableNumbersAreZero) {
  testing::TempDir dir;
  PosixEnv env;
  const std::string path = dir.path() + "diskquot.dat";
  for (const char* line :
       {"d.example=lots", "d.example=", "d.example=-5", "d.example=12k", "d.example=99999999999"}) {
    dir.Write("diskquot.dat", std::string(line) + "\n*=1000\n");
    EXPECT_EQ(DiskQuotaFromFile(env, path, "d.example"), 0u) << line << ": the first match decides";
  }
}

}  // namespace
}  // namespace tarvelin

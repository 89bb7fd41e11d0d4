// What a look at an archive tells before a restore: whether the file reads
// as an archive and how many of its entries a restore would write.
#include "jobs/backup/archive_inspection.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/posix_env.h"
#include "support/temp_dir.h"
#include "test_archive.h"

namespace tarvelin {
namespace {

TEST(ArchiveInspection, CountsTheEntriesARestoreWouldWrite) {
  const struct {
    std::string what;
    std::string bytes;
    bool has_magic;
    int64_t entries;
    int64_t restorable;
  } cases[] = {
      {"an empty file", "", false, 0, 0},
      {"a header alone", testing::ArchiveBuilder::Version2().bytes(), true, 0, 0},
      {"two files", testing::ArchiveBuilder::Version2().Add("settings.cfg", "s")
                        .Add("a.example\\users.cfg", "u").bytes(), true, 2, 2},
      {"an entry leading outside", testing::ArchiveBuilder::Version2()
                                       .Add("..\\..\\etc\\passwd", "x").bytes(), true, 1, 0},
      {"a temporary file", testing::ArchiveBuilder::Version2()
                               .Add("users.cfg.tmp", "x").bytes(), true, 1, 0},
      {"the oldest format", testing::ArchiveBuilder::Version1().Add("domains.cfg", "d").bytes(),
       false, 1, 1},
  };
  testing::TempDir dir;
  PosixEnv env;
  for (const auto& c : cases) {
    dir.Write("archive", c.bytes);
    const Result<ArchiveInspection> inspection = InspectArchive(env, dir.path() + "archive");
    ASSERT_TRUE(inspection.ok()) << c.what << ": " << inspection.status().ToString();
    EXPECT_EQ(inspection->size, static_cast<int64_t>(c.bytes.size())) << c.what;
    EXPECT_EQ(inspection->has_magic, c.has_magic) << c.what;
    EXPECT_EQ(inspection->entries, c.entries) << c.what;
    EXPECT_EQ(inspection->restorable, c.restorable) << c.what;
  }
}

TEST(ArchiveInspection, FilesThatAreNoArchiveSayWhy) {
  const struct {
    std::string what;
    std::string bytes;  // empty: no file at all
    StatusCode code;
    std::string message;
  } cases[] = {
      {"missing", "", StatusCode::kNotFound, "no archive "},
      {"a text", "hello, this is a letter\n", StatusCode::kCorruption,
       "is no backup archive: it does not begin with \"ILDS\", and read as one of the oldest "
       "format it breaks off at byte 0"},
      {"cut off", testing::ArchiveBuilder::Version2().AddRaw("settings.cfg", "abc", 100).bytes(),
       StatusCode::kCorruption, "is cut off or damaged at byte 13"},
      {"an unknown version", std::string("ILDS\x05\0\0\0\x01\x09\0\0\0", 13), StatusCode::kCorruption,
       "names a format this program does not know"},
  };
  testing::TempDir dir;
  PosixEnv env;
  for (const auto& c : cases) {
    const std::string path = dir.path() + c.what;
    if (!c.bytes.empty()) dir.Write(c.what, c.bytes);
    const Result<ArchiveInspection> inspection = InspectArchive(env, path);
    ASSERT_FALSE(inspection.ok()) << c.what;
    EXPECT_EQ(inspection.status().code(), c.code) << c.what;
    EXPECT_NE(inspection.status().message().find(c.message), std::string::npos)
        << c.what << ": " << inspection.status().message();
  }
}

}  // namespace
}  // namespace tarvelin

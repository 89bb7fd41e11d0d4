#include "jobs/backup/backup_archive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "jobs/backup/test_archive.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::ArchiveBuilder;
using testing::TempDir;

TEST(BackupArchive, WriterHeaderAndEntryHeadBytes) {
  EXPECT_EQ(EncodeArchiveHeader(true), std::string("ILDS\x05\0\0\0\x01\x02\0\0\0", 13));
  EXPECT_EQ(EncodeArchiveHeader(false), std::string("ILDS\x05\0\0\0\x00\x02\0\0\0", 13));
  EXPECT_EQ(EncodeEntryHead("a\\b", 0x01020304), std::string("\x03"
                                                             "a\\b\x04\x03\x02\x01",
                                                             8));
}

class ArchiveFileTest : public ::testing::Test {
 protected:
  const ReadableFile& Open(const std::string& bytes) {
    dir_.Write("archive", bytes);
    Result<std::unique_ptr<ReadableFile>> file = env_.NewReadableFile(dir_.path() + "archive");
    EXPECT_TRUE(file.ok());
    file_ = std::move(*file);
    return *file_;
  }
  TempDir dir_;
  PosixEnv env_;
  std::unique_ptr<ReadableFile> file_;
};

TEST_F(ArchiveFileTest, Version2EntriesFollowOneAnother) {
  const auto& file =
      Open(ArchiveBuilder::Version2().AddRaw("one", "abc").AddRaw("two", "").bytes());
  ArchiveLayout layout;
  ASSERT_TRUE(ReadArchiveLayout(file, &layout));
  EXPECT_TRUE(layout.compressed);
  EXPECT_FALSE(layout.fixed_names);
  EXPECT_EQ(layout.first_entry, 13);
  EntryHead head;
  ASSERT_EQ(ReadEntryHead(file, layout, 13, &head), EntryHeadStatus::kEntry);
  EXPECT_EQ(head.name, "one");
  EXPECT_EQ(head.data_offset, 13 + 1 + 3 + 4);
  EXPECT_EQ(head.data_size, 3u);
  const int64_t next = head.data_offset + head.data_size;
  ASSERT_EQ(ReadEntryHead(file, layout, next, &head), EntryHeadStatus::kEntry);
  EXPECT_EQ(head.name, "two");
  EXPECT_EQ(ReadEntryHead(file, layout, head.data_offset, &head), EntryHeadStatus::kEnd);
}

TEST_F(ArchiveFileTest, WithoutMagicTheFileIsVersion1) {
  const auto& file = Open(ArchiveBuilder::Version1().AddRaw("settings.cfg", "xyz").bytes());
  ArchiveLayout layout;
  ASSERT_TRUE(ReadArchiveLayout(file, &layout));
  EXPECT_FALSE(layout.compressed);
  EXPECT_TRUE(layout.fixed_names);
  EXPECT_EQ(layout.first_entry, 0);
  EntryHead head;
  ASSERT_EQ(ReadEntryHead(file, layout, 0, &head), EntryHeadStatus::kEntry);
  EXPECT_EQ(head.name, "settings.cfg");
  EXPECT_EQ(head.data_offset, 260);
}

TEST_F(ArchiveFileTest, HeaderBlockLengthAndVersion) {
  // A longer header block is skipped; version 1 behind the magic keeps
  // fixed name fields.
  std::string bytes = "ILDS";
  testing::AppendUint32(&bytes, 9);
  bytes += std::string(
      "\x01\x01\0\0\0"
      "more",
      9);
  ArchiveLayout layout;
  ASSERT_TRUE(ReadArchiveLayout(Open(bytes), &layout));
  EXPECT_EQ(layout.first_entry, 17);
  EXPECT_TRUE(layout.fixed_names);
  EXPECT_TRUE(layout.compressed);

  struct Case {
    uint32_t block_length;
    std::string block;
  };
  const Case broken[] = {
      {4, std::string("\x01\x02\0\0", 4)},       // too short for the version
      {5, std::string("\x01\x03\0\0\0", 5)},     // unknown version
      {1000, std::string("\x01\x02\0\0\0", 5)},  // longer than the file
      {5, std::string("\x01\x02", 2)},           // cut off
  };
  for (const Case& c : broken) {
    std::string archive = "ILDS";
    testing::AppendUint32(&archive, c.block_length);
    archive += c.block;
    EXPECT_FALSE(ReadArchiveLayout(Open(archive), &layout)) << c.block_length;
  }
}

TEST_F(ArchiveFileTest, EndMarkersAndBrokenEntries) {
  struct Case {
    const char* what;
    std::string entries;
    EntryHeadStatus status;
  };
  const Case cases[] = {
      {"end of file", "", EntryHeadStatus::kEnd},
      {"empty name", std::string("\0", 1), EntryHeadStatus::kEnd},
      {"blank name", std::string("\x03 \t\0", 4), EntryHeadStatus::kEnd},
      {"name cut off",
       "\x05"
       "ab",
       EntryHeadStatus::kBroken},
      {"size cut off",
       std::string("\x01"
                   "a\x01\0",
                   4),
       EntryHeadStatus::kBroken},
      {"data past the end",
       std::string("\x01"
                   "a\x05\0\0\0"
                   "abcd",
                   10),
       EntryHeadStatus::kBroken},
      {"size near 4 GiB",
       std::string("\x01"
                   "a\xff\xff\xff\xff"
                   "abcd",
                   10),
       EntryHeadStatus::kBroken},
  };
  for (const Case& c : cases) {
    const auto& file = Open(EncodeArchiveHeader(true) + c.entries);
    ArchiveLayout layout;
    ASSERT_TRUE(ReadArchiveLayout(file, &layout));
    EntryHead head;
    EXPECT_EQ(ReadEntryHead(file, layout, layout.first_entry, &head), c.status) << c.what;
  }
}

}  // namespace
}  // namespace tarvelin

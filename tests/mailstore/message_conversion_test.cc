#include "mailstore/message_conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/atomic_file_writer.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

size_t EntriesIn(const std::string& dir) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++count;
  return count;
}

// Both steps, as a converter of many files takes them.
bool ToImapFile(Env& env, const std::string& source, const std::string& target) {
  AtomicFileWriter out(env);
  return WriteImapForm(env, source, target, &out) && env.SyncFileSystem(source).ok() &&
         PutInPlace(env, source, &out);
}
bool ToPop3File(Env& env, const std::string& source, const std::string& target) {
  AtomicFileWriter out(env);
  return WritePop3Form(env, source, target, &out) && env.SyncFileSystem(source).ok() &&
         PutInPlace(env, source, &out);
}

class MessageConversionTest : public ::testing::Test {
 protected:
  std::string ToImap(const std::string& pop3) {
    dir_.Write("m.tmp", pop3);
    EXPECT_TRUE(ToImapFile(env_, dir_.path() + "m.tmp", dir_.path() + "m.imap"));
    EXPECT_FALSE(dir_.Exists("m.tmp"));
    EXPECT_EQ(EntriesIn(dir_.path()), 1u) << "nothing but the new file";
    const std::string imap = dir_.Read("m.imap");
    std::filesystem::remove(dir_.path() + "m.imap");
    return imap;
  }
  std::string ToPop3(const std::string& imap) {
    dir_.Write("m.imap", imap);
    EXPECT_TRUE(ToPop3File(env_, dir_.path() + "m.imap", dir_.path() + "m.tmp"));
    EXPECT_FALSE(dir_.Exists("m.imap"));
    EXPECT_EQ(EntriesIn(dir_.path()), 1u) << "nothing but the new file";
    const std::string pop3 = dir_.Read("m.tmp");
    std::filesystem::remove(dir_.path() + "m.tmp");
    return pop3;
  }

  TempDir dir_;
  PosixEnv env_;
};

TEST_F(MessageConversionTest, ToImapDropsTheEndMarkerAndTheStuffing) {
  EXPECT_EQ(ToImap("Subject: x\r\n\r\n..\r\n..dots\r\n.\r\n"), "Subject: x\r\n\r\n.\r\n.dots");
  EXPECT_EQ(ToImap("\r\n.\r\n"), "") << "an empty message";
  EXPECT_EQ(ToImap(""), "");
  EXPECT_EQ(ToImap(".\r\n"), ".\r\n") << "short files are copied whole; the first byte stays";
  EXPECT_EQ(ToImap("..x\r\n.\r\n"), "..x") << "the first byte never goes";
}

TEST_F(MessageConversionTest, ToImapKeepsTheEndOfAFileWithoutTheMarker) {
  // Cutting 5 bytes blindly would lose the end of the message.
  EXPECT_EQ(ToImap("Subject: x\r\n\r\nlast line\r\n"), "Subject: x\r\n\r\nlast line\r\n");
  EXPECT_EQ(ToImap("body\n.\n"), "body\n\n") << "a marker without CR is no marker";
}

TEST_F(MessageConversionTest, ToPop3StuffsAndAppendsTheEndMarker) {
  EXPECT_EQ(ToPop3("Subject: x\r\n\r\n.\r\n.dots"), "Subject: x\r\n\r\n..\r\n..dots\r\n.\r\n");
  EXPECT_EQ(ToPop3(""), "\r\n.\r\n");
  EXPECT_EQ(ToPop3(".x\r\n"), ".x\r\n\r\n.\r\n");
}

TEST_F(MessageConversionTest, StuffingDotsAcrossBlockBoundaries) {
  // The line feed is the last byte of the first 64 KB block, the dot the
  // first of the second.
  std::string imap(kMessageBlockSize - 2, 'a');
  imap += "\r\n.line\r\n";
  std::string pop3 = imap;
  pop3.insert(kMessageBlockSize, ".");
  pop3 += kPop3EndMarker;
  EXPECT_EQ(ToPop3(imap), pop3);
  EXPECT_EQ(ToImap(pop3), imap);

  // The stuffing dot is the first byte of the second block, and the
  // marker begins right after the first block.
  std::string short_line(kMessageBlockSize - 1, 'b');
  short_line += "\n";
  EXPECT_EQ(ToImap(short_line + "..x\r\n.\r\n"), short_line + ".x");
  EXPECT_EQ(ToImap(short_line + std::string(kPop3EndMarker)), short_line);
}

TEST_F(MessageConversionTest, NothingIsInPlaceBeforePutInPlace) {
  dir_.Write("a.tmp", "new\r\n.\r\n");
  AtomicFileWriter out(env_);
  ASSERT_TRUE(WriteImapForm(env_, dir_.path() + "a.tmp", dir_.path() + "a.imap", &out));
  EXPECT_FALSE(dir_.Exists("a.imap"));
  EXPECT_EQ(dir_.Read("a.tmp"), "new\r\n.\r\n");
  out.Discard();
  EXPECT_EQ(EntriesIn(dir_.path()), 1u) << "a discarded form leaves nothing";
}

TEST_F(MessageConversionTest, FailuresLeaveTheOldFile) {
  EXPECT_FALSE(ToImapFile(env_, dir_.path() + "missing.tmp", dir_.path() + "missing.imap"));
  EXPECT_FALSE(dir_.Exists("missing.imap"));

  dir_.Write("a.tmp", "new\r\n.\r\n");
  dir_.Write("a.imap", "taken");
  EXPECT_FALSE(ToImapFile(env_, dir_.path() + "a.tmp", dir_.path() + "a.imap"));
  EXPECT_EQ(dir_.Read("a.imap"), "taken") << "an existing file is never replaced";
  EXPECT_EQ(dir_.Read("a.tmp"), "new\r\n.\r\n");

  EXPECT_FALSE(ToPop3File(env_, dir_.path() + "a.imap", dir_.path() + "no/such/a.tmp"));
  EXPECT_EQ(dir_.Read("a.imap"), "taken");
  EXPECT_EQ(EntriesIn(dir_.path()), 2u) << "no temporary file is left";
}

}  // namespace
}  // namespace tarvelin

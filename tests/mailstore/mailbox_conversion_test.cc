#include "mailstore/mailbox_conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "mailstore/message_conversion.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using Tree = std::map<std::string, std::string>;

// What differs between two trees, by name and size: messages can be large.
std::string Differences(const Tree& got, const Tree& want) {
  std::string out;
  for (const auto& [name, data] : want) {
    const auto it = got.find(name);
    if (it == got.end()) {
      out += "missing " + name + "\n";
    } else if (it->second != data) {
      out += name + ": " + std::to_string(it->second.size()) + " bytes, want " +
             std::to_string(data.size()) + (data.size() < 200 ? " \"" + data + "\"" : "") + "\n";
    }
  }
  for (const auto& [name, data] : got) {
    if (want.count(name) == 0) out += "unexpected " + name + "\n";
  }
  return out;
}

// The POP3 form of a message, written independently of the converter: a
// "." is added to every line that begins with one after a line feed, and
// the end marker follows.
std::string Stuffed(const std::string& message) {
  std::string out;
  for (size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '.' && i > 0 && message[i - 1] == '\n') out += '.';
    out += message[i];
  }
  return out + "\r\n.\r\n";
}

constexpr MailboxConversion kToImap{.from_imap = false, .probe = false, .recursive = false};
constexpr MailboxConversion kToImapRecursive{.from_imap = false, .probe = false, .recursive = true};
constexpr MailboxConversion kFromImap{.from_imap = true, .probe = false, .recursive = false};
constexpr MailboxConversion kFromImapRecursive{
    .from_imap = true, .probe = false, .recursive = true};

class MailboxConversionTest : public ::testing::Test {
 protected:
  // The mailbox as the account record names it: relative, with "\".
  static constexpr const char* kMailbox = "example.org\\john\\";

  std::string MailRoot() const { return dir_.path() + "mail/"; }
  std::string Box() const { return MailRoot() + "example.org/john/"; }
  void Put(const std::string& relative, const std::string& data) const {
    dir_.Write("mail/example.org/john/" + relative, data);
  }
  bool Convert(const MailboxConversion& how) const {
    return ConvertMailbox(env_, MailRoot(), kMailbox, how);
  }
  // Every file and folder of the mailbox: folders end with "/", links show
  // their target.
  Tree Snapshot() const {
    Tree tree;
    if (!fs::exists(Box())) return tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Box())) {
      // Lexically: a link back into the mailbox keeps its own name.
      std::string relative =
          entry.path().lexically_relative(fs::path(Box()).parent_path()).generic_string();
      if (entry.is_symlink()) {
        tree[relative] = "-> " + fs::read_symlink(entry.path()).string();
      } else if (entry.is_directory()) {
        tree[relative + "/"] = "";
      } else {
        tree[relative] = dir_.Read("mail/example.org/john/" + relative);
      }
    }
    return tree;
  }

  // Empty when the mailbox is exactly `want`.
  std::string DifferencesFrom(const Tree& want) const { return Differences(Snapshot(), want); }

  TempDir dir_;
  mutable PosixEnv env_;
};

TEST_F(MailboxConversionTest, Pop3MailboxToImap) {
  Put("1.tmp", "Subject: one\r\n\r\n..\r\nbody\r\n.\r\n");
  Put("2.tmp", "Subject: two\r\n\r\n..leading dot\r\n.\r\n");
  Put("notes.txt", "not a message");
  EXPECT_TRUE(Convert(kToImap));
  EXPECT_EQ(DifferencesFrom((Tree{{"inbox/", ""},
                                  {"inbox/1.imap", "Subject: one\r\n\r\n.\r\nbody"},
                                  {"inbox/2.imap", "Subject: two\r\n\r\n.leading dot"},
                                  {"notes.txt", "not a message"}})),
            "");
}

TEST_F(MailboxConversionTest, ImapMailboxToPop3StuffsLinesBeginningWithADot) {
  // A lone "." would otherwise end the message early for a POP3 client.
  Put("inbox/1.imap", "Subject: one\r\n\r\n.\r\n.x\r\n");
  EXPECT_TRUE(Convert(kFromImap));
  EXPECT_EQ(Snapshot(),
            (Tree{{"inbox/", ""}, {"1.tmp", "Subject: one\r\n\r\n..\r\n..x\r\n\r\n.\r\n"}}));
}

TEST_F(MailboxConversionTest, RecursionDecidesWhichFoldersAreConverted) {
  const Tree imap = {
      {"inbox/", ""},     {"inbox/a.imap", "a"},     {"Sent/", ""},  {"Sent/b.imap", "b"},
      {"Sent/2024/", ""}, {"Sent/2024/c.imap", "c"}, {"~spam/", ""}, {"~spam/d.imap", "d"},
      {"~Spam2/", ""},    {"~Spam2/e.imap", "e"},    {"~stat/", ""}, {"~stat/f.imap", "f"},
      {".hidden/", ""},   {".hidden/g.imap", "g"},
  };
  for (const auto& [name, data] : imap) {
    if (!name.ends_with("/")) Put(name, data);
  }
  EXPECT_TRUE(Convert(kFromImap));
  Tree only_inbox = imap;
  only_inbox.erase("inbox/a.imap");
  only_inbox["a.tmp"] = "a\r\n.\r\n";
  EXPECT_EQ(DifferencesFrom(only_inbox), "");

  Put("inbox/a.imap", "a");
  fs::remove(Box() + "a.tmp");
  EXPECT_TRUE(Convert(kFromImapRecursive));
  const Tree every_folder = {
      {"inbox/", ""},     {"a.tmp", "a\r\n.\r\n"},
      {"Sent/", ""},      {"Sent/b.tmp", "b\r\n.\r\n"},
      {"Sent/2024/", ""}, {"Sent/2024/c.tmp", "c\r\n.\r\n"},
      {"~spam/", ""},     {"~spam/d.tmp", "d\r\n.\r\n"},
      {"~Spam2/", ""},    {"~Spam2/e.imap", "e"},
      {"~stat/", ""},     {"~stat/f.imap", "f"},
      {".hidden/", ""},   {".hidden/g.imap", "g"},
  };
  EXPECT_EQ(DifferencesFrom(every_folder), "") << "only the inbox moves";
}

TEST_F(MailboxConversionTest, SpamFolderNameIgnoresLetterCase) {
  Put("~SPAM/1.tmp", "x\r\n.\r\n");
  EXPECT_TRUE(Convert(kToImapRecursive));
  EXPECT_EQ(DifferencesFrom((Tree{{"inbox/", ""}, {"~SPAM/", ""}, {"~SPAM/1.imap", "x"}})), "");
}

TEST_F(MailboxConversionTest, DashSuffixIsDroppedFromConvertedNames) {
  Put("inbox/1234-RS.imap", "x");
  EXPECT_TRUE(Convert(kFromImap));
  EXPECT_EQ(DifferencesFrom((Tree{{"inbox/", ""}, {"1234.tmp", "x\r\n.\r\n"}})), "");
}

TEST_F(MailboxConversionTest, ProbeOnlyLooks) {
  EXPECT_FALSE(Convert({.from_imap = true, .probe = true, .recursive = false}));
  EXPECT_EQ(DifferencesFrom((Tree{{"inbox/", ""}})), "") << "only the start folder is created";

  Put("Sent/b.imap", "b");
  Put("1.tmp", "x\r\n.\r\n");
  const Tree before = Snapshot();
  EXPECT_FALSE(Convert({.from_imap = true, .probe = true, .recursive = false}));
  EXPECT_TRUE(Convert({.from_imap = true, .probe = true, .recursive = true}));
  EXPECT_TRUE(Convert({.from_imap = false, .probe = true, .recursive = false}));
  EXPECT_EQ(DifferencesFrom(before), "");
}

TEST_F(MailboxConversionTest, NothingToConvertStillSucceeds) {
  EXPECT_FALSE(Convert(kFromImap)) << "no inbox folder";
  EXPECT_EQ(DifferencesFrom((Tree{{"inbox/", ""}})), "");
  EXPECT_FALSE(Convert(kToImap));
  EXPECT_EQ(DifferencesFrom((Tree{{"inbox/", ""}})), "");
}

TEST_F(MailboxConversionTest, AskingForWorkChangesNothing) {
  const auto has_work = [this](const MailboxConversion& how) {
    return MailboxConversionHasWork(env_, MailRoot(), kMailbox, how);
  };
  for (const MailboxConversion& how : {kToImap, kToImapRecursive, kFromImap, kFromImapRecursive}) {
    EXPECT_FALSE(has_work(how));
  }
  EXPECT_FALSE(fs::exists(dir_.path() + "mail")) << "no folder is created";

  Put("Sent/b.imap", "b");
  Put("~trash/c.tmp", "c\r\n.\r\n");
  const Tree before = Snapshot();
  const struct {
    MailboxConversion how;
    bool work;
  } cases[] = {
      {kFromImap, false},          // no inbox folder, nothing in it to move
      {kFromImapRecursive, true},  // Sent is converted
      {kToImap, false},            // ~trash holds no messages
      {kToImapRecursive, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(has_work(c.how), c.work) << c.how.from_imap << c.how.recursive;
  }
  Put("a.imap", "stray");
  EXPECT_TRUE(has_work(kToImap)) << "an IMAP message in the root moves into inbox";
  Put("inbox/d.tmp", "d\r\n.\r\n");
  EXPECT_TRUE(has_work(kFromImap)) << "a POP3 message in inbox moves into the root";
  Tree after = before;
  after["a.imap"] = "stray";
  after["inbox/"] = "";
  after["inbox/d.tmp"] = "d\r\n.\r\n";
  EXPECT_EQ(DifferencesFrom(after), "");
}

TEST_F(MailboxConversionTest, TakenNamesLeaveTheirFilesUnconverted) {
  // Both names lose their suffix and meet; the second must not overwrite
  // the first.
  Put("inbox/5-a.imap", "first");
  Put("inbox/5-b.imap", "second");
  EXPECT_TRUE(Convert(kFromImap));
  Tree after = Snapshot();
  ASSERT_EQ(after.size(), 3u);
  const bool first_converted = after["5.tmp"] == "first\r\n.\r\n";
  EXPECT_EQ(after["5.tmp"], first_converted ? "first\r\n.\r\n" : "second\r\n.\r\n");
  EXPECT_EQ(after.count(first_converted ? "inbox/5-b.imap" : "inbox/5-a.imap"), 1u);

  // A move onto an existing name fails and leaves the file.
  Put("inbox/7.imap", "already there");
  Put("7.tmp", "moved?\r\n.\r\n");
  Put("8.tmp", "8\r\n.\r\n");
  EXPECT_TRUE(Convert(kToImap));
  after = Snapshot();
  EXPECT_EQ(after["inbox/7.imap"], "already there");
  EXPECT_EQ(after["7.imap"], "moved?");
  EXPECT_EQ(after["inbox/8.imap"], "8");
  EXPECT_EQ(after.count("8.imap"), 0u);
}

TEST_F(MailboxConversionTest, UnreadableFilesCountButStay) {
  fs::create_directories(Box());
  fs::create_symlink(Box() + "gone", Box() + "broken.tmp");
  EXPECT_TRUE(Convert(kToImap));
  EXPECT_EQ(DifferencesFrom((Tree{{"inbox/", ""}, {"broken.tmp", "-> " + Box() + "gone"}})), "");
}

TEST_F(MailboxConversionTest, LinkBackIntoTheTreeIsNotFollowedAgain) {
  Put("Sent/1.imap", "x");
  fs::create_directory_symlink(Box(), Box() + "Sent/loop");
  EXPECT_TRUE(Convert(kFromImapRecursive));
  EXPECT_EQ(Snapshot(),
            (Tree{{"Sent/", ""}, {"Sent/1.tmp", "x\r\n.\r\n"}, {"Sent/loop", "-> " + Box()}}));
}

TEST_F(MailboxConversionTest, PathsThatNameNoMailboxAreRefused) {
  EXPECT_FALSE(ConvertMailbox(env_, MailRoot(), "", kToImap)) << "the mail root itself";
  EXPECT_FALSE(ConvertMailbox(env_, "", "example.org\\john\\", kToImap)) << "relative without a root";
  EXPECT_FALSE(fs::exists(MailRoot()));
  fs::create_directories(dir_.path() + "elsewhere");
  dir_.Write("elsewhere/1.tmp", "x\r\n.\r\n");
  EXPECT_TRUE(ConvertMailbox(env_, "", dir_.path() + "elsewhere", kToImap)) << "absolute needs no root";
  EXPECT_EQ(dir_.Read("elsewhere/inbox/1.imap"), "x");
}

// The layouts convert into each other without loss: dot lines, a line feed
// that ends a 64 KB block with the dot beginning the next one, and names
// with a "-" suffix (dropped by design; the content stays).
TEST_F(MailboxConversionTest, LayoutConversionRoundTrips) {
  const std::string head = "Subject: large\r\n\r\n";
  const std::string large = head + std::string(3 * kMessageBlockSize - 2 - head.size(), 'L') +
                            "\r\n.starts the fourth block\r\n..\r\n";
  const Tree messages = {
      {"1", "Subject: dots\r\n\r\n.\r\n..\r\n.text\r\nend.\r\n"},
      {"2", large},
      {"3", ""},
      {"4", "no final line break\r\n."},
  };
  Tree pop3;
  for (const auto& [name, message] : messages) {
    Put(name + ".tmp", Stuffed(message));
    pop3[name + ".tmp"] = Stuffed(message);
  }
  // The stuffed large message really has its line feed at a block end.
  ASSERT_EQ(pop3["2.tmp"].substr(3 * kMessageBlockSize - 1, 3), "\n..");

  ASSERT_TRUE(Convert(kToImapRecursive));
  Tree imap = {{"inbox/", ""}};
  for (const auto& [name, message] : messages) imap["inbox/" + name + ".imap"] = message;
  EXPECT_EQ(DifferencesFrom(imap), "");

  // The IMAP service marks messages with a suffix.
  fs::rename(Box() + "inbox/1.imap", Box() + "inbox/1-S.imap");
  fs::rename(Box() + "inbox/2.imap", Box() + "inbox/2-RS.imap");
  ASSERT_TRUE(Convert(kFromImapRecursive));
  pop3["inbox/"] = "";
  EXPECT_EQ(DifferencesFrom(pop3), "");

  ASSERT_TRUE(Convert(kToImap));
  EXPECT_EQ(DifferencesFrom(imap), "");
}

// Random messages full of line breaks and dots, around multiples of the
// block size, stuffed by the reference above.
TEST_F(MailboxConversionTest, RandomMessagesRoundTrip) {
  std::mt19937 random(20240611);
  const std::string pieces[] = {"\r\n.", "\r\n..", "\n.", ".", "\r\n", "\n", "x", "\r"};
  for (int round = 0; round < 4; ++round) {
    Tree plain;
    Tree stuffed;
    for (int i = 0; i < 12; ++i) {
      const size_t blocks = std::uniform_int_distribution<size_t>(0, 3)(random);
      const size_t size = blocks * kMessageBlockSize +
                          std::uniform_int_distribution<size_t>(0, 8)(random) -
                          (blocks > 0 ? 4 : 0);
      std::string message;
      while (message.size() < size) {
        if (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
          message += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        } else {
          message += pieces[std::uniform_int_distribution<size_t>(0, 7)(random)];
        }
      }
      message.resize(size);
      const std::string name = std::to_string(round) + "_" + std::to_string(i);
      Put(name + ".tmp", Stuffed(message));
      stuffed[name + ".tmp"] = Stuffed(message);
      plain["inbox/" + name + ".imap"] = message;
    }
    plain["inbox/"] = "";
    stuffed["inbox/"] = "";
    ASSERT_TRUE(Convert(kToImap));
    ASSERT_EQ(DifferencesFrom(plain), "") << "round " << round;
    ASSERT_TRUE(Convert(kFromImap));
    ASSERT_EQ(DifferencesFrom(stuffed), "") << "round " << round;
    fs::remove_all(MailRoot());
  }
}

}  // namespace
}  // namespace tarvelin

#include "jobs/backup/backup_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "jobs/backup/test_archive.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::ArchiveBuilder;
using testing::TempDir;

namespace fs = std::filesystem;

// Unpacks into inst/config/ of a scratch directory; everything below the
// scratch directory but outside inst/ would be an escape.
class UnpackTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_.path() + "inst/config"); }

  UnpackResult Unpack(const std::string& bytes, int threads = 2) {
    dir_.Write("archive", bytes);
    UnpackOptions options;
    options.threads = threads;
    options.durable = false;
    return UnpackArchive(env_, dir_.path() + "archive", dir_.path() + "inst/config/", options);
  }

  // Files below inst/, relative to it.
  std::set<std::string> Files() const {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path() + "inst")) {
      if (entry.is_regular_file()) {
        files.insert(fs::relative(entry.path(), dir_.path() + "inst").string());
      }
    }
    return files;
  }
  // Entries of the scratch directory itself.
  std::set<std::string> ScratchTop() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  TempDir dir_;
  PosixEnv env_;
};

TEST_F(UnpackTest, EntriesLandBelowTheTargetAndItsParent) {
  for (int threads : {0, 2}) {
    const UnpackResult result = Unpack(ArchiveBuilder::Version2()
                                           .Add("settings.cfg", "S")
                                           .Add("example.org\\domain.cfg", "D")
                                           .Add("..\\mail\\example.org\\bob\\1.imap", "M")
                                           .Add("empty", "")
                                           .bytes(),
                                       threads);
    EXPECT_TRUE(result.all_written);
    EXPECT_EQ(result.files_written, 4);
    EXPECT_EQ(dir_.Read("inst/config/example.org/domain.cfg"), "D");
    EXPECT_EQ(dir_.Read("inst/mail/example.org/bob/1.imap"), "M");
    EXPECT_EQ(dir_.Read("inst/config/empty"), "");
  }
}

TEST_F(UnpackTest, LaterEntriesOfTheSameNameWin) {
  ArchiveBuilder archive = ArchiveBuilder::Version2();
  for (int i = 0; i < 50; ++i) archive.Add("same.cfg", std::string(1000 * (50 - i), 'a' + i % 26));
  ASSERT_TRUE(Unpack(archive.bytes()).all_written);
  EXPECT_EQ(dir_.Read("inst/config/same.cfg"), std::string(1000, 'a' + 49 % 26));
  EXPECT_EQ(Files(), std::set<std::string>{"config/same.cfg"}) << "no temporary file is left";
}

TEST_F(UnpackTest, StoredDataAndTheEndMarker) {
  const std::string big(300000, 'q');  // more than one copy block
  const UnpackResult result = Unpack(ArchiveBuilder::Version2(/*compressed=*/false)
                                         .Add("big", big)
                                         .End()
                                         .Append("garbage after the end marker")
                                         .bytes());
  EXPECT_TRUE(result.all_written);
  EXPECT_EQ(dir_.Read("inst/config/big"), big);
  EXPECT_EQ(Files(), std::set<std::string>{"config/big"});
}

TEST_F(UnpackTest, Version1Archive) {
  const UnpackResult result = Unpack(
      ArchiveBuilder::Version1().Add("settings.cfg", "v1 data").Add("a\\b.dat", "B").bytes());
  EXPECT_TRUE(result.all_written);
  EXPECT_EQ(dir_.Read("inst/config/settings.cfg"), "v1 data");
  EXPECT_EQ(dir_.Read("inst/config/a/b.dat"), "B");
}

TEST_F(UnpackTest, NamesLeavingTheInstallationAreSkippedAndReported) {
  for (const char* name : {"..\\..\\escaped", "a\\..\\..\\..\\escaped", "/tmp/escaped", "\\escaped",
                           "C:\\escaped", "..\\C:\\escaped"}) {
    const UnpackResult result =
        Unpack(ArchiveBuilder::Version2().Add(name, "evil").Add("after", "ok").bytes());
    EXPECT_TRUE(result.complete) << name;
    EXPECT_FALSE(result.all_written) << name;
    EXPECT_EQ(dir_.Read("inst/config/after"), "ok") << "unpacking goes on: " << name;
    EXPECT_EQ(ScratchTop(), (std::set<std::string>{"archive", "inst"})) << name;
  }
  EXPECT_FALSE(fs::exists("/tmp/escaped"));
}

TEST_F(UnpackTest, CutOffEntriesWriteNothing) {
  const std::string good = ArchiveBuilder::Version2().Add("first", "1").bytes();
  struct Case {
    const char* what;
    std::string tail;
  };
  const Case cases[] = {
      {"size past the end", std::string("\x06"
                                        "second\xff\xff\xff\x7f"
                                        "abc",
                                        14)},
      {"size field cut", std::string("\x06"
                                     "second\x01\x00",
                                     9)},
      {"name cut", std::string("\x20"
                               "sec",
                               4)},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir_.path() + "inst/config");
    fs::create_directories(dir_.path() + "inst/config");
    const UnpackResult result = Unpack(good + c.tail);
    EXPECT_TRUE(result.opened) << c.what;
    EXPECT_FALSE(result.complete) << c.what;
    EXPECT_FALSE(result.all_written) << c.what;
    EXPECT_NE(result.failure.message().find("nothing was restored"), std::string::npos) << c.what;
    EXPECT_EQ(Files(), std::set<std::string>{}) << c.what;
  }
}

// An archive cut anywhere but between two entries (inside a head, inside
// data, just before the end marker) changes no file: not a mix of old and
// new.
TEST_F(UnpackTest, ATruncatedArchiveChangesNoFile) {
  for (bool compressed : {true, false}) {
    ArchiveBuilder archive = ArchiveBuilder::Version2(compressed);
    std::set<size_t> boundaries = {archive.bytes().size()};
    for (const char* name : {"settings.cfg", "example.org\\users.cfg", "..\\mail\\a\\1.tmp"}) {
      archive.Add(name, std::string(40, 'n') + name);
      boundaries.insert(archive.bytes().size());
    }
    const std::string whole = archive.End().bytes();
    for (size_t cut = 1; cut < whole.size() - 1; ++cut) {
      if (boundaries.count(cut) != 0) continue;
      SCOPED_TRACE(std::to_string(cut) + (compressed ? " compressed" : " stored"));
      fs::remove_all(dir_.path() + "inst");
      dir_.Write("inst/config/settings.cfg", "old settings");
      dir_.Write("inst/config/example.org/users.cfg", "old users");
      const UnpackResult result = Unpack(whole.substr(0, cut));
      EXPECT_FALSE(result.all_written);
      EXPECT_EQ(result.files_written, 0);
      EXPECT_EQ(dir_.Read("inst/config/settings.cfg"), "old settings");
      EXPECT_EQ(dir_.Read("inst/config/example.org/users.cfg"), "old users");
      EXPECT_EQ(Files(), (std::set<std::string>{"config/settings.cfg", "config/example.org/users.cfg"}));
    }
  }
}

// Entries of temporary files and of the file left alone never land, and
// temporary files of ended processes go from the folders entries go to.
TEST_F(UnpackTest, WorkFilesNeverLandAndStaleOnesGo) {
  const std::string stale = ".~tarvelin.999999999.00ab.1";
  const std::string mine = ".~tarvelin." + std::to_string(::getpid()) + ".00ab.1";
  dir_.Write("inst/config/admin.lock", "lock");
  dir_.Write("inst/config/" + stale, "stale");
  dir_.Write("inst/config/" + mine, "a writer of this process");
  dir_.Write("inst/mail/a/" + stale, "stale");
  dir_.Write("inst/elsewhere/" + stale, "no entry goes here");
  dir_.Write("archive", ArchiveBuilder::Version2()
                            .Add("admin.lock", "from the archive")
                            .Add("..\\config\\admin.lock", "from the archive")
                            .Add(".~tarvelin.5.00ab.1", "packed by mistake")
                            .Add("example.org\\users.cfg.tmp", "packed by mistake")
                            .Add("settings.cfg.tmp.5.00ab.2", "packed by mistake")
                            .Add("settings.cfg", "S")
                            .Add("..\\mail\\a\\1.tmp", "M")
                            .bytes());
  UnpackOptions options;
  options.durable = false;
  options.left_alone = dir_.path() + "inst/config/admin.lock";
  const UnpackResult result =
      UnpackArchive(env_, dir_.path() + "archive", dir_.path() + "inst/config/", options);
  EXPECT_TRUE(result.all_written);
  EXPECT_EQ(result.files_written, 2);
  EXPECT_EQ(dir_.Read("inst/config/admin.lock"), "lock");
  EXPECT_EQ(Files(), (std::set<std::string>{"config/admin.lock", "config/settings.cfg",
                                            "config/" + mine, "mail/a/1.tmp",
                                            "elsewhere/" + stale}));
}

TEST_F(UnpackTest, DataThatDoNotInflateAreNotWritten) {
  const std::string deflated = testing::Deflated(std::string(5000, 'z'));
  const std::string damaged = deflated.substr(0, 2) + std::string(deflated.size() - 2, '\x55');
  struct Case {
    const char* what;
    std::string data;
  };
  const Case cases[] = {
      {"not zlib at all", "plain text"},
      {"damaged stream", damaged},
      {"stream cut short", deflated.substr(0, deflated.size() / 2)},
  };
  for (const Case& c : cases) {
    dir_.Write("inst/config/bad", "previous");
    const UnpackResult result =
        Unpack(ArchiveBuilder::Version2().AddRaw("bad", c.data).Add("good", "G").bytes());
    EXPECT_TRUE(result.complete) << c.what;
    EXPECT_FALSE(result.all_written) << c.what;
    EXPECT_EQ(dir_.Read("inst/config/bad"), "previous") << c.what;
    EXPECT_EQ(dir_.Read("inst/config/good"), "G") << c.what;
    EXPECT_EQ(Files(), (std::set<std::string>{"config/bad", "config/good"})) << c.what;
  }
}

TEST_F(UnpackTest, AnEntryThatCannotBeCreatedIsReported) {
  dir_.Write("inst/config/folder/inside", "x");
  const UnpackResult result = Unpack(
      ArchiveBuilder::Version2().Add("folder", "a file over a folder").Add("b", "B").bytes());
  EXPECT_TRUE(result.complete);
  EXPECT_FALSE(result.all_written);
  EXPECT_EQ(dir_.Read("inst/config/b"), "B");
}

TEST_F(UnpackTest, MissingOrUnreadableArchive) {
  UnpackOptions options;
  EXPECT_FALSE(
      UnpackArchive(env_, dir_.path() + "missing", dir_.path() + "inst/config/", options).opened);
  const UnpackResult bad_header = Unpack(std::string("ILDS\x05\0\0\0\x01\x09\0\0\0", 13));
  EXPECT_FALSE(bad_header.opened);
  EXPECT_FALSE(bad_header.all_written);
}

TEST_F(UnpackTest, DurableModeAndProgress) {
  dir_.Write("archive", ArchiveBuilder::Version2().Add("a", "1").Add("b", "22").bytes());
  std::vector<ArchiveProgress> seen;
  UnpackOptions options;
  options.threads = 2;
  options.progress = [&](const ArchiveProgress& p) { seen.push_back(p); };
  ASSERT_TRUE(
      UnpackArchive(env_, dir_.path() + "archive", dir_.path() + "inst/config/", options).all_written);
  EXPECT_EQ(dir_.Read("inst/config/b"), "22");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].files_done, 2);
  EXPECT_EQ(seen[1].bytes_done, seen[1].bytes_total) << "the whole archive was read";
  EXPECT_LT(seen[0].bytes_done, seen[1].bytes_done);
}

// The seed corpus of the fuzz target: each must unpack without leaving the
// scratch installation.
TEST_F(UnpackTest, FuzzSeedsStayInsideTheInstallation) {
  const fs::path corpus = fs::path(TARVELIN_SOURCE_DIR) / "fuzz/corpus/archive_reader";
  int seeds = 0;
  for (const auto& seed : fs::directory_iterator(corpus)) {
    fs::remove_all(dir_.path() + "inst");
    fs::create_directories(dir_.path() + "inst/config");
    std::ifstream in(seed.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Unpack(bytes);
    EXPECT_EQ(ScratchTop(), (std::set<std::string>{"archive", "inst"})) << seed.path();
    ++seeds;
  }
  EXPECT_GT(seeds, 0) << "the corpus is missing";
}

}  // namespace
}  // namespace tarvelin

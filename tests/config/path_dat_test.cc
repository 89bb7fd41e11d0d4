#include "config/path_dat.h"

#include <gtest/gtest.h>

#include "config/bind_dat.h"
#include "config/config_line.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(CleanConfigLine, CutsCommentsAndTrims) {
  struct Case {
    const char* line;
    const char* cleaned;
  };
  const Case cases[] = {
      {"  /srv/config/  ", "/srv/config/"},
      {"value # comment", "value"},
      {"value // comment", "value"},
      {"/srv//double", "/srv//double"},
      {"a /* note */ b", "a  b"},
      {"a /* open", "a /* open"},
      {"#all comment", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CleanConfigLine(c.line), c.cleaned) << c.line;
}

TEST(ReadPathDat, LinesByNumberWithDirectoriesEndingInASeparator) {
  testing::TempDir dir;
  PosixEnv env;
  dir.Write("path.dat",
            "\n/srv/second\n\n tag # node\nshare;u;p\n/spam\n/cal/\n/fwd\n/retry\n1.2.3.4|5.6.7.8\n"
            "host.example\nline 12 is ignored\n");
  PathDat entries;
  ReadPathDat(env, dir.path(), &entries);
  EXPECT_EQ(entries.line(1), "") << "an empty first line leaves the config directory alone";
  EXPECT_EQ(entries.line(2), "/srv/second/");
  EXPECT_EQ(entries.line(4), "tag");
  EXPECT_EQ(entries.line(6), "/spam/");
  EXPECT_EQ(entries.line(7), "/cal/");
  EXPECT_EQ(entries.line(8), "/fwd/");
  EXPECT_EQ(entries.line(9), "/retry/");
  EXPECT_EQ(PathDatServerAddresses(entries), "1.2.3.4");
  EXPECT_EQ(PathDatOutgoingBind(entries), "5.6.7.8");
  EXPECT_EQ(entries.line(11), "host.example");
}

TEST(ReadPathDat, RenamesPathCfgAndKeepsHeldEntriesForEmptyLines) {
  testing::TempDir dir;
  PosixEnv env;
  dir.Write("path.cfg", "/cfg/\n");
  PathDat found;
  ReadPathDat(env, dir.path(), &found);
  EXPECT_EQ(found.line(1), "/cfg/");
  EXPECT_TRUE(dir.Exists("path.dat"));
  EXPECT_FALSE(dir.Exists("path.cfg"));

  PathDat held;
  held.line(4) = "set-by-caller";
  MergePathDat(found, &held);
  EXPECT_EQ(held.line(4), "set-by-caller");
  EXPECT_EQ(held.line(1), "/cfg/");
}

TEST(ReadPathDat, ExistingPathDatIsNotReplacedByPathCfg) {
  testing::TempDir dir;
  PosixEnv env;
  dir.Write("path.cfg", "/from-cfg/\n");
  dir.Write("path.dat", "/from-dat/\n");
  PathDat found;
  ReadPathDat(env, dir.path(), &found);
  EXPECT_EQ(found.line(1), "/from-dat/");
}

TEST(ReadPathDat, BinaryGarbageIsHarmless) {
  testing::TempDir dir;
  PosixEnv env;
  std::string garbage;
  for (int i = 0; i < 2000; ++i) garbage += static_cast<char>((i * 37) % 256);
  dir.Write("path.dat", garbage);
  PathDat found;
  ReadPathDat(env, dir.path(), &found);
  for (int n = 1; n <= PathDat::kLines; ++n) EXPECT_LE(found.line(n).size(), 255u);
}

TEST(ReadBindDat, BinaryGarbageIsHarmless) {
  testing::TempDir dir;
  PosixEnv env;
  std::string garbage = "Outgoing_Bind=";
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 131) % 256);
  dir.Write("bind.dat", garbage);
  std::string outgoing, ipv6;
  ReadBindDat(env, dir.path() + "bind.dat", &outgoing, &ipv6);
  EXPECT_EQ(outgoing.find(' '), std::string::npos);
}

TEST(ReadBindDat, LaterLinesWinAndValuesAreCleaned) {
  testing::TempDir dir;
  PosixEnv env;
  dir.Write("bind.dat",
            "no equals sign\nOutgoing_Bind=1.1.1.1\nOUTGOING_BIND = 192.168.1.2;10.0.0.1\n"
            "IPv6_Bind = fe80::1 # comment\n");
  std::string outgoing = "from path.dat", ipv6;
  ReadBindDat(env, dir.path() + "bind.dat", &outgoing, &ipv6);
  EXPECT_EQ(outgoing, "192.168.1.2");
  EXPECT_EQ(ipv6, "fe80::1");

  std::string untouched = "kept";
  ReadBindDat(env, dir.path() + "missing.dat", &untouched, &ipv6);
  EXPECT_EQ(untouched, "kept");
}

}  // namespace
}  // namespace tarvelin

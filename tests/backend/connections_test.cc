// The registry behind db.so's exports, called directly: connections kept
// by text, the current one, the frame of every call and the texts.
#include "backend/connections.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

#include "support/temp_dir.h"

namespace tarvelin::backend {
namespace {

TEST(BackendConnections, KeepsConnectionsByTextAndNamesTheCurrentOne) {
  testing::TempDir dir;
  const std::string first = "driver=sqlite;database=" + dir.path() + "one.db";
  const std::string second = "driver=sqlite;database=" + dir.path() + "two.db";
  EXPECT_EQ(ConnectionFor("current").status().message(), "no connection set");

  auto current = SetCurrentConnection(first);
  ASSERT_TRUE(current.ok()) << current.status().ToString();
  auto kept = ConnectionFor(second);
  ASSERT_TRUE(kept.ok()) << kept.status().ToString();
  EXPECT_EQ(*ConnectionFor(second), *kept) << "opened once, then kept";
  auto by_name = ConnectionFor("any name without equals");
  ASSERT_TRUE(by_name.ok());
  EXPECT_EQ(*by_name, *CurrentConnection());
  EXPECT_NE(*by_name, *kept);
  EXPECT_EQ(CurrentConnectionText(), first);

  ReloadConnections();
  EXPECT_EQ(CurrentConnectionText(), first) << "the current one stays current";
  EXPECT_TRUE(ConnectionOf(*current).ok()) << "and its handle stays good";
  EXPECT_TRUE(ConnectionFor(second).ok());

  CloseConnections();
  EXPECT_EQ(CurrentConnectionText(), "");
  EXPECT_EQ(CurrentConnection().status().message(), "no connection set");
  EXPECT_FALSE(ConnectionFor("driver=sqlite;database=" + dir.path() + "no/such/dir.db").ok());
}

TEST(BackendConnections, GuardedTurnsFailuresIntoTheLastError) {
  const struct {
    std::function<Result<int>()> call;
    int result;
    std::string error;
  } cases[] = {
      {[]() -> Result<int> { return 7; }, 7, ""},
      {[]() -> Result<int> { return Status::NotFound("no such thing"); }, -1, "no such thing"},
      {[]() -> Result<int> { throw std::runtime_error("boom"); }, -1, "unexpected failure: boom"},
      {[]() -> Result<int> { throw 42; }, -1, "unexpected failure"},
  };
  for (const auto& c : cases) {
    SetLastError("left over");
    EXPECT_EQ(Guarded<int>(-1, c.call), c.result);
    EXPECT_EQ(LastError(), c.error);
  }
  GuardedVoid([] { return Status::Refused("said no"); });
  EXPECT_EQ(LastError(), "said no");
}

TEST(BackendConnections, TextsAreLengthPrefixedAndCut) {
  EXPECT_EQ(TextIn(nullptr), "");
  const uint8_t in[] = {3, 'a', '\0', 'c', 'x'};
  EXPECT_EQ(TextIn(in), std::string("a\0c", 3));
  uint8_t out[256];
  std::memset(out, 0xEE, sizeof out);
  TextOut(std::string(300, 'z'), out);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[255], 'z');
  TextOut("", out);
  EXPECT_EQ(out[0], 0);
}

}  // namespace
}  // namespace tarvelin::backend

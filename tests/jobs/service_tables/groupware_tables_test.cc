// The groupware tables are the groupware service's to make: the library
// stores the connection where the service reads it, sends the commands and
// reports what the service answered.
#include "jobs/service_tables/groupware_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "support/fake_service.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

class GroupwareTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = dir_.path() + "inst/";
    {
      Context creator;
      ASSERT_TRUE(CreateInstallation(creator, install_, {"example.org"}).ok());
    }
    ASSERT_TRUE(Init(context_, install_.c_str()).ok());
    run_ = context_.Channel().run_dir();
    fs::create_directories(run_);
  }
  std::string Stored() {
    std::ifstream in(install_ + "config/groupwaredb.dat", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  testing::TempDir dir_;
  std::string install_;
  std::string run_;
  Context context_;
};

TEST_F(GroupwareTablesTest, CreateStoresTheTextAndAsksTheService) {
  FakeService groupware(run_, "TarvelinCalendar", /*answer=*/1);
  ASSERT_TRUE(groupware.ready());
  const std::string text = "driver=postgresql;host=db;dbname=groupware;" + std::string(300, 'x');
  ASSERT_TRUE(CreateGroupwareTables(context_, text).ok());
  EXPECT_EQ(Stored(), text.substr(0, 255) + "\r\n");
  EXPECT_EQ(GroupwareConnection(context_), text.substr(0, 255));
  EXPECT_EQ(groupware.Requests(), (std::vector<std::string>{CommandHex(4096, 1280, 0, 0),
                                                            CommandHex(4099, 1280, 3841, 0)}));

  ASSERT_TRUE(DropGroupwareTables(context_).ok());
  EXPECT_EQ(groupware.Requests().back(), CommandHex(4099, 1280, 3842, 0));
  EXPECT_EQ(GroupwareConnection(context_), text.substr(0, 255)) << "a drop keeps the text";
}

TEST_F(GroupwareTablesTest, AnyAnswerButOneIsAFailure) {
  {
    FakeService groupware(run_, "TarvelinCalendar", /*answer=*/0);
    ASSERT_TRUE(groupware.ready());
    const Status created = CreateGroupwareTables(context_, "driver=sqlite;database=gw.db");
    EXPECT_EQ(created.code(), StatusCode::kUnavailable);
    EXPECT_NE(created.message().find("answer 0"), std::string::npos) << created.message();
    EXPECT_EQ(DropGroupwareTables(context_).code(), StatusCode::kUnavailable);
  }
  // No service at all: the text is stored for when it starts.
  const Status created = CreateGroupwareTables(context_, "driver=sqlite;database=gw.db");
  EXPECT_EQ(created.code(), StatusCode::kUnavailable);
  EXPECT_EQ(GroupwareConnection(context_), "driver=sqlite;database=gw.db");
}

TEST_F(GroupwareTablesTest, ATextOfTwoLinesIsRefusedAndNothingIsSent) {
  FakeService groupware(run_, "TarvelinCalendar", /*answer=*/1);
  ASSERT_TRUE(groupware.ready());
  ASSERT_TRUE(CreateGroupwareTables(context_, "driver=sqlite;database=gw.db").ok());
  const size_t sent = groupware.Requests().size();
  EXPECT_EQ(CreateGroupwareTables(context_, "a\r\nb").code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(GroupwareConnection(context_), "driver=sqlite;database=gw.db");
  EXPECT_EQ(groupware.Requests().size(), sent);
}

}  // namespace
}  // namespace tarvelin

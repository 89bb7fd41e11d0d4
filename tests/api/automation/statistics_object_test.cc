#include "api/automation/statistics_object.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <thread>

#include "core/config/config_variables.h"
#include "platform/local_now.h"
#include "services/session_record.h"
#include "support/automation_installation.h"
#include "support/fake_service.h"

namespace tarvelin::testing {
namespace {

using automation::CallOutcome;
using automation::DispatchStatus;
using automation::StatisticsObject;
using automation::VarType;

std::string LE32(uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

// The shipped name of a statistics property (a bare number may resolve to
// another prefix's entry first).
automation::Variant Named(int property) {
  if (property == 0) return Text("ST_StartTime");
  if (property == 26) return Text("ST_RunningSeconds");
  if (property <= 4) return Text("ST_KBytes" + std::to_string(property));
  return Text("ST_Counter" + std::to_string(property));
}

// A counter block as a service sends it.
class Block {
 public:
  Block& At(int offset, int64_t value, int width) {
    for (int i = 0; i < width; ++i) bytes_[offset + i] = static_cast<char>(value >> (8 * i));
    return *this;
  }
  Block& Start(double when) {
    std::memcpy(bytes_.data() + 8, &when, 8);
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_ = std::string(120, '\0');
};

class StatisticsObjectTest : public AutomationInstallation {
 protected:
  StatisticsObjectTest() : run_dir_(dir_.path() + "run/"), object_(Create("OrvikCOM.StatisticsObject")) {}

  StatisticsObject& statistics() { return static_cast<StatisticsObject&>(*object_); }

  void Serve(const std::string& name) {
    services_.push_back(std::make_unique<FakeService>(run_dir_, name));
    ASSERT_TRUE(services_.back()->ready()) << name;
  }
  void Canned(const std::string& file, const std::string& bytes) {
    std::ofstream(run_dir_ + file, std::ios::binary) << bytes;
  }
  Variant Property(Variant command) { return Call(object_, "GetProperty", {std::move(command)}); }
  bool Bool(std::string_view member, std::vector<Variant> args) {
    Variant result = Call(object_, member, std::move(args));
    EXPECT_EQ(result.type(), VarType::kBool) << member;
    return result.boolean();
  }
  std::string Sessions(const std::string& service, bool history) {
    return Call(object_, "GetSessions", {Text(service), Variant::Bool(history)}).text();
  }

  std::string run_dir_;
  ObjectRef object_;
  std::vector<std::unique_ptr<FakeService>> services_;
};

TEST_F(StatisticsObjectTest, MembersAreMethodsFromC9InOrder) {
  const char* kNames[] = {"IsRunning", "Reset", "Poll", "GetProperty", "Start", "Stop",
                          "GetSessions"};
  const auto& members = StatisticsObject::Info().members;
  ASSERT_EQ(members.size(), std::size(kNames));
  for (size_t i = 0; i < members.size(); ++i) {
    EXPECT_EQ(members[i].name, kNames[i]);
    EXPECT_EQ(members[i].dispid, 0xc9 + static_cast<int32_t>(i)) << kNames[i];
    EXPECT_EQ(members[i].kind, automation::kMethod) << kNames[i];
  }
}

TEST_F(StatisticsObjectTest, ServiceTextsInAnyCaseAndAnythingElseIsSmtp) {
  const struct {
    const char* text;
    int id;
  } kCases[] = {{"iMaP", 8}, {"IMAP", 8}, {"pop3", 1}, {"Control", 2}, {"im", 3}, {"gw", 4},
                {"ldap", 7}, {"ftp", 10}, {"SIP", 12}, {"webmail", 0}, {"", 0}, {"1", 0}};
  for (const auto& c : kCases) {
    Call(object_, "IsRunning", {Text("pop3")});
    EXPECT_FALSE(Bool("IsRunning", {Text(c.text)})) << c.text;
    EXPECT_EQ(statistics().service_id(), c.id) << c.text;
  }
  // Start and Stop take any variant as their text.
  Call(object_, "Stop", {Text("imap")});
  Call(object_, "Start", {I4(12)});
  EXPECT_EQ(statistics().service_id(), 0);
}

TEST_F(StatisticsObjectTest, AFreshObjectReadsZeroCountersAndDateZero) {
  Variant start = Property(Text("ST_StartTime"));
  EXPECT_EQ(start.type(), VarType::kR8);
  EXPECT_EQ(start.real(), 0.0) << "30 December 1899";
  for (int property : {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                       23, 24, 25}) {
    Variant value = Property(Named(property));
    EXPECT_EQ(value.type(), VarType::kI4) << property;
    EXPECT_EQ(value.integer(), 0) << property;
  }
}

TEST_F(StatisticsObjectTest, PropertiesWithoutAValueAreEmptyAndUnlistedOnesFail) {
  // 9, 10 and 27 are listed under other prefixes, but have no counter.
  for (int property : {9, 10, 27}) EXPECT_TRUE(Property(I4(property)).empty()) << property;
  CallOutcome missing = Try(object_, "GetProperty", {Text("ST_Nothing")});
  EXPECT_EQ(missing.status, DispatchStatus::kException);
  EXPECT_EQ(missing.message, "Property st_nothing not found");

  context_.api.initialised = false;
  EXPECT_TRUE(Property(Text("ST_Counter5")).empty()) << "not initialised";
}

TEST_F(StatisticsObjectTest, PollCopiesTheBlockAndPropertiesReadItsFields) {
  const double start = 46000.25;
  Block block;
  block.Start(start)
      .At(0, 77, 4)              // 25
      .At(16, 1023, 8)           // 1: under a kilobyte
      .At(24, 1024, 8)           // 2
      .At(32, -3 * 1024 - 5, 8)  // 3: truncated toward zero
      .At(40, int64_t{5} << 42, 8)  // 4: 2^32 KB, the low 32 bits
      .At(48, 5, 4)
      .At(60, -8, 4)
      .At(64, 23, 4)
      .At(68, 24, 4)
      .At(72, 11, 4)
      .At(116, 22, 4);
  Canned("TarvelinSMTP.statistics", block.bytes() + "longer than a block");
  Serve("TarvelinSMTP");
  EXPECT_TRUE(Bool("Poll", {Text("smtp")}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(statistics().block().data()), 120),
            block.bytes());

  EXPECT_EQ(Property(Text("ST_StartTime")).real(), start);
  const struct {
    int property;
    int32_t value;
  } kCases[] = {{25, 77}, {1, 0}, {2, 1}, {3, -3}, {4, 0},   {5, 5},   {8, -8},
                {23, 23}, {24, 24}, {11, 11}, {22, 22}, {6, 0}};
  for (const auto& c : kCases) {
    EXPECT_EQ(Property(Named(c.property)).integer(), c.value) << c.property;
  }
}

TEST_F(StatisticsObjectTest, RunningSecondsGrowWithoutANewPoll) {
  const double now = LocalNowAsDateTime(context_.env());
  Canned("TarvelinSMTP.statistics", Block().Start(now - 0.5).bytes());
  Serve("TarvelinSMTP");
  ASSERT_TRUE(Bool("Poll", {Text("SMTP")}));
  const int64_t first = Property(Text("ST_RunningSeconds")).integer();
  EXPECT_GE(first, 43200);
  EXPECT_LT(first, 43200 + 60);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_GT(Property(Named(26)).integer(), first);
}

// The block and the sessions hold what the service sent: times that are no
// number read as 0 rather than as whatever an undefined conversion gives.
TEST_F(StatisticsObjectTest, StartTimesThatAreNoNumberReadAsZero) {
  const double kNotANumber = std::numeric_limits<double>::quiet_NaN();
  Canned("TarvelinSMTP.statistics", Block().Start(kNotANumber).bytes());
  SessionRecord broken;
  broken.start = std::numeric_limits<double>::infinity();
  Canned("TarvelinSMTP.sessions", SessionRecordBytes(broken));
  Serve("TarvelinSMTP");
  ASSERT_TRUE(Bool("Poll", {Text("smtp")}));
  EXPECT_EQ(Property(Named(26)).integer(), 0);
  EXPECT_NE(Sessions("smtp", false).find(" start=\"0\" "), std::string::npos);
}

TEST_F(StatisticsObjectTest, PollOfAServiceThatDoesNotRunIsFalseWithAZeroBlock) {
  Canned("TarvelinPOP3.statistics", Block().Start(46000).At(0, 9, 4).bytes());
  Serve("TarvelinPOP3");
  ASSERT_TRUE(Bool("Poll", {Text("POP3")}));
  services_.back()->Stop();
  EXPECT_FALSE(Bool("Poll", {Text("POP3")}));
  EXPECT_EQ(statistics().block(), StatisticsBlock{});
}

TEST_F(StatisticsObjectTest, ResetSendsZeroCountersWithTheStartTimeItKept) {
  const double start = 46001.5;
  Block block;
  block.Start(start).At(0, 9, 4).At(16, 4096, 8).At(4, 99, 4);
  Canned("TarvelinPOP3.statistics", block.bytes());
  Serve("TarvelinPOP3");
  EXPECT_TRUE(Bool("Reset", {Text("imap")}));
  EXPECT_EQ(Property(Text("ST_StartTime")).real(), start);
  EXPECT_EQ(Property(Named(25)).integer(), 0);
  EXPECT_EQ(Property(Named(1)).integer(), 0);
  EXPECT_GT(Property(Named(26)).integer(), 0) << "the running time is not reset";

  const std::string kept = Block().Start(start).bytes();
  const std::vector<std::string> requests = services_.back()->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], HexOf(LE32(4098) + "\x08"));
  EXPECT_EQ(requests[1], HexOf(LE32(4102) + "\x08" + kept));
  // The service keeps the block: the next Poll reads it back.
  ASSERT_TRUE(Bool("Poll", {Text("imap")}));
  EXPECT_EQ(Property(Named(0)).real(), start);
}

TEST_F(StatisticsObjectTest, ResetOfAServiceThatDoesNotRunLeavesTheBlock) {
  Canned("TarvelinSMTP.statistics", Block().At(0, 9, 4).bytes());
  Serve("TarvelinSMTP");
  ASSERT_TRUE(Bool("Poll", {Text("smtp")}));
  services_.back()->Stop();
  EXPECT_FALSE(Bool("Reset", {Text("smtp")}));
  EXPECT_EQ(Property(Named(25)).integer(), 9);
}

TEST_F(StatisticsObjectTest, StartAndStopAnswerTrueForAServiceNotInstalled) {
  for (const char* member : {"Start", "Stop"}) {
    for (const char* service : {"smtp", "ldap", "unknown"}) {
      EXPECT_TRUE(Bool(member, {Text(service)})) << member << " " << service;
    }
  }
}

TEST_F(StatisticsObjectTest, LdapAndFtpRunOnlyWithTheirSwitch) {
  Serve("TarvelinControl");
  EXPECT_TRUE(Bool("IsRunning", {Text("CONTROL")}));
  EXPECT_FALSE(Bool("IsRunning", {Text("LDAP")})) << "variable 109 is 0";
  EXPECT_FALSE(Bool("IsRunning", {Text("FTP")})) << "variable 422 is 0";
  const uint8_t on = 1;
  ASSERT_TRUE(SetConfigSetting(context_, 109, &on, 1).ok());
  EXPECT_TRUE(Bool("IsRunning", {Text("ldap")}));
  EXPECT_FALSE(Bool("IsRunning", {Text("POP3")}));
}

TEST_F(StatisticsObjectTest, SessionsReportAsXmlItems) {
  SessionRecord open;
  open.id = 4021;
  open.duration = 65535;
  open.handle = 17;
  open.start = 25569.5;  // 1 January 1970, noon
  open.server = 3;
  open.volume = 4000000000u;
  open.ip = "192.0.2.7";
  open.val = "<a & \"b\" 'c'>";
  SessionRecord ended;
  ended.id = 1;
  ended.status = 1;
  ended.start = 25568;  // the day before: negative seconds
  ended.val = "caf\xe9";
  Canned("TarvelinIM.sessions", SessionRecordBytes(open) + SessionRecordBytes(ended));
  Canned("TarvelinIM.history", SessionRecordBytes(ended) + "tail!");
  Serve("TarvelinIM");

  EXPECT_EQ(Sessions("sip", false),
            "<sessions>"
            "<item id=\"4021\" status=\"0\" duration=\"65535\" handle=\"17\" start=\"43200\" "
            "server=\"3\" volume=\"4000000000\" ip=\"192.0.2.7\" "
            "val=\"&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;\"/>\r\n"
            "<item id=\"1\" status=\"1\" duration=\"0\" handle=\"0\" start=\"-86400\" "
            "server=\"0\" volume=\"0\" ip=\"\" val=\"caf\xc3\xa9\"/>\r\n"
            "</sessions>\r\n");
  EXPECT_EQ(Sessions("im", true),
            "<sessions><item id=\"1\" status=\"1\" duration=\"0\" handle=\"0\" start=\"-86400\" "
            "server=\"0\" volume=\"0\" ip=\"\" val=\"caf\xc3\xa9\"/>\r\n</sessions>\r\n")
      << "the tail shorter than a record is no session";
  const std::vector<std::string> requests = services_.back()->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], HexOf(LE32(4110) + "12;0"));
  EXPECT_EQ(requests[1], HexOf(LE32(4110) + "3;1"));
}

TEST_F(StatisticsObjectTest, SessionsWithoutAWholeRecordAreTheEmptyText) {
  EXPECT_EQ(Sessions("pop3", false), "") << "nobody answers";
  Serve("TarvelinPOP3");
  EXPECT_EQ(Sessions("pop3", false), "") << "a count of 0";
  Canned("TarvelinPOP3.sessions", std::string(121, 'x'));
  EXPECT_EQ(Sessions("pop3", false), "") << "less than a record";
}

}  // namespace
}  // namespace tarvelin::testing

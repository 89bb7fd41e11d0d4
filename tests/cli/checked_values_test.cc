// Values the CLI refuses because their field cannot hold them: the library's
// setters would cut or wrap them, the CLI says which limit they pass and
// stores nothing.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class CheckedValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    ASSERT_EQ(Admin(install_ + " create --domain example.org").exit_code, 0);
    ASSERT_EQ(Run("domain add example.net").exit_code, 0);
    ASSERT_EQ(Run("remote add").exit_code, 0);
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }

  testing::TempDir dir_;
  std::string install_;
};

TEST_F(CheckedValuesTest, ValuesBeyondTheirFieldAreRefusedAndNothingIsStored) {
  const std::string long_host(128, 'h');
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      // Numbers: the width and sign of the field.
      {"config set C_SMTPPort 70000", "70000 does not fit in 2 bytes (0 to 65535)"},
      {"config set 27 65536", "65536 does not fit in 2 bytes (0 to 65535)"},
      {"config set 27 -- -1", "-1 does not fit in 2 bytes (0 to 65535)"},
      {"remote set 0 RA_Number247 256", "256 does not fit in 1 byte (0 to 255)"},
      {"domain set example.net D_DomainAdminLimit 65536",
       "65536 does not fit in 2 bytes (0 to 65535)"},
      {"domain set example.net D_DomainDiskQuota 4294967296",
       "4294967296 does not fit in 4 bytes (0 to 4294967295)"},
      // Texts: the capacity of the field.
      {"config set 11 " + long_host, "a text of 128 characters is longer than 127 characters"},
      {"domain set example.net D_DomainValue " + std::string(63, 'v'),
       "a text of 63 characters is longer than 62 characters"},
      // Flags: 1/0, true/false, on/off and nothing else.
      {"config set 41 2", "not a flag (1/0, true/false, on/off): 2"},
      {"domain set example.net D_DomainIM 255", "not a flag (1/0, true/false, on/off): 255"},
      // Dates.
      {"domain set example.net D_DomainExpiryDate 2031-13-01", "not a date"},
      {"domain set example.net D_DomainExpiryDate 99999999",
       "99999999 is no date from 0001-01-01 to 9999-12-31"},
      // Addresses and host names the services would not understand.
      {"config set 39 '192.0.2.1;not-an-ip'", "\"not-an-ip\" is not an IP address"},
      {"config set 11 mx_1.example.org",
       "\"mx_1.example.org\" has '_': a label holds only letters, digits and hyphens"},
      {"config set 366 mail.example.net:99999", "\"99999\" is not a port (1 to 65535)"},
      {"config set 366 'mail..example.net'", "\"mail..example.net\" has an empty label"},
      {"domain ip example.net 'not-an-ip;999.1.1.1'", "\"not-an-ip\" is not an IP address"},
      {"domain ip example.net '192.0.2.1;999.1.1.1'", "\"999.1.1.1\" is not an IP address"},
      {"domain ip example.net '192.0.2.1;;192.0.2.2'", "has an empty item"},
      {"domain ip example.net '   '", "has an empty item"},
      {"domain ip example.net " + std::string(64, '1') + "." + std::string(64, '2') + "." +
           std::string(64, '3') + "." + std::string(64, '4'),
       "the addresses are 259 characters, longer than 255 characters"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, 4) << c.arguments << "\n" << run.output;
    EXPECT_EQ(run.output.find("tarvelin-admin: "), 0u) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n" << run.output;
  }
  EXPECT_EQ(Run("config get 27").output, "25\n");
  EXPECT_EQ(Run("config get 39").output, "");
  EXPECT_EQ(Run("domain ip example.net").output, "(not bound)\n");
}

TEST_F(CheckedValuesTest, ValuesAtTheirLimitsAreStored) {
  const struct {
    std::string set;
    std::string get;
    std::string shown;
  } cases[] = {
      {"config set 27 65535", "config get 27", "65535\n"},
      {"config set 41 off", "config get 41", "0\n"},
      {"config set 11 " + std::string(63, 'a') + ".example.org", "config get 11",
       std::string(63, 'a') + ".example.org\n"},
      {"config set 39 '192.0.2.1; 2001:db8::1'", "config get 39", "192.0.2.1;2001:db8::1\n"},
      {"config set 366 mail.example.net:1100", "config get 366", "mail.example.net:1100\n"},
      {"config set 366 192.0.2.9", "config get 366", "192.0.2.9\n"},
      {"domain ip example.net '192.0.2.1;2001:db8::7'", "domain ip example.net",
       "192.0.2.1;2001:db8::7\n"},
      {"remote set 0 RA_Number247 255", "--json remote show 0", "\"value\": 255"},
  };
  for (const auto& c : cases) {
    const CommandRun set = Run(c.set);
    ASSERT_EQ(set.exit_code, 0) << c.set << "\n" << set.output;
    const CommandRun got = Run(c.get);
    EXPECT_NE(got.output.find(c.shown), std::string::npos) << c.set << "\n" << got.output;
  }
}

}  // namespace
}  // namespace tarvelin

namespace tarvelin {
namespace {

// Records hold single-byte texts and show them back as Latin-1; a text typed
// in UTF-8 once went in as its UTF-8 bytes and came back garbled.
TEST_F(CheckedValuesTest, TextsTypedInUtf8ReadBackAsTyped) {
  ASSERT_EQ(Run("config set C_ServerName 'Grüße'").exit_code, 4) << "no host name";
  const CommandRun set = Run("domain set example.net D_Text 'Café Müller'");
  ASSERT_EQ(set.exit_code, 0) << set.output;
  const CommandRun shown = Run("domain show example.net");
  EXPECT_NE(shown.output.find("D_Text\t0\ttext\tCafé Müller\n"), std::string::npos)
      << shown.output;

  const CommandRun euro = Run("domain set example.net D_Text 'price in €'");
  EXPECT_EQ(euro.exit_code, 4);
  EXPECT_EQ(euro.output,
            "tarvelin-admin: \"€\" (U+20AC) cannot be stored: texts hold single-byte (Latin-1) "
            "characters only\n");
  EXPECT_NE(Run("domain show example.net").output.find("\tCafé Müller\n"), std::string::npos)
      << "nothing stored on a refusal";
}

}  // namespace
}  // namespace tarvelin

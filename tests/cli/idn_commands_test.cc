#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/cli_runner.h"

namespace tarvelin {
namespace {

struct Case {
  std::string arguments;
  int exit_code;
  std::string output;  // the whole output, or a part of the error
};

TEST(IdnCommandsTest, ConvertWithoutAnInstallation) {
  const std::vector<Case> cases = {
      {"idn to-unicode xn--bcher-kva.example.com", 0, "bücher.example.com\n"},
      {"idn to-unicode XN--bcher-kva.de", 0, "XN--bcher-kva.de\n"},
      {"idn to-unicode www.example.com.", 0, "www.example.com.\n"},
      {"idn to-unicode xn--ls8h.de", 0, "\xEF\x92\xA9.de\n"},  // kept to 16 bits
      {"idn to-ascii bücher.example.com", 0, "xn--bcher-kva.example.com\n"},
      {"idn to-ascii Bücher.DE.", 0, "xn--Bcher-kva.DE.\n"},
      {"idn to-ascii example.com", 0, "example.com\n"},
      {"idn to-ascii '😀.de'", 0, "xn--8c9bk9h.de\n"},  // as its two 16-bit units
  };
  for (const Case& c : cases) {
    const CommandRun run = Admin(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_EQ(run.output, c.output) << c.arguments;
  }
}

TEST(IdnCommandsTest, RefuseNamesThatDoNotConvertSayingWhich) {
  const std::string long_label(70000, 'a');
  const std::vector<Case> cases = {
      {"idn to-unicode ok.xn--bcher-k_a.de", 2,
       "label 2 \"xn--bcher-k_a\" cannot be decoded: the Punycode is not valid"},
      {"idn to-unicode xn--", 2, "label 1 \"xn--\" cannot be decoded: the label is empty"},
      {"idn to-unicode xn--99999999", 2, "the label overflows the arithmetic"},
      {"idn to-unicode xn--ib9b", 2, "lone surrogate"},  // decodes to U+D800
      {"idn to-ascii " + long_label + "\uFFFF", 2, "cannot be encoded: the label overflows"},
      {"idn to-ascii \"$(printf 'b\\374cher')\"", 2, "not valid UTF-8"},  // Latin-1 ü
      {"idn to-ascii", 2, "NAME is required"},
      {"idn", 2, "A subcommand is required"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Admin(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments.substr(0, 60);
    EXPECT_NE(run.output.find(c.output), std::string::npos)
        << c.arguments.substr(0, 60) << "\n" << run.output.substr(0, 300);
  }
}

TEST(IdnCommandsTest, JsonNamesBothForms) {
  const CommandRun run = Admin("--json idn to-ascii bücher.de");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(nlohmann::json::parse(run.output),
            nlohmann::json({{"name", "bücher.de"}, {"ascii", "xn--bcher-kva.de"}}));
  const CommandRun failed = Admin("--json idn to-unicode xn--.de");
  EXPECT_EQ(failed.exit_code, 2);
  EXPECT_EQ(nlohmann::json::parse(failed.output)["exit_code"], 2) << failed.output;
}

}  // namespace
}  // namespace tarvelin

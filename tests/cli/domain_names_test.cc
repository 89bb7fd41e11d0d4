// New domain names are DNS host names: domain add, domain rename and create
// --domain refuse the others, saying which rule the name breaks.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

const std::string kLabel63(63, 'a');

const struct {
  std::string name;
  std::string rule;
} kRefused[] = {
    {"a..b", "\"a..b\" has an empty label"},
    {".a", "\".a\" has an empty label"},
    {"a.", "\"a.\" has an empty label"},
    {"-shop.example", "has a label that starts or ends with a hyphen"},
    {"shop-.example", "has a label that starts or ends with a hyphen"},
    {"shop_1.example", "has '_': a label holds only letters, digits and hyphens"},
    {"'shop example.org'", "has ' ': a label holds only letters, digits and hyphens"},
    {kLabel63 + "b.example", "has a label longer than 63 characters"},
    {kLabel63 + "." + kLabel63 + "." + kLabel63 + "." + kLabel63 + ".ab",
     "is longer than 253 characters"},
    {"b\xc3\xbc"
     "cher.example",
     "has characters beyond ASCII; give its IDN form (xn--...)"},
};

class DomainNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    ASSERT_EQ(Admin(install_ + " create --domain example.org").exit_code, 0);
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }

  testing::TempDir dir_;
  std::string install_;
};

TEST_F(DomainNamesTest, AddAndRenameRefuseNamesThatAreNoHostNames) {
  for (const auto& c : kRefused) {
    // "--": a name may start with a hyphen.
    for (const char* command : {"domain add -- ", "domain rename example.org -- "}) {
      const CommandRun run = Run(std::string(command) + c.name);
      EXPECT_EQ(run.exit_code, 4) << command << c.name << "\n" << run.output;
      EXPECT_NE(run.output.find(c.rule), std::string::npos) << run.output;
    }
  }
  EXPECT_EQ(Run("domain list").output, "0\texample.org\n") << "nothing was added or renamed";
}

TEST_F(DomainNamesTest, HostNamesAreTaken) {
  for (const std::string& name : {kLabel63 + ".example", std::string("xn--bcher-kva.example"),
                                  std::string("a-1.b2.example")}) {
    const CommandRun added = Run("domain add " + name);
    EXPECT_EQ(added.exit_code, 0) << name << "\n" << added.output;
  }
  EXPECT_EQ(Run("domain rename xn--bcher-kva.example shop-2.example").exit_code, 0);
}

TEST(DomainNamesCreateTest, CreateRefusesANameThatIsNoHostNameAndWritesNothing) {
  testing::TempDir dir;
  for (const auto& c : kRefused) {
    const CommandRun run =
        Admin("--install-dir " + dir.path() + "inst create --domain ok.example --domain=" + c.name);
    EXPECT_EQ(run.exit_code, 4) << c.name << "\n" << run.output;
    EXPECT_NE(run.output.find("cannot create the installation: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(c.rule), std::string::npos) << run.output;
  }
  EXPECT_FALSE(dir.Exists("inst"));
}

}  // namespace
}  // namespace tarvelin

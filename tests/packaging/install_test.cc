// `cmake --install` into a scratch prefix gives what a packager ships: a C
// program builds against it with pkg-config and with the CMake package, the
// installed CLI runs, its man page names every command, and the bash
// completion completes.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

constexpr const char* kProgram = R"(#include <stdio.h>
#include <tarvelin/api.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  int32_t loaded = Init(argv[1]);
  printf("%d %d\n", (int)loaded, (int)GetDomainCount());
  Done();
  return 0;
}
)";

class InstallTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix_dir_ = new testing::TempDir();
    prefix_ = prefix_dir_->path() + "prefix/";
    install_run_ = new CommandRun(Shell(std::string(TARVELIN_CMAKE_COMMAND) + " --install " +
                                        TARVELIN_BINARY_DIR + " --prefix " + prefix_));
  }
  static void TearDownTestSuite() {
    delete install_run_;
    delete prefix_dir_;
  }
  void SetUp() override { ASSERT_EQ(install_run_->exit_code, 0) << install_run_->output; }

  static std::string LibDir() { return prefix_ + TARVELIN_INSTALL_LIBDIR + "/"; }
  static std::string Cli() { return prefix_ + "bin/tarvelin-admin"; }
  // A fresh installation with one domain, made by the installed CLI.
  std::string MakeInstallation() {
    const std::string dir = work_.path() + "inst";
    const CommandRun created = Shell(Cli() + " --install-dir " + dir + " create --domain example.org");
    EXPECT_EQ(created.exit_code, 0) << created.output;
    return dir;
  }

  static testing::TempDir* prefix_dir_;
  static std::string prefix_;
  static CommandRun* install_run_;
  testing::TempDir work_;
};

testing::TempDir* InstallTest::prefix_dir_ = nullptr;
std::string InstallTest::prefix_;
CommandRun* InstallTest::install_run_ = nullptr;

TEST_F(InstallTest, LaysOutEveryPiece) {
  for (const std::string& file :
       {LibDir() + "libtarvelinapi.so", prefix_ + "include/tarvelin/api.h",
        LibDir() + "pkgconfig/tarvelin-admin.pc",
        LibDir() + "cmake/TarvelinAdmin/TarvelinAdminConfig.cmake",
        LibDir() + "cmake/TarvelinAdmin/TarvelinAdminConfigVersion.cmake", Cli(),
        prefix_ + "share/tarvelin-admin/apiconst.pas",
        prefix_ + "share/man/man1/tarvelin-admin.1",
        prefix_ + "share/bash-completion/completions/tarvelin-admin"}) {
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
  }
  const CommandRun version = Shell(Cli() + " --version");
  EXPECT_EQ(version.output, std::string("tarvelin-admin ") + TARVELIN_VERSION + "\n");
}

TEST_F(InstallTest, ACProgramBuildsWithPkgConfig) {
  work_.Write("hello.c", kProgram);
  const std::string pkg = "PKG_CONFIG_PATH=" + LibDir() + "pkgconfig pkg-config";
  EXPECT_EQ(Shell(pkg + " --modversion tarvelin-admin").output,
            std::string(TARVELIN_VERSION) + "\n");
  const CommandRun built = Shell("cc -std=c99 -Wall -Werror -o " + work_.path() + "hello " +
                                 work_.path() + "hello.c $(" + pkg +
                                 " --cflags --libs tarvelin-admin)");
  ASSERT_EQ(built.exit_code, 0) << built.output;
  const std::string installation = MakeInstallation();
  const CommandRun ran =
      Shell("LD_LIBRARY_PATH=" + LibDir() + " " + work_.path() + "hello " + installation);
  EXPECT_EQ(ran.output, "0 1\n") << "Init succeeds and sees the one domain";
}

TEST_F(InstallTest, ACProgramBuildsWithTheCMakePackage) {
  work_.Write("consumer/hello.c", kProgram);
  work_.Write("consumer/CMakeLists.txt",
              "cmake_minimum_required(VERSION 3.25)\n"
              "project(consumer C)\n"
              "find_package(TarvelinAdmin 0.13 REQUIRED)\n"
              "add_executable(hello hello.c)\n"
              "target_link_libraries(hello PRIVATE Tarvelin::api)\n");
  const std::string cmake = TARVELIN_CMAKE_COMMAND;
  const std::string source = work_.path() + "consumer";
  const std::string build = work_.path() + "consumer-build";
  const CommandRun configured =
      Shell(cmake + " -S " + source + " -B " + build + " -DCMAKE_PREFIX_PATH=" + prefix_);
  ASSERT_EQ(configured.exit_code, 0) << configured.output;
  const CommandRun built = Shell(cmake + " --build " + build);
  ASSERT_EQ(built.exit_code, 0) << built.output;
  EXPECT_EQ(Shell(build + "/hello " + MakeInstallation()).output, "0 1\n");
}

TEST_F(InstallTest, TheManPageNamesEveryCommand) {
  const CommandRun page = Shell("groff -man -Tascii -P-cbou -rLL=200n " + prefix_ + "share/man/man1/tarvelin-admin.1");
  ASSERT_EQ(page.exit_code, 0) << page.output;
  std::istringstream help(Shell(Cli() + " --help").output);
  std::string line;
  bool in_subcommands = false;
  std::vector<std::string> commands;
  while (std::getline(help, line)) {
    if (line == "Subcommands:") {
      in_subcommands = true;
    } else if (in_subcommands && line.rfind("  ", 0) == 0) {
      commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    } else {
      in_subcommands = false;
    }
  }
  ASSERT_FALSE(commands.empty());
  for (const std::string& command : commands) {
    EXPECT_NE(page.output.find(command), std::string::npos) << command;
  }
  EXPECT_NE(page.output.find("EXIT STATUS"), std::string::npos);
}

TEST_F(InstallTest, BashCompletesCommandsAndOptions) {
  const struct {
    std::string words;  // the command line typed so far, the last word being completed
    std::string completions;
  } cases[] = {
      {"acc", "account"},
      {"account l", "list"},
      {"--json domain re", "rename"},
      {"config --js", "--json"},
      {"mig", "migrate"},
      {"migrate f", "finish"},
      {"migrate check --file list.txt --ti", "--timeout"},
      {"report t", "traffic"},
      {"report traffic 2006/1/1 2006/1/31 -o out.csv --per", "--per-day"},
  };
  const std::string script = prefix_ + "share/bash-completion/completions/tarvelin-admin";
  for (const auto& c : cases) {
    const CommandRun run = Shell("bash -c 'source " + script + "; COMP_WORDS=(" + Cli() + " " +
                                 c.words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); " +
                                 "_tarvelin_admin; echo \"${COMPREPLY[*]}\"'");
    EXPECT_EQ(run.output, c.completions + "\n") << c.words;
  }
}

}  // namespace
}  // namespace tarvelin

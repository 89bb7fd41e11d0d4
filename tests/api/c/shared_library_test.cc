// The shared library exports exactly the C API and hides everything else.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string LibraryPath() { return std::string(TARVELIN_BINARY_DIR) + "/libtarvelinapi.so"; }

std::string ReadSource(const char* relative) {
  std::ifstream in(std::string(TARVELIN_SOURCE_DIR) + "/" + relative);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every function api.h and automation.h declare for export.
std::set<std::string> DeclaredFunctions() {
  const std::regex declaration(
      R"(TARVELIN_(?:AUTOMATION_)?API\s+(?:const\s+)?(?:int32_t|uint8_t|void|char)\s*\*?\s*(\w+)\s*\()");
  std::set<std::string> names;
  for (const char* file : {"include/tarvelin/api.h", "include/tarvelin/automation.h"}) {
    const std::string header = ReadSource(file);
    for (auto it = std::sregex_iterator(header.begin(), header.end(), declaration);
         it != std::sregex_iterator(); ++it) {
      names.insert((*it)[1]);
    }
  }
  return names;
}

std::set<std::string> DynamicSymbols() {
  const std::string command = "nm -D --defined-only " + LibraryPath();
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::set<std::string> defined;
  if (!pipe) return defined;
  char line[1024];
  while (fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::istringstream fields(line);
    std::string address, kind, name;
    fields >> address >> kind >> name;
    if (kind == "T" || kind == "D" || kind == "B" || kind == "W") defined.insert(name);
  }
  return defined;
}

TEST(SharedLibrary, ExportsTheDeclaredApiAndNothingElse) {
  const std::set<std::string> declared = DeclaredFunctions();
  EXPECT_TRUE(declared.count("Init") && declared.count("GetConfigSetting"));
  EXPECT_TRUE(declared.count("TvInvoke") && declared.count("TvLastErrorText") &&
              declared.count("DllRegisterServer"));
  EXPECT_EQ(DynamicSymbols(), declared);
}

TEST(SharedLibrary, LoadsAndAnswersNotInitialised) {
  void* handle = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  using GetCount = int32_t (*)();
  auto get_count = reinterpret_cast<GetCount>(dlsym(handle, "GetDomainCount"));
  ASSERT_NE(get_count, nullptr);
  EXPECT_EQ(get_count(), -5);
  dlclose(handle);
}

}  // namespace

// The shared library exports exactly the C API and hides everything else.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace {

const char* const kExports[] = {
    "Init",
    "Done",
    "GetConfigSetting",
    "SetConfigSetting",
    "SaveConfig",
    "UpdateConfiguration",
    "ReloadServices",
    "GetDomainCount",
    "GetDomainList",
    "GetDomainName",
    "GetDomainIndex",
};

std::string LibraryPath() { return std::string(TARVELIN_BINARY_DIR) + "/libtarvelinapi.so"; }

TEST(SharedLibrary, ExportsTheApiAndNothingElse) {
  const std::string command = "nm -D --defined-only " + LibraryPath();
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> defined;
  char line[1024];
  while (fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::string text(line);
    text.erase(text.find_last_not_of("\r\n") + 1);
    const size_t space = text.rfind(' ');
    const char kind = text.size() > 2 ? text[space - 1] : ' ';
    if (kind == 'T' || kind == 'D' || kind == 'B' || kind == 'W') {
      defined.insert(text.substr(space + 1));
    }
  }
  for (const char* name : kExports) {
    EXPECT_EQ(defined.count(name), 1u) << name << " is not exported";
    defined.erase(name);
  }
  for (const std::string& name : defined) ADD_FAILURE() << "also exported: " << name;
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

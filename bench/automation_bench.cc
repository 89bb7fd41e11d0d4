// GetProperty by name on an open account object through TvInvoke, against
// the GetUserSetting export it wraps on the same record.
//   build/bench/automation_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>

#include "core/config/create_installation.h"
#include "core/context.h"
#include "api/c/the_context.h"
#include "tarvelin/api.h"
#include "tarvelin/automation.h"

namespace {

// A scratch installation with one account, the library opened on it and
// registered in a scratch registry; an account object open on the account.
class OpenAccount {
 public:
  OpenAccount() {
    char scratch[] = "/tmp/tarvelin-automation-bench-XXXXXX";
    root_ = mkdtemp(scratch);
    setenv("TARVELIN_REGISTRY", (root_ + "/registry.reg").c_str(), 1);
    const std::string install = root_ + "/install/";
    if (!tarvelin::CreateInstallation(tarvelin::TheContext(), install, {"example.org"}).ok() ||
        Init(install.c_str()) != 0 || DllRegisterServer() != 0) {
      abort();
    }
    TvObject* domain = Create("OrvikCOM.DomainObject");
    Call(domain, "Open", Text("example.org"));
    TvObject* account = nullptr;
    TvVariant made = Call(domain, "NewAccount", Text("john"));
    account = made.u.object;
    Call(account, "SetProperty", Text("U_Name"), Text("John Smith"));
    Call(account, "SetProperty", Text("U_Password"), Text("Secret-Pass-1"));
    Call(account, "Save");
    TvRelease(account);
    TvRelease(domain);
    account_ = Create("OrvikCOM.AccountObject");
    Call(account_, "Open", Text("john@example.org"));
    TvGetDispId(account_, "GetProperty", &get_property_);
    index_ = GetUserIndex("example.org", "john");
    LoadUser("example.org", index_, record_, sizeof record_);
  }
  ~OpenAccount() {
    TvRelease(account_);
    std::string command = "rm -rf '" + root_ + "'";
    if (system(command.c_str()) != 0) return;
  }

  TvObject* account() const { return account_; }
  int32_t get_property() const { return get_property_; }
  const uint8_t* record() const { return record_; }

  static TvVariant Text(const char* text) {
    TvVariant v;
    TvVariantInit(&v);
    v.type = TV_TEXT;
    v.u.text = const_cast<char*>(text);
    return v;
  }

 private:
  static TvObject* Create(const char* name) {
    TvObject* object = nullptr;
    if (TvCreateObject(name, &object) != 0) abort();
    return object;
  }
  template <typename... Args>
  static TvVariant Call(TvObject* object, const char* member, Args... args) {
    int32_t dispid = 0;
    TvVariant list[] = {args..., TvVariant{}};
    TvVariant result;
    if (TvGetDispId(object, member, &dispid) != 0 ||
        TvInvoke(object, dispid, TV_METHOD | TV_PROPERTYGET, list, sizeof...(Args), &result) != 0) {
      abort();
    }
    return result;
  }

  std::string root_;
  TvObject* account_ = nullptr;
  int32_t get_property_ = 0;
  int32_t index_ = -1;
  uint8_t record_[2848] = {};
};

OpenAccount& Fixture() {
  static OpenAccount* const fixture = new OpenAccount;
  return *fixture;
}

void BM_GetUserSettingExport(benchmark::State& state) {
  OpenAccount& fixture = Fixture();
  char buffer[255];
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetUserSetting(fixture.record(), 2848, 2, buffer, sizeof buffer));
  }
}
BENCHMARK(BM_GetUserSettingExport);

void BM_GetPropertyThroughInvoke(benchmark::State& state) {
  OpenAccount& fixture = Fixture();
  TvVariant name = OpenAccount::Text("U_Name");
  TvVariant result;
  for (auto _ : state) {
    TvInvoke(fixture.account(), fixture.get_property(), TV_METHOD | TV_PROPERTYGET, &name, 1,
             &result);
    TvVariantClear(&result);
  }
}
BENCHMARK(BM_GetPropertyThroughInvoke);

}  // namespace

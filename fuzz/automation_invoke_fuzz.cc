// Random calls through the automation ABI over every class: creations by
// any name, members by name or by a made-up number, every call kind, any
// count and type of arguments, released and foreign handles. The ABI must
// answer each with a status, never crash, leak or read freed memory.
//
// Runs on a scratch installation in a scratch folder (relative paths the
// calls write land there); failed logins do not wait.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "api/automation/automation_server.h"
#include "api/automation/the_server.h"
#include "api/c/the_context.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "tarvelin/automation.h"

namespace {

// Members whose calls leave the machine (a DNS query to any address).
bool LeavesTheMachine(std::string_view member) { return member == "CheckDNSServer"; }

struct Fixture {
  Fixture() {
    char scratch[] = "/tmp/tarvelin-invoke-fuzz-XXXXXX";
    root = mkdtemp(scratch);
    install = root + "/install/";
    if (chdir(root.c_str()) != 0) abort();
    setenv("TARVELIN_REGISTRY", (root + "/registry.reg").c_str(), 1);
    setenv("TARVELIN_INSTALL_DIR", install.c_str(), 1);
    setenv("TARVELIN_RUN_DIR", (root + "/run/").c_str(), 1);
    tarvelin::Context& context = tarvelin::TheContext();
    context.set_auth_sleep([](int) {});
    if (!tarvelin::CreateInstallation(context, install, {"example.org", "other.org"}).ok()) abort();
    Reopen();
    if (DllRegisterServer() != 0) abort();
    for (const auto* info : tarvelin::automation::TheServer().classes()) {
      std::vector<std::string> names;
      for (const auto& member : info->members) {
        if (!LeavesTheMachine(member.name)) names.emplace_back(member.name);
      }
      class_names.emplace_back(info->ids.name);
      members.push_back(std::move(names));
    }
  }

  // Back to the scratch installation after a call opened another folder.
  void Reopen() {
    tarvelin::Context& context = tarvelin::TheContext();
    if (context.api.install_path != install) context.api.initialised = false;
    tarvelin::Init(context, install.c_str());
  }

  std::string root;
  std::string install;
  std::vector<std::string> class_names;
  std::vector<std::vector<std::string>> members;
};

// Texts the members meet in use, and made-up ones kept inside the scratch
// folder (no "/": a path the calls write stays relative).
std::string SomeText(FuzzedDataProvider& input, const Fixture& fixture) {
  static const char* const kKnown[] = {
      "", "example.org", "EXAMPLE.ORG", "other.org", "new.org", "john", "john@example.org",
      "mary@other.org", "@", "U_Name", "u_type", "C_ServerName", "D_AdminAliases", "RA_Schedule",
      "SC_ItemTime", "ST_StartTime", "C_Schedule149", "12", "246", "-1", "99999", "SMTP",
      "imap", "LDAP", "U_Type = 0", "U_Alias like 'j%'", "((", "x;y;z", "J\xC3\xBCrgen",
      "\xFF\xFE", "backup.tbk", "secret1", "127.0.0.1"};
  switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
    case 1:
      return kKnown[input.ConsumeIntegralInRange<size_t>(0, std::size(kKnown) - 1)];
    case 2:
      return fixture.install;
    default: {
      std::string text = input.ConsumeRandomLengthString(300);
      for (char& c : text) {
        if (c == '/') c = '_';
      }
      return text;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture* const fixture = new Fixture;
  fixture->Reopen();
  FuzzedDataProvider input(data, size);
  std::vector<TvObject*> live;
  std::vector<TvObject*> released;
  std::vector<std::string> texts;  // alive while a call borrows them

  auto pick_handle = [&]() -> TvObject* {
    switch (input.ConsumeIntegralInRange<int>(0, 5)) {
      case 0:
        return nullptr;
      case 1:
        if (!released.empty()) {
          return released[input.ConsumeIntegralInRange<size_t>(0, released.size() - 1)];
        }
        [[fallthrough]];
      default:
        if (live.empty()) return nullptr;
        return live[input.ConsumeIntegralInRange<size_t>(0, live.size() - 1)];
    }
  };

  for (int step = 0; step < 24 && input.remaining_bytes() > 0; ++step) {
    switch (input.ConsumeIntegralInRange<int>(0, 9)) {
      case 0:
      case 1: {
        std::string name;
        const int form = input.ConsumeIntegralInRange<int>(0, 3);
        const std::string& cls = fixture->class_names[input.ConsumeIntegralInRange<size_t>(
            0, fixture->class_names.size() - 1)];
        if (form == 0) name = "OrvikCOM." + cls;
        if (form == 1) name = "quorantserver." + cls;
        if (form == 2) name = "OrvikCOM.ServiceObject";
        if (form == 3) name = SomeText(input, *fixture);
        TvObject* object = nullptr;
        if (TvCreateObject(name.c_str(), &object) == 0) live.push_back(object);
        break;
      }
      case 2: {
        TvObject* object = pick_handle();
        if (!object) break;
        if (input.ConsumeBool()) {
          TvAddRef(object);
          live.push_back(object);
        } else if (TvRelease(object) == 0) {
          std::erase(live, object);
          released.push_back(object);
        } else {
          auto at = std::find(live.begin(), live.end(), object);
          if (at != live.end()) live.erase(at);
        }
        break;
      }
      default: {
        TvObject* object = pick_handle();
        int32_t dispid = input.ConsumeIntegral<int32_t>();
        if (input.ConsumeBool() && !fixture->members.empty()) {
          const auto& names = fixture->members[input.ConsumeIntegralInRange<size_t>(
              0, fixture->members.size() - 1)];
          if (!names.empty()) {
            std::string member = names[input.ConsumeIntegralInRange<size_t>(0, names.size() - 1)];
            if (input.ConsumeBool()) member[0] ^= 0x20;  // another case
            TvGetDispId(object, member.c_str(), &dispid);
          }
        }
        const int32_t kind = input.ConsumeIntegralInRange<int32_t>(0, 7);
        const int32_t argc = input.ConsumeIntegralInRange<int32_t>(0, 5);
        std::vector<TvVariant> args(static_cast<size_t>(argc));
        texts.clear();
        texts.reserve(args.size());
        for (TvVariant& arg : args) {
          TvVariantInit(&arg);
          arg.type = static_cast<uint16_t>(
              input.PickValueInArray<int>({TV_EMPTY, TV_NULL, TV_I2, TV_I4, TV_R8, TV_DATE, TV_TEXT,
                                           TV_TEXT, TV_TEXT, TV_OBJECT, TV_BOOL, TV_UI1, TV_I8, 42}));
          switch (arg.type) {
            case TV_TEXT:
              texts.push_back(SomeText(input, *fixture));
              arg.u.text = texts.back().data();
              break;
            case TV_OBJECT:
              arg.u.object = pick_handle();
              break;
            case TV_R8:
            case TV_DATE:
              arg.u.r8 = input.ConsumeFloatingPoint<double>();
              break;
            default:
              arg.u.i8 = input.ConsumeIntegralInRange<int64_t>(-3, 1 << 20);
              break;
          }
        }
        TvVariant result;
        TvVariantInit(&result);
        const bool no_args = argc > 0 && input.ConsumeProbability<float>() < 0.05f;
        TvInvoke(object, dispid, kind, no_args ? nullptr : args.data(), argc,
                 input.ConsumeBool() ? &result : nullptr);
        if (result.type == TV_OBJECT && result.u.object) {
          live.push_back(result.u.object);
          result.type = TV_EMPTY;
        }
        TvVariantClear(&result);
        break;
      }
    }
  }
  for (TvObject* object : live) TvRelease(object);
  return 0;
}

// The API object as a script reaches it through the ABI, on the process's
// one installation: each test is a process of its own.
#include <gtest/gtest.h>

#include <string>

#include "core/config/create_installation.h"
#include "core/context.h"
#include "support/scratch_registry.h"
#include "support/temp_dir.h"
#include "tarvelin/automation.h"

namespace {

class Script {
 public:
  Script() {
    registry_.Register();
    EXPECT_EQ(TvCreateObject("QuorantServer.APIObject", &api_), TV_S_OK);
  }
  ~Script() {
    if (api_) TvRelease(api_);
  }

  // The member's result; texts come back as UTF-8.
  TvVariant Call(const char* member, const char* text = nullptr) {
    int32_t dispid = -1;
    EXPECT_EQ(TvGetDispId(api_, member, &dispid), TV_S_OK) << member;
    TvVariant arg;
    TvVariantInit(&arg);
    arg.type = TV_TEXT;
    arg.u.text = const_cast<char*>(text);
    TvVariant result;
    TvVariantInit(&result);
    EXPECT_EQ(TvInvoke(api_, dispid, TV_METHOD | TV_PROPERTYGET, text ? &arg : nullptr,
                       text ? 1 : 0, &result),
              TV_S_OK)
        << member;
    return result;
  }

 private:
  tarvelin::testing::ScratchRegistry registry_;
  TvObject* api_ = nullptr;
};

TEST(ApiObjectAbi, AScriptOpensAnInstallationAndListsItsDomains) {
  tarvelin::testing::TempDir dir;
  {
    tarvelin::Context creator;
    ASSERT_TRUE(tarvelin::CreateInstallation(creator, dir.path(), {"example.org"}).ok());
  }
  Script script;
  TvVariant opened = script.Call("Init", dir.path().c_str());
  EXPECT_EQ(opened.type, TV_BOOL);
  EXPECT_EQ(opened.u.boolean, -1);
  TvVariant count = script.Call("GetDomainCount");
  EXPECT_EQ(count.type, TV_I4);
  EXPECT_EQ(count.u.i4, 1);
  TvVariant list = script.Call("GetDomainList");
  ASSERT_EQ(list.type, TV_TEXT);
  // The closing zero character ends the text at the edge.
  EXPECT_EQ(std::string(list.u.text), "example.org;");
  TvVariantClear(&list);
  EXPECT_EQ(script.Call("LastErr").u.i4, 0);
  script.Call("Done");
}

TEST(ApiObjectAbi, AScriptSeesTheUtf8OfIdnToUtf8ByteForCharacter) {
  Script script;
  auto text = [&](const char* member, const char* argument) {
    TvVariant result = script.Call(member, argument);
    EXPECT_EQ(result.type, TV_TEXT) << member;
    std::string value = result.type == TV_TEXT && result.u.text ? result.u.text : "";
    TvVariantClear(&result);
    return value;
  };
  // The bytes C3 BC of the UTF-8 ü are the code page's characters Ã and ¼.
  EXPECT_EQ(text("IDNToUTF8", "xn--bcher-kva.de"), "b\xC3\x83\xC2\xBC" "cher.de");
  // What IDNToUTF8 gave goes back the same way.
  EXPECT_EQ(text("UTF8ToIDN", "b\xC3\x83\xC2\xBC" "cher.de"), "xn--bcher-kva.de");
  // A script's own ü is one code page byte, 0xFC, which reads leniently as
  // the lead of a three-byte sequence taking "ch" with it.
  EXPECT_EQ(text("UTF8ToIDN", "b\xC3\xBC" "cher.de"), "xn--ber-ms1o.de");
}

}  // namespace

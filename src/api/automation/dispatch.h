// The member table of an automation class and the call by number: a member
// is found by its dispatch identifier and the kind of call, its arguments
// are converted to the types it declares, and what it raises becomes the
// call's failure with the message.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "api/automation/variant.h"
#include "jobs/registration/class_ids.h"

namespace tarvelin::automation {

class AutomationObject;
class AutomationServer;

// A bit set, as the ABI passes it.
enum CallKind : int { kMethod = 1, kPropertyGet = 2, kPropertyPut = 4 };

// The declared type of a parameter: texts take numbers as decimal text,
// numbers and booleans take decimal texts; a variant takes anything.
enum class Param : uint8_t { kText, kInt, kBool, kVariant };

// A member's arguments, converted to its declared types.
class Arguments {
 public:
  explicit Arguments(std::vector<Variant> values) : values_(std::move(values)) {}
  size_t size() const { return values_.size(); }
  const Variant& Value(size_t i) const { return values_.at(i); }
  const std::string& Text(size_t i) const { return values_.at(i).text(); }
  int32_t Int(size_t i) const { return static_cast<int32_t>(values_.at(i).integer()); }
  bool Bool(size_t i) const { return values_.at(i).boolean(); }

 private:
  std::vector<Variant> values_;
};

struct Member {
  std::string_view name;
  int32_t dispid;
  CallKind kind;  // one of the three
  std::vector<Param> params;
  std::function<Variant(AutomationObject&, const Arguments&)> call;
};

// A method or property of class T; `fn` may raise AutomationError.
template <class T, class Fn>
Member MemberOf(std::string_view name, int32_t dispid, CallKind kind, std::vector<Param> params,
                Fn fn) {
  return Member{name, dispid, kind, std::move(params),
                [fn](AutomationObject& self, const Arguments& args) -> Variant {
                  return fn(static_cast<T&>(self), args);
                }};
}

struct ClassInfo {
  const registration::ClassIds& ids;
  std::vector<Member> members;
  // A new object of the class, with one reference.
  std::function<AutomationObject*(AutomationServer&)> make;
};

enum class DispatchStatus { kOk, kUnknownName, kMemberNotFound, kBadParamCount, kTypeMismatch, kException };

struct CallOutcome {
  DispatchStatus status = DispatchStatus::kOk;
  Variant result;       // empty unless ok
  std::string message;  // what the member raised, for kException
};

// The dispatch identifier of a member, the name compared without regard to
// case.
std::optional<int32_t> FindDispId(const ClassInfo& info, std::string_view name);

// Calls member `dispid` of `object` for `kind`; never throws.
CallOutcome Invoke(AutomationObject& object, int32_t dispid, int kind, std::vector<Variant> args);

// The platform's message of a failed status ("Unknown name.").
std::string DispatchMessage(DispatchStatus status);

}  // namespace tarvelin::automation

#include "api/automation/dispatch.h"

#include <exception>

#include "api/automation/automation_object.h"
#include "foundation/text.h"

namespace tarvelin::automation {

namespace {

// The member a call of `kind` reaches; a method or property get before a
// put when the kind allows several.
const Member* FindMember(const ClassInfo& info, int32_t dispid, int kind) {
  for (CallKind wanted : {kMethod, kPropertyGet, kPropertyPut}) {
    if (!(kind & wanted)) continue;
    for (const Member& member : info.members) {
      if (member.dispid == dispid && member.kind == wanted) return &member;
    }
  }
  return nullptr;
}

std::optional<Variant> Converted(const Variant& value, Param param) {
  switch (param) {
    case Param::kVariant:
      return value;
    case Param::kText: {
      if (value.type() != VarType::kText && value.type() != VarType::kEmpty && !value.is_number()) {
        return std::nullopt;
      }
      std::optional<std::string> text = value.ToText();
      if (!text) return std::nullopt;
      return Variant::Text(std::move(*text));
    }
    case Param::kInt: {
      std::optional<int32_t> number = value.ToInt32();
      if (!number) return std::nullopt;
      return Variant::I4(*number);
    }
    case Param::kBool: {
      std::optional<bool> flag = value.ToBool();
      if (!flag) return std::nullopt;
      return Variant::Bool(*flag);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<int32_t> FindDispId(const ClassInfo& info, std::string_view name) {
  for (const Member& member : info.members) {
    if (EqualsNoCase(member.name, name)) return member.dispid;
  }
  return std::nullopt;
}

CallOutcome Invoke(AutomationObject& object, int32_t dispid, int kind, std::vector<Variant> args) {
  CallOutcome outcome;
  const Member* member = FindMember(object.Class(), dispid, kind);
  if (!member) {
    outcome.status = DispatchStatus::kMemberNotFound;
    return outcome;
  }
  if (args.size() != member->params.size()) {
    outcome.status = DispatchStatus::kBadParamCount;
    return outcome;
  }
  for (size_t i = 0; i < args.size(); ++i) {
    std::optional<Variant> value = Converted(args[i], member->params[i]);
    if (!value) {
      outcome.status = DispatchStatus::kTypeMismatch;
      return outcome;
    }
    args[i] = std::move(*value);
  }
  try {
    outcome.result = member->call(object, Arguments(std::move(args)));
  } catch (const std::exception& error) {
    outcome.status = DispatchStatus::kException;
    outcome.result = Variant();
    outcome.message = error.what();
  } catch (...) {
    outcome.status = DispatchStatus::kException;
    outcome.result = Variant();
    outcome.message = "Unexpected error";
  }
  return outcome;
}

std::string DispatchMessage(DispatchStatus status) {
  switch (status) {
    case DispatchStatus::kOk:
      return {};
    case DispatchStatus::kUnknownName:
      return "Unknown name.";
    case DispatchStatus::kMemberNotFound:
      return "Member not found.";
    case DispatchStatus::kBadParamCount:
      return "Invalid number of parameters.";
    case DispatchStatus::kTypeMismatch:
      return "Type mismatch.";
    case DispatchStatus::kException:
      return "Exception occurred.";
  }
  return {};
}

}  // namespace tarvelin::automation

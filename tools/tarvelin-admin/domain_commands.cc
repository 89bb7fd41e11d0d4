#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "schema/domain_record_layout.h"
#include "foundation/bytes.h"
#include "foundation/date_time.h"
#include "foundation/text.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kValueBufferSize = 4096;

void DomainList(const Output& out) {
  const int32_t count = ::GetDomainCount();
  if (count < 0) throw CommandError("cannot read the domain list (" + std::to_string(count) + ")");
  nlohmann::json names = nlohmann::json::array();
  std::string human;
  std::vector<char> buffer(256);
  for (int32_t position = 0; position < count; ++position) {
    const int32_t n = ::GetDomainName(position, buffer.data(), static_cast<int32_t>(buffer.size()));
    const std::string name = n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : "";
    names.push_back({{"index", position}, {"name", name}});
    human += std::to_string(position) + "\t" + name + "\n";
  }
  out.Emit(names, count == 0 ? "(no domains)" : human);
}

int32_t PositionOf(const std::string& name) {
  const int32_t position = ::GetDomainIndex(name.c_str());
  if (position < 0) throw CommandError("no domain " + name);
  return position;
}

DomainRecord LoadRecord(const std::string& name, int32_t position) {
  DomainRecord record{};
  if (::LoadDomain(position, record.data(), kDomainRecordSize) != kDomainRecordSize) {
    throw CommandError("cannot read the settings of domain " + name);
  }
  return record;
}

const char* KindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::kText:
      return "text";
    case FieldKind::kNumber:
      return "number";
    case FieldKind::kFlag:
    case FieldKind::kBit:
      return "flag";
    case FieldKind::kDate:
      return "date";
    case FieldKind::kPacked:
      return "packed";
    default:
      return "unknown";
  }
}

nlohmann::json ReadField(const DomainRecord& record, const DomainField& field) {
  std::vector<uint8_t> buffer(kValueBufferSize);
  const int32_t n = ::GetDomainSetting(record.data(), kDomainRecordSize, field.id, buffer.data(),
                                       kValueBufferSize);
  if (n < 0) throw CommandError("setting " + std::to_string(field.id) + " is not available");
  switch (field.kind) {
    case FieldKind::kText:
    case FieldKind::kPacked:
      return std::string(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
    case FieldKind::kNumber:
      return GetLE(buffer.data(), 4);
    case FieldKind::kFlag:
    case FieldKind::kBit:
      return buffer[0];
    case FieldKind::kDate:
      return DateTimeText(GetDouble(buffer.data()));
    default:
      return nullptr;
  }
}

std::string FieldLabel(const DomainField& field) {
  return field.name != nullptr ? field.name : "setting " + std::to_string(field.id);
}

void DomainShow(const Output& out, const std::string& name) {
  const int32_t position = PositionOf(name);
  const DomainRecord record = LoadRecord(name, position);
  nlohmann::json settings = nlohmann::json::array();
  std::string human;
  for (const DomainField& field : DomainFields()) {
    if (field.kind == FieldKind::kPacked) continue;
    const nlohmann::json value = ReadField(record, field);
    settings.push_back({{"id", field.id},
                        {"name", FieldLabel(field)},
                        {"kind", KindName(field.kind)},
                        {"value", value}});
    human += std::to_string(field.id) + "\t" + FieldLabel(field) + "\t" + HumanText(value) + "\n";
  }
  out.Emit({{"index", position}, {"settings", settings}}, human);
}

void DomainAdd(const Output& out, const std::string& name) {
  DomainRecord record{};
  // New domains start from default.ini when the configuration asks for it.
  ::SetDomainDefaults(record.data(), kDomainRecordSize, 0);
  const int32_t result = ::AddDomain(name.c_str(), record.data(), kDomainRecordSize);
  if (result != 0) {
    if (::GetDomainIndex(name.c_str()) >= 0) {
      throw CommandError("cannot add domain " + name + ": its settings were not written");
    }
    throw CommandError("cannot add domain " + name +
                       ": it exists, or the name is not 1 to 95 letters, digits, \"-\" and \".\"");
  }
  const int32_t position = PositionOf(name);
  out.Emit({{"index", position}, {"name", ToLower(name)}, {"added", true}},
           "added " + ToLower(name) + " at " + std::to_string(position));
}

void DomainSet(const Output& out, const std::string& name, int32_t id, const std::string& text) {
  const DomainField* field = FindDomainField(id);
  if (field == nullptr) throw CommandError("unknown domain setting id " + std::to_string(id));
  const int32_t position = PositionOf(name);
  DomainRecord record = LoadRecord(name, position);
  std::vector<uint8_t> value;
  switch (field->kind) {
    case FieldKind::kText:
    case FieldKind::kPacked:
      value.assign(text.begin(), text.end());
      break;
    case FieldKind::kNumber:
      value.resize(4);
      PutLE(value.data(), 4, ParseNumber(text));
      break;
    case FieldKind::kFlag:
    case FieldKind::kBit:
      value.push_back(ParseFlag(text));
      break;
    case FieldKind::kDate:
      value.resize(8);
      PutDouble(value.data(), ParseDateTime(text));
      break;
    default:
      break;
  }
  if (::SetDomainSetting(record.data(), kDomainRecordSize, id, value.data(),
                         static_cast<int32_t>(value.size())) != 0) {
    throw CommandError("setting " + std::to_string(id) + " was refused");
  }
  if (::SaveDomain(position, record.data(), kDomainRecordSize) != 0) {
    throw CommandError("cannot write the settings of domain " + name);
  }
  const nlohmann::json stored = ReadField(record, *field);
  out.Emit({{"id", id}, {"name", FieldLabel(*field)}, {"value", stored}, {"saved", true}},
           FieldLabel(*field) + " = " + HumanText(stored));
}

std::string ReadBinding(int32_t position) {
  std::vector<char> buffer(kValueBufferSize);
  const int32_t n = ::GetDomainIP(position, buffer.data(), kValueBufferSize);
  if (n < 0) throw CommandError("cannot read the binding (" + std::to_string(n) + ")");
  return std::string(buffer.data(), static_cast<size_t>(n));
}

void DomainIp(const Output& out, const std::string& name, const std::string* addresses) {
  const int32_t position = PositionOf(name);
  if (addresses != nullptr &&
      ::SetDomainIP(position, addresses->data(), static_cast<int32_t>(addresses->size())) != 0) {
    throw CommandError("cannot write the binding of domain " + name);
  }
  const std::string binding = ReadBinding(position);
  out.Emit({{"index", position}, {"addresses", binding}},
           binding.empty() ? "(not bound)" : binding);
}

void DomainRename(const Output& out, const std::string& old_name, const std::string& new_name) {
  PositionOf(old_name);
  const int32_t taken = ::GetDomainIndex(new_name.c_str());
  if (taken >= 0 && taken != ::GetDomainIndex(old_name.c_str())) {
    throw CommandError("domain " + new_name + " exists");
  }
  if (::RenameDomain(old_name.c_str(), new_name.c_str()) != 0) {
    throw CommandError("cannot rename domain " + old_name + " to " + new_name +
                       ": the new name is not 1 to 95 letters, digits, \"-\" and \".\"");
  }
  const int32_t position = PositionOf(new_name);
  out.Emit({{"index", position}, {"name", ToLower(new_name)}, {"renamed", true}},
           "renamed " + ToLower(old_name) + " to " + ToLower(new_name));
}

void DomainDelete(const Output& out, const std::string& name) {
  const int32_t position = PositionOf(name);
  if (::DeleteDomain(position) != 0) throw CommandError("cannot delete domain " + name);
  out.Emit({{"index", position}, {"name", ToLower(name)}, {"deleted", true}},
           "deleted " + ToLower(name));
}

}  // namespace

void RegisterDomainCommands(CLI::App& app, Session& session) {
  CLI::App* domain = app.add_subcommand("domain", "Domains");
  domain->require_subcommand(1);
  static std::string name;
  static int32_t id = 0;
  static std::string value;

  CLI::App* list = domain->add_subcommand("list", "List the domains");
  list->callback([&session] {
    session.Open();
    DomainList(session.out);
  });

  CLI::App* show = domain->add_subcommand("show", "Show the settings of a domain");
  show->add_option("NAME", name, "Domain name")->required();
  show->callback([&session] {
    session.Open();
    DomainShow(session.out, name);
  });

  CLI::App* add = domain->add_subcommand("add", "Add a domain (with default.ini when enabled)");
  add->add_option("NAME", name, "Domain name")->required();
  add->callback([&session] {
    session.Open();
    DomainAdd(session.out, name);
  });

  CLI::App* set = domain->add_subcommand("set", "Change one setting of a domain and save it");
  set->add_option("NAME", name, "Domain name")->required();
  set->add_option("ID", id, "Setting id")->required();
  set->add_option("VALUE", value, "Number, flag (1/0), text, or date (yyyy-mm-dd [hh:mm:ss])")
      ->required();
  set->callback([&session] {
    session.Open();
    DomainSet(session.out, name, id, value);
  });

  CLI::App* ip = domain->add_subcommand("ip", "Show or set the addresses a domain is bound to");
  ip->add_option("NAME", name, "Domain name")->required();
  CLI::Option* addresses =
      ip->add_option("ADDRESSES", value, "\";\"-separated addresses; \"\" unbinds the domain");
  ip->callback([&session, addresses] {
    session.Open();
    DomainIp(session.out, name, addresses->count() > 0 ? &value : nullptr);
  });

  static std::string new_name;
  CLI::App* rename = domain->add_subcommand(
      "rename", "Rename a domain and its configuration folder (the mail folder stays)");
  rename->add_option("OLD", name, "Domain name")->required();
  rename->add_option("NEW", new_name, "New domain name")->required();
  rename->callback([&session] {
    session.Open();
    DomainRename(session.out, name, new_name);
  });

  CLI::App* remove = domain->add_subcommand(
      "delete", "Delete a domain with its accounts, configuration and mail folders");
  remove->add_option("NAME", name, "Domain name")->required();
  remove->callback([&session] {
    session.Open();
    DomainDelete(session.out, name);
  });
}

}  // namespace tarvelin::cli

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cli_context.h"
#include "domains/domain_record_layout.h"
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

const char* KindName(DomainFieldKind kind) {
  switch (kind) {
    case DomainFieldKind::kText:
      return "text";
    case DomainFieldKind::kNumber:
      return "number";
    case DomainFieldKind::kFlag:
    case DomainFieldKind::kBit:
      return "flag";
    case DomainFieldKind::kDate:
      return "date";
    case DomainFieldKind::kPacked:
      return "packed";
  }
  return "unknown";
}

std::string FormatDate(double value) {
  CivilDateTime when;
  if (value == 0 || !DecodeDate(value, &when.date) || !DecodeTime(value, &when.time)) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
  }
  return FormatDateTime("yyyy-mm-dd hh:nn:ss", when);
}

nlohmann::json ReadField(const DomainRecord& record, const DomainField& field) {
  std::vector<uint8_t> buffer(kValueBufferSize);
  const int32_t n = ::GetDomainSetting(record.data(), kDomainRecordSize, field.id, buffer.data(),
                                       kValueBufferSize);
  if (n < 0) throw CommandError("setting " + std::to_string(field.id) + " is not available");
  switch (field.kind) {
    case DomainFieldKind::kText:
    case DomainFieldKind::kPacked:
      return std::string(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
    case DomainFieldKind::kNumber:
      return GetLE(buffer.data(), 4);
    case DomainFieldKind::kFlag:
    case DomainFieldKind::kBit:
      return buffer[0];
    case DomainFieldKind::kDate:
      return FormatDate(GetDouble(buffer.data()));
  }
  return nullptr;
}

std::string Human(const nlohmann::json& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
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
    if (field.kind == DomainFieldKind::kPacked) continue;
    const nlohmann::json value = ReadField(record, field);
    settings.push_back({{"id", field.id},
                        {"name", FieldLabel(field)},
                        {"kind", KindName(field.kind)},
                        {"value", value}});
    human += std::to_string(field.id) + "\t" + FieldLabel(field) + "\t" + Human(value) + "\n";
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

uint32_t ParseNumber(const std::string& text) {
  uint32_t value = 0;
  const std::string trimmed = Trim(text);
  const bool hex = trimmed.rfind("0x", 0) == 0 || trimmed.rfind("0X", 0) == 0;
  const char* begin = trimmed.data() + (hex ? 2 : 0);
  const char* end = trimmed.data() + trimmed.size();
  const auto [ptr, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
  if (error != std::errc() || ptr != end || begin == end) {
    throw CommandError("not a number: " + text);
  }
  return value;
}

uint8_t ParseFlag(const std::string& text) {
  const std::string lower = ToLower(Trim(text));
  if (lower == "1" || lower == "true" || lower == "on" || lower == "yes") return 1;
  if (lower == "0" || lower == "false" || lower == "off" || lower == "no") return 0;
  throw CommandError("not a flag (1/0, true/false, on/off): " + text);
}

// "yyyy-mm-dd", optionally followed by " hh:mm[:ss]".
double ParseDate(const std::string& text) {
  CivilDateTime when;
  const std::string trimmed = Trim(text);
  char tail = 0;
  const int parts =
      std::sscanf(trimmed.c_str(), "%d-%d-%d %d:%d:%d%c", &when.date.year, &when.date.month,
                  &when.date.day, &when.time.hour, &when.time.minute, &when.time.second, &tail);
  double date = 0, time = 0;
  if ((parts != 3 && parts != 5 && parts != 6) || !EncodeDate(when.date, &date) ||
      !EncodeTime(when.time, &time)) {
    throw CommandError("not a date (yyyy-mm-dd [hh:mm[:ss]]): " + text);
  }
  return date + time;
}

void DomainSet(const Output& out, const std::string& name, int32_t id, const std::string& text) {
  const DomainField* field = FindDomainField(id);
  if (field == nullptr) throw CommandError("unknown domain setting id " + std::to_string(id));
  const int32_t position = PositionOf(name);
  DomainRecord record = LoadRecord(name, position);
  std::vector<uint8_t> value;
  switch (field->kind) {
    case DomainFieldKind::kText:
    case DomainFieldKind::kPacked:
      value.assign(text.begin(), text.end());
      break;
    case DomainFieldKind::kNumber:
      value.resize(4);
      PutLE(value.data(), 4, ParseNumber(text));
      break;
    case DomainFieldKind::kFlag:
    case DomainFieldKind::kBit:
      value.push_back(ParseFlag(text));
      break;
    case DomainFieldKind::kDate:
      value.resize(8);
      PutDouble(value.data(), ParseDate(text));
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
           FieldLabel(*field) + " = " + Human(stored));
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

}  // namespace

void RegisterDomainCommands(CLI::App& app, Context& context) {
  CLI::App* domain = app.add_subcommand("domain", "Domains");
  domain->require_subcommand(1);
  static std::string name;
  static int32_t id = 0;
  static std::string value;

  CLI::App* list = domain->add_subcommand("list", "List the domains");
  list->callback([&context] {
    context.Open();
    DomainList(context.out);
  });

  CLI::App* show = domain->add_subcommand("show", "Show the settings of a domain");
  show->add_option("NAME", name, "Domain name")->required();
  show->callback([&context] {
    context.Open();
    DomainShow(context.out, name);
  });

  CLI::App* add = domain->add_subcommand("add", "Add a domain (with default.ini when enabled)");
  add->add_option("NAME", name, "Domain name")->required();
  add->callback([&context] {
    context.Open();
    DomainAdd(context.out, name);
  });

  CLI::App* set = domain->add_subcommand("set", "Change one setting of a domain and save it");
  set->add_option("NAME", name, "Domain name")->required();
  set->add_option("ID", id, "Setting id")->required();
  set->add_option("VALUE", value, "Number, flag (1/0), text, or date (yyyy-mm-dd [hh:mm:ss])")
      ->required();
  set->callback([&context] {
    context.Open();
    DomainSet(context.out, name, id, value);
  });

  CLI::App* ip = domain->add_subcommand("ip", "Show or set the addresses a domain is bound to");
  ip->add_option("NAME", name, "Domain name")->required();
  CLI::Option* addresses =
      ip->add_option("ADDRESSES", value, "\";\"-separated addresses; \"\" unbinds the domain");
  ip->callback([&context, addresses] {
    context.Open();
    DomainIp(context.out, name, addresses->count() > 0 ? &value : nullptr);
  });
}

}  // namespace tarvelin::cli

// `remote ...`: the remote accounts of remote.cfg by position, their
// settings by id.
#include <string>
#include <string_view>
#include <vector>

#include "schema/remote_record_layout.h"
#include "cli_context.h"
#include "cli_values.h"
#include "foundation/bytes.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kValueBufferSize = 4096;

const char* KindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::kText:
      return "text";
    case FieldKind::kFlag:
      return "flag";
    case FieldKind::kNumber:
      return "number";
    case FieldKind::kBlock:
      return "schedule";  // the one block of the record
    case FieldKind::kPacked:
      return "packed";
    default:
      return "unknown";
  }
}

int32_t Count() {
  const int32_t count = ::GetRACount();
  if (count < 0)
    throw CommandError("cannot read the remote accounts (" + std::to_string(count) + ")");
  return count;
}

// The record at an existing position.
RemoteAccountRecord Load(int32_t index) {
  if (index < 0 || index >= Count())
    throw CommandError("no remote account " + std::to_string(index));
  RemoteAccountRecord record{};
  if (::LoadRA(index, record.data(), kRemoteRecordSize) != kRemoteRecordSize) {
    throw CommandError("cannot read remote account " + std::to_string(index));
  }
  return record;
}

nlohmann::json ReadField(const RemoteAccountRecord& record, const RemoteField& field) {
  std::vector<uint8_t> buffer(kValueBufferSize);
  const int32_t n =
      ::GetRASetting(record.data(), kRemoteRecordSize, field.id, buffer.data(), kValueBufferSize);
  if (n < 0) throw CommandError("setting " + std::to_string(field.id) + " is not available");
  switch (field.kind) {
    case FieldKind::kText:
    case FieldKind::kPacked:
      return Utf8OfLatin1(std::string_view(reinterpret_cast<const char*>(buffer.data()), n));
    case FieldKind::kFlag:
      return buffer[0];
    case FieldKind::kNumber:
      return GetLE(buffer.data(), 4);
    case FieldKind::kBlock:
      return Hex(buffer.data(), static_cast<size_t>(n));
    default:
      return nullptr;
  }
}

const RemoteField& FieldOf(int32_t id) {
  const RemoteField* field = FindRemoteField(id);
  if (field == nullptr)
    throw CommandError("unknown remote account setting id " + std::to_string(id));
  return *field;
}

// Sets one setting from its command-line text, by the id's kind.
void SetField(RemoteAccountRecord& record, int32_t id, const std::string& text) {
  const RemoteField& field = FieldOf(id);
  std::vector<uint8_t> value;
  switch (field.kind) {
    case FieldKind::kText:
    case FieldKind::kPacked:
      value.assign(text.begin(), text.end());
      break;
    case FieldKind::kFlag:
      value.push_back(ParseFlag(text));
      break;
    case FieldKind::kNumber:
      value.resize(4);
      PutLE(value.data(), 4, ParseNumber(text));
      break;
    case FieldKind::kBlock:
      value = ParseHex(text);
      break;
    default:
      break;
  }
  if (::SetRASetting(record.data(), kRemoteRecordSize, id, value.data(),
                     static_cast<int32_t>(value.size())) != 0) {
    throw CommandError("setting " + std::to_string(id) + " was refused");
  }
}

nlohmann::json Summary(int32_t index, const RemoteAccountRecord& record) {
  return {{"index", index},
          {"login", ReadField(record, FieldOf(227))},
          {"domain", ReadField(record, FieldOf(235))},
          {"protocol", ReadField(record, FieldOf(245)) == 1 ? "IMAP" : "POP3"}};
}

void RemoteList(const Output& out) {
  const int32_t count = Count();
  nlohmann::json accounts = nlohmann::json::array();
  std::string human;
  for (int32_t index = 0; index < count; ++index) {
    const nlohmann::json summary = Summary(index, Load(index));
    accounts.push_back(summary);
    human += std::to_string(index) + "\t" + HumanText(summary["protocol"]) + "\t" +
             HumanText(summary["login"]) + "\t" + HumanText(summary["domain"]) + "\n";
  }
  out.Emit(accounts, count == 0 ? "(no remote accounts)" : human);
}

void RemoteShow(const Output& out, int32_t index) {
  const RemoteAccountRecord record = Load(index);
  nlohmann::json settings = nlohmann::json::array();
  std::string human;
  for (const RemoteField& field : RemoteFields()) {
    if (field.kind == FieldKind::kPacked) continue;
    const nlohmann::json value = ReadField(record, field);
    settings.push_back({{"id", field.id}, {"kind", KindName(field.kind)}, {"value", value}});
    human +=
        std::to_string(field.id) + "\t" + KindName(field.kind) + "\t" + HumanText(value) + "\n";
  }
  out.Emit({{"index", index}, {"settings", settings}}, human);
}

void RemoteAdd(const Output& out, const std::vector<std::string>& assignments) {
  RemoteAccountRecord record{};
  for (const std::string& assignment : assignments) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) throw CommandError("not ID=VALUE: " + assignment);
    SetField(record, static_cast<int32_t>(ParseNumber(assignment.substr(0, equals))),
             assignment.substr(equals + 1));
  }
  if (::AddRA(record.data(), kRemoteRecordSize) != 0) {
    throw CommandError("cannot write remote.cfg");
  }
  const int32_t index = Count() - 1;
  nlohmann::json json = Summary(index, record);
  json["added"] = true;
  out.Emit(json, "added remote account " + std::to_string(index));
}

void RemoteSet(const Output& out, int32_t index, int32_t id, const std::string& text) {
  const RemoteField& field = FieldOf(id);
  RemoteAccountRecord record = Load(index);
  SetField(record, id, text);
  if (::SaveRA(index, record.data(), kRemoteRecordSize) != 0) {
    throw CommandError("cannot write remote account " + std::to_string(index));
  }
  const nlohmann::json stored = ReadField(record, field);
  out.Emit({{"index", index}, {"id", id}, {"value", stored}, {"saved", true}},
           std::to_string(id) + " = " + HumanText(stored));
}

void RemoteDelete(const Output& out, int32_t index) {
  Load(index);
  if (::DeleteRA(index) != 0) throw CommandError("cannot rewrite remote.cfg");
  out.Emit({{"index", index}, {"deleted", true}},
           "deleted remote account " + std::to_string(index));
}

}  // namespace

void RegisterRemoteCommands(CLI::App& app, Session& session) {
  CLI::App* remote = app.add_subcommand("remote", "Remote accounts collected by the POP3 service");
  remote->require_subcommand(1);
  static int32_t index = 0;
  static int32_t id = 0;
  static std::string value;
  static std::vector<std::string> assignments;

  CLI::App* list = remote->add_subcommand("list", "List the remote accounts");
  list->callback([&session] {
    session.Open();
    RemoteList(session.out);
  });

  CLI::App* show = remote->add_subcommand("show", "Show every setting of a remote account by id");
  show->add_option("N", index, "Position in remote.cfg")->required();
  show->callback([&session] {
    session.Open();
    RemoteShow(session.out, index);
  });

  CLI::App* add = remote->add_subcommand("add", "Add a remote account");
  add->add_option("--set", assignments, "ID=VALUE, by the id's kind (repeatable)");
  add->callback([&session] {
    session.Open();
    RemoteAdd(session.out, assignments);
  });

  CLI::App* set =
      remote->add_subcommand("set", "Change one setting of a remote account and save it");
  set->add_option("N", index, "Position in remote.cfg")->required();
  set->add_option("ID", id, "Setting id (224 to 248)")->required();
  set->add_option("VALUE", value,
                  "Number, flag (1/0), text, or the schedule as 568 hex digits, by the id's kind")
      ->required();
  set->callback([&session] {
    session.Open();
    RemoteSet(session.out, index, id, value);
  });

  CLI::App* remove =
      remote->add_subcommand("delete", "Delete a remote account and its state files");
  remove->add_option("N", index, "Position in remote.cfg")->required();
  remove->callback([&session] {
    session.Open();
    RemoteDelete(session.out, index);
  });
}

}  // namespace tarvelin::cli

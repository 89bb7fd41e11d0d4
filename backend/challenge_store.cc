#include "backend/challenge_store.h"

#include "foundation/text.h"

namespace tarvelin::backend {
namespace {

constexpr size_t kMaxText = 255;

std::string Cut(std::string_view text) { return std::string(text.substr(0, kMaxText)); }

// How an address is kept and looked up.
std::string Key(std::string_view address) { return Cut(ToLower(Trim(address))); }

// Fields of the list's lines may hold none of its separators.
Status CheckListable(std::string_view what, std::string_view text) {
  if (text.find_first_of(";\r\n") == std::string_view::npos) return Status::Ok();
  return Status::InvalidArgument("the " + std::string(what) + " '" + std::string(text) +
                                 "' holds a ';' or a line break");
}

Status CheckState(std::string_view state) {
  if (state.size() != 1) {
    return Status::InvalidArgument("a challenge state is one character, not '" +
                                   std::string(state) + "'");
  }
  return CheckListable("state", state);
}

Status CheckAddresses(std::string_view sender, std::string_view recipient) {
  if (sender.empty()) return Status::InvalidArgument("the challenge pair has no sender");
  if (recipient.empty()) return Status::InvalidArgument("the challenge pair has no recipient");
  TARVELIN_RETURN_IF_ERROR(CheckListable("sender", sender));
  return CheckListable("recipient", recipient);
}

std::string PairName(std::string_view sender, std::string_view recipient) {
  return "'" + std::string(sender) + "' to '" + std::string(recipient) + "'";
}

// Runs a statement without rows; the rows it changed.
Result<int64_t> Change(SqlStatement& statement) {
  auto done = statement.Step();
  const int64_t changed = statement.ChangedRows();
  statement.Reset();
  if (!done.ok()) return done.status();
  return changed;
}

}  // namespace

Status CreateChallengeTables(SqlConnection& connection) {
  const char* bytes = connection.dialect() == Dialect::kPostgres ? "BYTEA" : "BLOB";
  return connection.Execute(std::string("CREATE TABLE IF NOT EXISTS challenge_pairs (") +
                            "recipient " + bytes + " NOT NULL, sender " + bytes + " NOT NULL, " +
                            "state " + bytes + " NOT NULL, folder " + bytes + " NOT NULL, " +
                            "PRIMARY KEY (recipient, sender))");
}

Status DropChallengeTables(SqlConnection& connection) {
  return connection.Execute("DROP TABLE IF EXISTS challenge_pairs");
}

Result<std::optional<ChallengePair>> FindChallenge(SqlConnection& connection,
                                                   std::string_view sender,
                                                   std::string_view recipient) {
  auto statement = connection.Prepare(
      "SELECT state, folder FROM challenge_pairs WHERE recipient = ? AND sender = ?");
  if (!statement.ok()) return statement.status();
  SqlStatement& select = **statement;
  ChallengePair pair{Key(sender), Key(recipient), "", ""};
  select.BindBytes(1, pair.recipient);
  select.BindBytes(2, pair.sender);
  auto row = select.Step();
  if (!row.ok()) return row.status();
  if (!*row) return std::optional<ChallengePair>();
  pair.state = select.ColumnBytes(0);
  pair.folder = select.ColumnBytes(1);
  select.Reset();
  return std::optional<ChallengePair>(std::move(pair));
}

Status AddChallenge(SqlConnection& connection, const ChallengePair& pair) {
  const std::string sender = Key(pair.sender);
  const std::string recipient = Key(pair.recipient);
  const std::string folder = Cut(pair.folder);
  TARVELIN_RETURN_IF_ERROR(CheckAddresses(sender, recipient));
  TARVELIN_RETURN_IF_ERROR(CheckState(pair.state));
  TARVELIN_RETURN_IF_ERROR(CheckListable("folder", folder));
  // A pair that is there keeps its folder: a pending pair's held messages
  // are found through it.
  auto statement = connection.Prepare(
      "INSERT INTO challenge_pairs (recipient, sender, state, folder) VALUES (?, ?, ?, ?)"
      " ON CONFLICT (recipient, sender) DO NOTHING");
  if (!statement.ok()) return statement.status();
  SqlStatement& insert = **statement;
  insert.BindBytes(1, recipient);
  insert.BindBytes(2, sender);
  insert.BindBytes(3, pair.state);
  insert.BindBytes(4, folder);
  auto changed = Change(insert);
  if (!changed.ok()) return changed.status();
  if (*changed == 0) {
    return Status::AlreadyExists("the challenge pair " + PairName(sender, recipient) +
                                 " is already there");
  }
  return Status::Ok();
}

Status SetChallengeState(SqlConnection& connection, std::string_view sender,
                         std::string_view recipient, std::string_view state) {
  TARVELIN_RETURN_IF_ERROR(CheckState(state));
  auto statement =
      connection.Prepare("UPDATE challenge_pairs SET state = ? WHERE recipient = ? AND sender = ?");
  if (!statement.ok()) return statement.status();
  SqlStatement& update = **statement;
  const std::string sender_key = Key(sender);
  const std::string recipient_key = Key(recipient);
  update.BindBytes(1, state);
  update.BindBytes(2, recipient_key);
  update.BindBytes(3, sender_key);
  auto changed = Change(update);
  if (!changed.ok()) return changed.status();
  if (*changed == 0) {
    return Status::NotFound("no challenge pair " + PairName(sender_key, recipient_key));
  }
  return Status::Ok();
}

Status DeleteChallenge(SqlConnection& connection, std::string_view recipient,
                       std::string_view sender) {
  auto statement =
      connection.Prepare("DELETE FROM challenge_pairs WHERE recipient = ? AND sender = ?");
  if (!statement.ok()) return statement.status();
  SqlStatement& remove = **statement;
  const std::string sender_key = Key(sender);
  const std::string recipient_key = Key(recipient);
  remove.BindBytes(1, recipient_key);
  remove.BindBytes(2, sender_key);
  auto changed = Change(remove);
  if (!changed.ok()) return changed.status();
  if (*changed == 0) {
    return Status::NotFound("no challenge pair " + PairName(sender_key, recipient_key));
  }
  return Status::Ok();
}

Result<std::string> ChallengeList(SqlConnection& connection, std::string_view recipient,
                                  std::string_view states) {
  const std::string recipient_key = Key(recipient);
  auto statement = connection.Prepare(
      recipient_key.empty()
          ? "SELECT sender, recipient, state, folder FROM challenge_pairs"
            " ORDER BY recipient, sender"
          : "SELECT sender, recipient, state, folder FROM challenge_pairs WHERE recipient = ?"
            " ORDER BY recipient, sender");
  if (!statement.ok()) return statement.status();
  SqlStatement& select = **statement;
  if (!recipient_key.empty()) select.BindBytes(1, recipient_key);
  std::string list;
  for (auto row = select.Step();; row = select.Step()) {
    if (!row.ok()) return row.status();
    if (!*row) break;
    const std::string_view state = select.ColumnBytes(2);
    if (!states.empty() && (state.empty() || states.find(state[0]) == std::string_view::npos)) {
      continue;
    }
    list.append(select.ColumnBytes(0)).append(";");
    list.append(select.ColumnBytes(1)).append(";");
    list.append(state).append(";");
    list.append(select.ColumnBytes(3)).append("\r\n");
  }
  select.Reset();
  return list;
}

}  // namespace tarvelin::backend

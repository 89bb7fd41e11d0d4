#include "backend/postgres_connection.h"

#include <endian.h>
#include <libpq-fe.h>

#include <charconv>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarvelin::backend {
namespace {

// Type oids of the server's built-in types (pg_type.h is a server header).
constexpr Oid kBoolOid = 16;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kOidOid = 26;
constexpr Oid kNumericOid = 1700;

// Without a timeout of its own a connection to a host that does not answer
// would hang for minutes; the text may set another.
constexpr const char* kDefaultConnectTimeout = "10";

// A statement keeps the buffer of its rows between runs up to this size.
constexpr size_t kKeptRowBytes = 64 << 20;

// libpq's messages end in a newline and may run over several lines.
std::string OneLine(std::string_view text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

// SQL as written, short enough for a message.
std::string Excerpt(std::string_view sql) {
  std::string line = OneLine(sql);
  if (line.size() > 80) line = line.substr(0, 77) + "...";
  return line;
}

// "?" outside literals, quoted names and comments becomes $1, $2, ...
struct Rewritten {
  std::string sql;
  int parameters = 0;
};

Rewritten RewritePlaceholders(std::string_view sql) {
  Rewritten out;
  out.sql.reserve(sql.size() + 16);
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      // E'...' strings escape with a backslash; the others double the quote.
      const bool backslashes = c == '\'' && i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e');
      size_t end = i + 1;
      while (end < sql.size()) {
        if (backslashes && sql[end] == '\\') {
          end += 2;
          continue;
        }
        if (sql[end] == c) {
          if (end + 1 < sql.size() && sql[end + 1] == c) {
            end += 2;
            continue;
          }
          break;
        }
        ++end;
      }
      end = std::min(end + 1, sql.size());
      out.sql.append(sql.substr(i, end - i));
      i = end;
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      const size_t end = std::min(sql.find('\n', i), sql.size());
      out.sql.append(sql.substr(i, end - i));
      i = end;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      const size_t close = sql.find("*/", i + 2);
      const size_t end = close == std::string_view::npos ? sql.size() : close + 2;
      out.sql.append(sql.substr(i, end - i));
      i = end;
    } else if (c == '?') {
      out.sql += '$' + std::to_string(++out.parameters);
      ++i;
    } else {
      out.sql += c;
      ++i;
    }
  }
  return out;
}

// The password a connection text carries, to keep it out of messages even
// where libpq quotes part of the text back.
std::string PasswordOf(const ConnectionSettings& settings) {
  std::string password;
  for (const auto& [key, value] : settings.postgres) {
    if (key == "password") password = value;
  }
  if (!settings.uri.empty()) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(settings.uri.c_str(), &error);
    if (error != nullptr) PQfreemem(error);
    for (PQconninfoOption* option = options; option != nullptr && option->keyword != nullptr;
         ++option) {
      if (std::strcmp(option->keyword, "password") == 0 && option->val != nullptr) {
        password = option->val;
      }
    }
    if (options != nullptr) PQconninfoFree(options);
  }
  return password;
}

int64_t DecodeNumeric(std::string_view bytes) {
  // ndigits, weight, sign, dscale, then base-10000 digits; the integer part.
  if (bytes.size() < 8) return 0;
  auto word = [&](size_t at) {
    uint16_t value;
    std::memcpy(&value, bytes.data() + at, 2);
    return be16toh(value);
  };
  const int ndigits = static_cast<int16_t>(word(0));
  const int weight = static_cast<int16_t>(word(2));
  const uint16_t sign = word(4);
  if (bytes.size() < 8 + 2 * static_cast<size_t>(std::max(ndigits, 0))) return 0;
  int64_t value = 0;
  for (int i = 0; i <= weight; ++i) {
    value = value * 10000 + (i < ndigits ? word(8 + 2 * i) : 0);
  }
  return sign == 0x4000 ? -value : value;
}

int64_t DecodeInt(Oid type, std::string_view bytes) {
  auto big_endian = [&](auto value) {
    if (bytes.size() != sizeof(value)) return int64_t{0};
    std::memcpy(&value, bytes.data(), sizeof(value));
    if constexpr (sizeof(value) == 2) return int64_t{static_cast<int16_t>(be16toh(value))};
    if constexpr (sizeof(value) == 4) return int64_t{static_cast<int32_t>(be32toh(value))};
    if constexpr (sizeof(value) == 8) return static_cast<int64_t>(be64toh(value));
  };
  switch (type) {
    case kInt2Oid:
      return big_endian(uint16_t{});
    case kInt4Oid:
      return big_endian(uint32_t{});
    case kOidOid:
      return static_cast<uint32_t>(big_endian(uint32_t{}));
    case kInt8Oid:
      return big_endian(uint64_t{});
    case kBoolOid:
      return !bytes.empty() && bytes[0] != 0 ? 1 : 0;
    case kNumericOid:
      return DecodeNumeric(bytes);
    default: {
      int64_t value = 0;
      std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
      return value;
    }
  }
}

class PostgresConnection;

class PostgresStatement final : public SqlStatement {
 public:
  PostgresStatement(PostgresConnection& connection, std::string_view sql, Rewritten rewritten,
                    std::string name, uint64_t session)
      : connection_(connection),
        sql_(sql),
        rewritten_(std::move(rewritten)),
        name_(std::move(name)),
        prepared_in_(session),
        values_(rewritten_.parameters),
        is_null_(rewritten_.parameters, true),
        formats_(rewritten_.parameters, 0) {}

  void BindInt(int index, int64_t value) override {
    if (!Slot(index)) return;
    values_[index - 1] = std::to_string(value);
    is_null_[index - 1] = false;
    formats_[index - 1] = 0;
  }
  void BindBytes(int index, std::string_view bytes) override {
    if (!Slot(index)) return;
    values_[index - 1].assign(bytes);
    is_null_[index - 1] = false;
    formats_[index - 1] = 1;
  }
  void BindNull(int index) override {
    if (!Slot(index)) return;
    values_[index - 1].clear();
    is_null_[index - 1] = true;
  }

  Result<bool> Step() override;

  int64_t ColumnInt(int column) const override {
    const Cell* cell = At(column);
    return cell == nullptr || cell->is_null ? 0 : DecodeInt(types_[column], Bytes(*cell));
  }
  std::string_view ColumnBytes(int column) const override {
    const Cell* cell = At(column);
    if (cell == nullptr || cell->is_null) return {};
    const Oid type = types_[column];
    if (type == kInt2Oid || type == kInt4Oid || type == kInt8Oid || type == kOidOid ||
        type == kBoolOid || type == kNumericOid) {
      text_ = std::to_string(DecodeInt(type, Bytes(*cell)));
      return text_;
    }
    return Bytes(*cell);
  }
  bool ColumnIsNull(int column) const override {
    const Cell* cell = At(column);
    return cell == nullptr || cell->is_null;
  }

  int64_t ChangedRows() const override { return changed_; }

  void Reset() override {
    ran_ = false;
    row_ = 0;
    rows_ = 0;
    cells_.clear();
    // The rows' buffer is kept for the next run (a walk runs many times),
    // unless one run made it large.
    if (bytes_.capacity() > kKeptRowBytes) std::string().swap(bytes_);
    bytes_.clear();
  }

  // Reset and every parameter NULL again: a statement handed out anew.
  void Unbind() {
    Reset();
    bind_error_.clear();
    for (int i = 0; i < rewritten_.parameters; ++i) BindNull(i + 1);
  }

 private:
  bool Slot(int index) {
    if (ran_) Reset();
    if (index >= 1 && index <= rewritten_.parameters) return true;
    bind_error_ = "parameter " + std::to_string(index) + " of a statement with " +
                  std::to_string(rewritten_.parameters) + " (" + Excerpt(sql_) + ")";
    return false;
  }
  struct Cell {
    size_t offset;
    size_t size;
    bool is_null;
  };

  const Cell* At(int column) const {
    if (row_ >= rows_ || column < 0 || column >= static_cast<int>(types_.size())) return nullptr;
    return &cells_[static_cast<size_t>(row_) * types_.size() + column];
  }
  std::string_view Bytes(const Cell& cell) const {
    return {bytes_.data() + cell.offset, cell.size};
  }

  // Takes the answer of the query just sent: its rows one by one (libpq
  // would gather them in one result of its own, whose memory goes back to
  // the system and is faulted in again on every run), or its status.
  Status Collect(PGconn* handle);

  PostgresConnection& connection_;
  const std::string sql_;
  const Rewritten rewritten_;
  std::string name_;
  uint64_t prepared_in_;  // the session the server knows the statement in
  std::vector<std::string> values_;
  std::vector<bool> is_null_;
  std::vector<int> formats_;
  std::string bind_error_;
  std::vector<Oid> types_;   // of the columns
  std::vector<Cell> cells_;  // row by row
  std::string bytes_;        // the cells' values
  bool ran_ = false;
  int row_ = 0;
  int rows_ = 0;
  int64_t changed_ = 0;
  mutable std::string text_;  // ColumnBytes of a number
};

class PostgresConnection final : public SqlConnection {
 public:
  PostgresConnection(PGconn* connection, std::string redacted, std::string password)
      : connection_(connection), redacted_(std::move(redacted)), password_(std::move(password)) {}
  ~PostgresConnection() override {
    statements_.clear();
    PQfinish(connection_);
  }

  Dialect dialect() const override { return Dialect::kPostgres; }

  Result<SqlStatement*> Prepare(std::string_view sql) override {
    const std::string key(sql);
    if (auto found = statements_.find(key); found != statements_.end()) {
      found->second->Unbind();
      return found->second.get();
    }
    Rewritten rewritten = RewritePlaceholders(sql);
    std::string name = NextName();
    TARVELIN_RETURN_IF_ERROR(RunRepeatable(sql, [&] {
      return PQprepare(connection_, name.c_str(), rewritten.sql.c_str(), rewritten.parameters,
                       nullptr);
    }));
    auto statement = std::make_unique<PostgresStatement>(*this, sql, std::move(rewritten),
                                                         std::move(name), session_);
    PostgresStatement* handle = statement.get();
    statements_.emplace(key, std::move(statement));
    return static_cast<SqlStatement*>(handle);
  }

  Status Execute(std::string_view sql) override {
    TARVELIN_RETURN_IF_ERROR(Usable());
    PGresult* result = PQexec(connection_, std::string(sql).c_str());
    const ExecStatusType type = PQresultStatus(result);
    Status status = type == PGRES_TUPLES_OK || type == PGRES_EMPTY_QUERY
                        ? Status::Ok()
                        : Check(result, PGRES_COMMAND_OK, sql);
    PQclear(result);
    return status;
  }

  Status Begin(bool /*write*/) override {
    if (in_transaction_) {
      return Status::InvalidArgument("PostgreSQL: a transaction is already open");
    }
    TARVELIN_RETURN_IF_ERROR(RunRepeatable("BEGIN", [&] { return PQexec(connection_, "BEGIN"); }));
    in_transaction_ = true;
    return Status::Ok();
  }

  Status Commit() override {
    if (!in_transaction_) return Status::InvalidArgument("PostgreSQL: no transaction to commit");
    in_transaction_ = false;
    PGresult* result = PQexec(connection_, "COMMIT");
    Status status = Check(result, PGRES_COMMAND_OK, "COMMIT");
    // The server answers COMMIT of a transaction that a failed statement
    // spoiled with ROLLBACK, and no error.
    if (status.ok() && std::strcmp(PQcmdStatus(result), "ROLLBACK") == 0) {
      status =
          Status::IOError("PostgreSQL: the transaction was rolled back, a statement in it failed");
    }
    PQclear(result);
    return status;
  }

  void Rollback() override {
    if (!in_transaction_) return;
    in_transaction_ = false;
    if (PQstatus(connection_) == CONNECTION_OK) PQclear(PQexec(connection_, "ROLLBACK"));
  }

  bool Alive() override {
    if (PQstatus(connection_) == CONNECTION_OK) {
      PGresult* result = PQexec(connection_, "");
      const bool answered = PQresultStatus(result) == PGRES_EMPTY_QUERY;
      PQclear(result);
      if (answered) return true;
    }
    if (in_transaction_) return false;
    return Reconnect();
  }

  // Whether statements can run: a connection found broken is made again
  // once, unless a transaction was open on it (its work is lost: the
  // caller must roll back first).
  Status Usable() {
    if (PQstatus(connection_) == CONNECTION_OK) return Status::Ok();
    if (in_transaction_) {
      return Status::Unavailable("PostgreSQL: the connection broke inside a transaction (" +
                                 redacted_ + ")");
    }
    if (Reconnect()) return Status::Ok();
    return Status::Unavailable("cannot connect to PostgreSQL again (" + redacted_ +
                               "): " + Message(nullptr));
  }

  // Runs a command that changes nothing on the server (BEGIN, a prepare):
  // when the connection turns out broken, it is made again and the command
  // runs once more, so the first call after a server restart works.
  Status RunRepeatable(std::string_view sql, const std::function<PGresult*()>& command) {
    TARVELIN_RETURN_IF_ERROR(Usable());
    PGresult* result = command();
    Status status = Check(result, PGRES_COMMAND_OK, sql);
    PQclear(result);
    if (status.ok() || PQstatus(connection_) == CONNECTION_OK || in_transaction_) return status;
    if (!Reconnect()) return status;
    result = command();
    status = Check(result, PGRES_COMMAND_OK, sql);
    PQclear(result);
    return status;
  }

  // The status of a result: ok when it is `expected`, else why not.
  Status Check(const PGresult* result, ExecStatusType expected, std::string_view sql) const {
    if (result != nullptr && PQresultStatus(result) == expected) return Status::Ok();
    const std::string why = Message(result) + " (" + Excerpt(sql) + ")";
    if (PQstatus(connection_) != CONNECTION_OK) {
      return Status::Unavailable("PostgreSQL: the connection to the server broke (" + redacted_ +
                                 "): " + why);
    }
    const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (state != nullptr && std::strncmp(state, "23", 2) == 0) {
      return Status::AlreadyExists("PostgreSQL: " + why);
    }
    return Status::IOError("PostgreSQL: " + why);
  }

  PGconn* handle() const { return connection_; }
  uint64_t session() const { return session_; }
  std::string NextName() { return "tarvelin_" + std::to_string(++statement_count_); }

 private:
  bool Reconnect() {
    PQreset(connection_);
    if (PQstatus(connection_) != CONNECTION_OK) return false;
    ++session_;  // the server forgot the prepared statements
    return true;
  }

  std::string Message(const PGresult* result) const {
    const char* primary =
        result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    std::string text = OneLine(primary != nullptr ? primary : PQerrorMessage(connection_));
    if (text.empty()) text = "no answer from the server";
    return Scrub(text);
  }

 public:
  std::string Scrub(std::string text) const {
    // A password of one or two characters would blot out ordinary words.
    if (password_.size() < 3) return text;
    for (size_t at = text.find(password_); at != std::string::npos;
         at = text.find(password_, at + 3)) {
      text.replace(at, password_.size(), "***");
    }
    return text;
  }

 private:
  PGconn* connection_;
  const std::string redacted_;
  const std::string password_;
  uint64_t session_ = 1;
  uint64_t statement_count_ = 0;
  bool in_transaction_ = false;
  std::unordered_map<std::string, std::unique_ptr<PostgresStatement>> statements_;
};

Result<bool> PostgresStatement::Step() {
  if (ran_) {
    if (row_ < rows_) ++row_;
    return row_ < rows_;
  }
  if (!bind_error_.empty()) return Status::InvalidArgument("PostgreSQL: " + bind_error_);
  TARVELIN_RETURN_IF_ERROR(connection_.Usable());
  if (prepared_in_ != connection_.session()) {
    name_ = connection_.NextName();
    TARVELIN_RETURN_IF_ERROR(connection_.RunRepeatable(sql_, [&] {
      return PQprepare(connection_.handle(), name_.c_str(), rewritten_.sql.c_str(),
                       rewritten_.parameters, nullptr);
    }));
    prepared_in_ = connection_.session();
  }
  PGconn* handle = connection_.handle();
  const int count = rewritten_.parameters;
  std::vector<const char*> values(count);
  std::vector<int> lengths(count);
  for (int i = 0; i < count; ++i) {
    values[i] = is_null_[i] ? nullptr : values_[i].data();
    lengths[i] = static_cast<int>(values_[i].size());
  }
  if (PQsendQueryPrepared(handle, name_.c_str(), count, values.data(), lengths.data(),
                          formats_.data(), /*resultFormat=*/1) == 0) {
    return connection_.Check(nullptr, PGRES_COMMAND_OK, sql_);
  }
  PQsetSingleRowMode(handle);
  Status status = Collect(handle);
  if (!status.ok()) {
    Reset();
    return status;
  }
  ran_ = true;
  row_ = 0;
  return rows_ > 0;
}

Status PostgresStatement::Collect(PGconn* handle) {
  PGresult* failure = nullptr;  // judged once the connection's state is known
  changed_ = 0;
  // Every result up to the null one is read, failed or not: the connection
  // is free for the next statement only then.
  while (PGresult* result = PQgetResult(handle)) {
    const ExecStatusType type = PQresultStatus(result);
    if (type == PGRES_SINGLE_TUPLE || type == PGRES_TUPLES_OK) {
      if (types_.size() != static_cast<size_t>(PQnfields(result))) {
        types_.resize(PQnfields(result));
      }
      for (size_t column = 0; column < types_.size(); ++column) {
        types_[column] = PQftype(result, static_cast<int>(column));
      }
      for (int row = 0; row < PQntuples(result); ++row, ++rows_) {
        for (int column = 0; column < static_cast<int>(types_.size()); ++column) {
          const size_t size = PQgetlength(result, row, column);
          cells_.push_back({bytes_.size(), size, PQgetisnull(result, row, column) != 0});
          bytes_.append(PQgetvalue(result, row, column), size);
        }
      }
      if (type == PGRES_TUPLES_OK && std::strncmp(PQcmdStatus(result), "SELECT", 6) != 0) {
        changed_ = std::atoll(PQcmdTuples(result));  // INSERT ... RETURNING
      }
    } else if (type == PGRES_COMMAND_OK) {
      changed_ = std::atoll(PQcmdTuples(result));
    } else if (failure == nullptr) {
      failure = result;
      continue;
    }
    PQclear(result);
  }
  if (failure == nullptr) return Status::Ok();
  Status status = connection_.Check(failure, PGRES_COMMAND_OK, sql_);
  PQclear(failure);
  return status;
}

}  // namespace

Result<std::unique_ptr<SqlConnection>> OpenPostgres(const ConnectionSettings& settings) {
  std::vector<std::pair<std::string, std::string>> pairs = {
      {"connect_timeout", kDefaultConnectTimeout}, {"fallback_application_name", "tarvelin-db"}};
  if (!settings.uri.empty()) {
    pairs.emplace_back("dbname", settings.uri);
  } else {
    pairs.insert(pairs.end(), settings.postgres.begin(), settings.postgres.end());
  }
  std::vector<const char*> keywords;
  std::vector<const char*> values;
  for (const auto& [key, value] : pairs) {
    keywords.push_back(key.c_str());
    values.push_back(value.c_str());
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);
  // Only a URI is expanded: a dbname of the key=value form stays a name.
  PGconn* connection =
      PQconnectdbParams(keywords.data(), values.data(), settings.uri.empty() ? 0 : 1);
  if (connection == nullptr) {
    return Status::Unavailable("cannot connect to PostgreSQL (" + settings.redacted +
                               "): out of memory");
  }
  // Notices ("relation already exists, skipping") would go to the stderr of
  // whatever program loaded the library.
  PQsetNoticeProcessor(
      connection, [](void*, const char*) {}, nullptr);
  auto engine =
      std::make_unique<PostgresConnection>(connection, settings.redacted, PasswordOf(settings));
  if (PQstatus(connection) != CONNECTION_OK) {
    std::string why = engine->Scrub(OneLine(PQerrorMessage(connection)));
    return Status::Unavailable("cannot connect to PostgreSQL (" + settings.redacted + "): " + why);
  }
  return std::unique_ptr<SqlConnection>(std::move(engine));
}

}  // namespace tarvelin::backend

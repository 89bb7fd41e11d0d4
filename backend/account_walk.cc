#include "backend/account_walk.h"

#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "backend/account_table.h"
#include "backend/domain_table.h"
#include "backend/sql_calls.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "schema/property_table.h"
#include "schema/query_filter.h"
#include "schema/server_config.h"
#include "schema/shipped_property_text.h"

namespace tarvelin::backend {
namespace {

constexpr int kRecordOffset = 0;
constexpr int kOpenFlag = 2848;
constexpr int kCursorOffset = 2852;
constexpr int kIndexOffset = 3184;
constexpr int kCountOffset = 3188;
constexpr int kDomainOffset = 3196;
constexpr int kQueryOffset = 3293;
constexpr int kQueryCapacity = 255;
constexpr int64_t kPageSize = 256;

// The queries' settings are read as for a library without an installation:
// the settings record zeroed, the property names this build ships.
const ServerConfig& QueryConfig() {
  static const ServerConfig* config = [] {
    auto* zeroed = new ServerConfig();
    std::memset(zeroed->data(), 0, ServerConfig::size());
    return zeroed;
  }();
  return *config;
}

const PropertyTable& QueryProperties() {
  static const PropertyTable* table =
      new PropertyTable(PropertyTable::FromText(ShippedPropertyText()));
  return *table;
}

struct Cursor {
  Cursor(int64_t domain, std::string_view query, int64_t next, int64_t left)
      : domain(domain), filter(QueryConfig(), QueryProperties(), query), next(next), left(left) {}

  int64_t domain;
  QueryFilter filter;
  int64_t next;  // the first position not read yet
  int64_t left;  // deliveries left; negative: no limit
  std::deque<std::pair<int32_t, std::string>> page;
  std::vector<int64_t> page_ids;  // the accounts of the page last read, in order
};

// The cursors handed out and not yet freed. A state is the caller's
// memory: a pointer read from it is used only when it is one of these, so
// a state that was never started (or is stale) cannot make the library
// free or follow a stray pointer. Touched only under the library mutex.
std::set<Cursor*>& LiveCursors() {
  static auto* live = new std::set<Cursor*>();
  return *live;
}

Cursor* CursorOf(const uint8_t* state) {
  Cursor* cursor = nullptr;
  std::memcpy(&cursor, state + kCursorOffset, sizeof cursor);
  return LiveCursors().count(cursor) != 0 ? cursor : nullptr;
}

void SetCursor(uint8_t* state, Cursor* cursor) {
  std::memcpy(state + kCursorOffset, &cursor, sizeof cursor);
}

// Where the next page starts: after the last account of the page read
// before, wherever removals have moved it since (the last one of that page
// still there); removals before the walk's place so move nobody past it.
Status FindNextPosition(SqlConnection& connection, Cursor& cursor) {
  for (auto id = cursor.page_ids.rbegin(); id != cursor.page_ids.rend(); ++id) {
    auto position =
        FirstInt(connection, "SELECT position FROM accounts WHERE id = ? AND domain = ?",
                 {*id, cursor.domain});
    if (!position.ok()) return position.status();
    if (position->has_value()) {
      cursor.next = **position + 1;
      return Status::Ok();
    }
  }
  return Status::Ok();
}

Status ReadPage(SqlConnection& connection, Cursor& cursor) {
  TARVELIN_RETURN_IF_ERROR(FindNextPosition(connection, cursor));
  auto statement =
      Bound(connection,
            "SELECT id, position, record FROM accounts WHERE domain = ? AND position >= ? "
            "ORDER BY position LIMIT ?",
            {cursor.domain, cursor.next, kPageSize});
  if (!statement.ok()) return statement.status();
  std::vector<int64_t> ids;
  for (;;) {
    auto row = (*statement)->Step();
    if (!row.ok()) return row.status();
    if (!*row) break;
    const auto position = static_cast<int32_t>((*statement)->ColumnInt(1));
    ids.push_back((*statement)->ColumnInt(0));
    cursor.page.emplace_back(position, std::string((*statement)->ColumnBytes(2)));
    cursor.next = position + 1;
  }
  if (!ids.empty()) cursor.page_ids = std::move(ids);
  return Status::Ok();
}

}  // namespace

Status StartWalk(SqlConnection& connection, std::string_view domain, uint8_t* state, int32_t count,
                 int32_t skip) {
  EndWalk(state);
  auto ordinal = DomainOrdinal(connection, domain);
  if (!ordinal.ok()) return ordinal.status();
  auto accounts = CountAccounts(connection, domain);
  if (!accounts.ok()) return accounts.status();
  const std::string query = GetPString(state + kQueryOffset, kQueryCapacity);
  auto cursor = std::make_unique<Cursor>(*ordinal, query, skip > 0 ? skip : 0, count);
  PutLE(state + kIndexOffset, 4, static_cast<uint32_t>(-1));
  PutLE(state + kCountOffset, 4, static_cast<uint32_t>(*accounts));
  std::memset(state + kDomainOffset, 0, kDomainEntrySize);
  PutPString(state + kDomainOffset, kDomainNameMax, ToLower(Trim(domain)));
  state[kOpenFlag] = 1;
  LiveCursors().insert(cursor.get());
  SetCursor(state, cursor.release());
  return Status::Ok();
}

Result<bool> NextInWalk(SqlConnection& connection, uint8_t* state) {
  Cursor* cursor = CursorOf(state);
  if (cursor == nullptr) return Status::InvalidArgument("the walk has not been started");
  while (cursor->left != 0) {
    if (cursor->page.empty()) {
      TARVELIN_RETURN_IF_ERROR(ReadPage(connection, *cursor));
      if (cursor->page.empty()) return false;
    }
    auto [position, bytes] = std::move(cursor->page.front());
    cursor->page.pop_front();
    const UserRecord record = RecordFromBytes(bytes);
    if (!cursor->filter.Accepts(record.data())) continue;
    std::memcpy(state + kRecordOffset, record.data(), record.size());
    PutLE(state + kIndexOffset, 4, static_cast<uint32_t>(position));
    if (cursor->left > 0) --cursor->left;
    return true;
  }
  return false;
}

void EndWalk(uint8_t* state) {
  Cursor* cursor = CursorOf(state);
  LiveCursors().erase(cursor);
  delete cursor;
  SetCursor(state, nullptr);
  state[kOpenFlag] = 0;
}

}  // namespace tarvelin::backend

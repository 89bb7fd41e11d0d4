#include "schema/query_filter.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "schema/user_record.h"
#include "schema/user_settings.h"
#include "foundation/expression_evaluator.h"
#include "foundation/expression_lexer.h"
#include "foundation/expression_parser.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

constexpr int32_t kValueArea = 256;

// The template with an empty literal in place of each value and "true" in
// place of each like term, and where those stand.
std::string PlaceholderText(const QueryTemplate& split, std::vector<SlotSpan>* slots) {
  std::string text = split.texts[0];
  for (size_t i = 0; i < split.terms.size(); ++i) {
    const std::string_view placeholder = split.terms[i].like ? "true" : "''";
    slots->push_back({text.size(), placeholder.size()});
    text += placeholder;
    text += split.texts[i + 1];
  }
  return text;
}

bool Holds(const ExpressionValue& value) { return IntegerValueOf(value) > 0; }

}  // namespace

std::string TermValue(const ServerConfig& config, const uint8_t* record, const QueryTerm& term) {
  std::array<uint8_t, kValueArea> area{};
  const Result<int32_t> value =
      GetUserSetting(config, record, term.number, area.data(), kValueArea);
  if (!value.ok()) return std::string();
  const int32_t n = *value;
  if (term.kind == ValueKind::kInteger) {
    uint8_t bytes[4] = {0, 0, 0, 0};
    std::memcpy(bytes, area.data(), static_cast<size_t>(std::min(n, 4)));
    const auto number = static_cast<int32_t>(
        static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
        static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
    return std::to_string(number);
  }
  return ToLower(
      std::string_view(reinterpret_cast<const char*>(area.data()), static_cast<size_t>(n)));
}

QueryFilter::QueryFilter(const ServerConfig& config, const PropertyTable& table,
                         std::string_view query)
    : config_(config), empty_(query.empty()), split_(SplitQuery(query, table)) {
  if (empty_) return;
  std::vector<SlotSpan> slots;
  const std::string text = PlaceholderText(split_, &slots);
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(text, slots);
  } catch (const ExpressionError&) {
    return;  // a lexical error may hinge on a value: decide per record
  }
  size_t matched = 0;
  for (const Token& token : tokens) matched += token.kind == TokenKind::kSlot ? 1 : 0;
  if (matched != slots.size()) return;
  prepared_ = true;
  try {
    tree_ = ParseTokens(std::move(tokens));
  } catch (const ExpressionError&) {
    // Every record renders to the same tokens: none is accepted.
  }
}

std::vector<std::string> QueryFilter::TermValues(const uint8_t* record) const {
  std::vector<std::string> values;
  values.reserve(split_.terms.size());
  for (const QueryTerm& term : split_.terms) values.push_back(TermValue(config_, record, term));
  return values;
}

bool QueryFilter::Accepts(const uint8_t* record) const {
  if (empty_) return true;
  if (!prepared_) return AcceptsByReparsing(record);
  if (!tree_) return false;
  std::vector<ExpressionValue> slots;
  slots.reserve(split_.terms.size());
  for (const QueryTerm& term : split_.terms) {
    std::string value = TermValue(config_, record, term);
    if (term.like) {
      slots.emplace_back(LikeHolds(term, value));
    } else {
      slots.emplace_back(std::move(value));
    }
  }
  try {
    return Holds(EvaluateTree(*tree_, slots));
  } catch (const std::exception&) {
    return false;
  }
}

Status CheckQuery(const PropertyTable& table, std::string_view query) {
  const QueryTemplate split = SplitQuery(query, table);
  std::vector<std::string> values;
  for (const QueryTerm& term : split.terms) {
    values.push_back(term.kind == ValueKind::kInteger ? "0" : "");
  }
  const std::string text = RenderQuery(split, values);
  if (text.empty()) return Status();
  try {
    Holds(EvaluateExpression(text));
  } catch (const ExpressionError& error) {
    return Status::InvalidArgument("the query \"" + std::string(query) + "\" is not a condition: " +
                                   error.what());
  }
  return Status();
}

bool QueryFilter::AcceptsByReparsing(const uint8_t* record) const {
  if (empty_) return true;
  const std::string text = RenderQuery(split_, TermValues(record));
  if (text.empty()) return true;
  try {
    return Holds(EvaluateExpression(text));
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace tarvelin

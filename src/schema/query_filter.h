// The condition of an account walk: decides for each record whether a
// query holds (the query language of query_template.h and
// foundation/expression_evaluator.h). A record is accepted when the
// expression's integer value is above 0; any error in parsing or evaluating
// rejects it. An empty query accepts every record.
//
// Two ways to the same answer: the reference one renders the query with the
// record's values and parses the text, for every record; the prepared one
// parses the query once with placeholders for the values and only evaluates
// per record. A query whose placeholders do not come out as tokens of their
// own (a value glued to a quote, say) is never prepared.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "schema/query_template.h"
#include "foundation/expression_tree.h"
#include "foundation/status.h"

namespace tarvelin {

class ServerConfig;
class PropertyTable;

class QueryFilter {
 public:
  // Property names resolve through `table`, settings are read as
  // GetUserSetting reads them for `library`; both must outlive the filter.
  QueryFilter(const ServerConfig& config, const PropertyTable& table, std::string_view query);

  // `record` holds the 2848 bytes of an account record.
  bool Accepts(const uint8_t* record) const;
  bool AcceptsByReparsing(const uint8_t* record) const;

  bool prepared() const { return prepared_; }

 private:
  std::vector<std::string> TermValues(const uint8_t* record) const;

  const ServerConfig& config_;
  bool empty_;
  QueryTemplate split_;
  bool prepared_ = false;
  ExpressionTree tree_;  // prepared; null when the query fails whatever the values
};

// Whether `query` can hold for any record, for a caller that wants its
// mistakes told rather than matching nothing: the query is rendered with a
// stand-in value of each term's kind ("0" for integers, empty text
// otherwise), parsed and evaluated. InvalidArgument with the parser's or
// the evaluator's message ("Unknown Identifier u_foo" for a property name
// `table` does not know); ok for the empty query.
Status CheckQuery(const PropertyTable& table, std::string_view query);

// The value a term reads from a record: a setting of kind integer as the
// signed decimal of its first 4 bytes (fewer bytes zero-extended), any other
// as its bytes lower-cased; empty when the setting cannot be read.
std::string TermValue(const ServerConfig& config, const uint8_t* record, const QueryTerm& term);

}  // namespace tarvelin

// The substitution step of account queries. A query names account settings
// by property name ("U_Type = 0"); before it is evaluated, each named
// setting is replaced by the current record's value. Which stretches of the
// query are replaced depends on the query and the property table only, so a
// query is split once into the text around its terms and the terms
// themselves; rendering the split with one record's values gives the text
// that record is evaluated with.
//
// The split, on the lower-cased query: each "u_" starts a term whose name
// runs to the next space after it, or when no space follows to the next
// "="; with neither, the scan ends. The operator is the trimmed text from
// there to the next single quote. A name the table does not know is left
// as it stands and the scan goes on after its "u_". With the operator
// "like", the term reaches to the quote that closes the pattern after it
// (no closing quote: the term is left as it stands) and renders as true or
// false; otherwise only the name is replaced, by the value quoted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "schema/property_line.h"

namespace tarvelin {

class PropertyTable;

struct QueryTerm {
  int32_t number = 0;  // the account setting id
  ValueKind kind = ValueKind::kInteger;
  bool like = false;
  std::string pattern;  // like: "%" turned into "*" and "_" into "?"
};

struct QueryTemplate {
  std::vector<std::string> texts;  // one more than terms: before, between, after
  std::vector<QueryTerm> terms;
};

QueryTemplate SplitQuery(std::string_view query, const PropertyTable& table);

// Whether a like term holds for a value: the value with its single quotes
// doubled, against the pattern ("*" any run, "?" one character), whole and
// case-sensitive, each side cut to 255 characters.
bool LikeHolds(const QueryTerm& term, std::string_view value);

// What a term becomes in the text for a value: "true" or "false" for a like
// term, else the value in single quotes with its own quotes doubled.
std::string RenderTerm(const QueryTerm& term, std::string_view value);

// The query text for the values of the terms, in term order.
std::string RenderQuery(const QueryTemplate& split, const std::vector<std::string>& values);

}  // namespace tarvelin

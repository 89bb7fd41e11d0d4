#include "schema/query_template.h"

#include "schema/property_table.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

constexpr size_t kLikeSideMax = 255;

std::string DoubleQuotes(std::string_view value) { return ReplaceAll(value, "'", "''"); }

}  // namespace

QueryTemplate SplitQuery(std::string_view query, const PropertyTable& table) {
  const std::string text = ToLower(query);
  QueryTemplate split;
  size_t copied = 0;  // text before this is in split.texts or replaced
  size_t scan = 0;
  for (;;) {
    const size_t start = text.find("u_", scan);
    if (start == std::string::npos) break;
    size_t end = text.find(' ', start + 2);
    if (end == std::string::npos) end = text.find('=', start + 2);
    if (end == std::string::npos) break;
    const size_t quote = text.find('\'', end);
    const std::string name = Trim(std::string_view(text).substr(start, end - start));
    const std::string op = Trim(std::string_view(text).substr(
        end, quote == std::string::npos ? std::string::npos : quote - end));
    const PropertyEntry* entry = table.Lookup(name);
    size_t resume = end;
    QueryTerm term;
    if (entry != nullptr && op == "like") {
      const size_t close =
          quote == std::string::npos ? std::string::npos : text.find('\'', quote + 1);
      if (close == std::string::npos) {
        entry = nullptr;
      } else {
        term.like = true;
        term.pattern = ReplaceAll(
            ReplaceAll(std::string_view(text).substr(quote + 1, close - quote - 1), "%", "*"), "_",
            "?");
        resume = close + 1;
      }
    }
    if (entry == nullptr) {
      scan = start + 2;
      continue;
    }
    term.number = entry->number;
    term.kind = entry->kind;
    split.texts.push_back(text.substr(copied, start - copied));
    split.terms.push_back(std::move(term));
    copied = scan = resume;
  }
  split.texts.push_back(text.substr(copied));
  return split;
}

bool LikeHolds(const QueryTerm& term, std::string_view value) {
  return WildcardMatch(CutTo(term.pattern, kLikeSideMax), CutTo(DoubleQuotes(value), kLikeSideMax));
}

std::string RenderTerm(const QueryTerm& term, std::string_view value) {
  if (term.like) return LikeHolds(term, value) ? "true" : "false";
  return "'" + DoubleQuotes(value) + "'";
}

std::string RenderQuery(const QueryTemplate& split, const std::vector<std::string>& values) {
  std::string text = split.texts[0];
  for (size_t i = 0; i < split.terms.size(); ++i) {
    text += RenderTerm(split.terms[i], values[i]);
    text += split.texts[i + 1];
  }
  return text;
}

}  // namespace tarvelin

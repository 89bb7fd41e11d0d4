// What both sides of the database backend say about a connection text
// (";"-separated key=value pairs, or a "postgresql://" / "postgres://"
// URI) without parsing it: whether it is a URI, and the text as it may be
// shown, its password starred.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

bool IsPostgresUri(std::string_view text);

// `text` with the value of its password ("password=" in any case, or the
// password of a URI's user part) replaced by "***"; for any text, valid or
// not.
std::string RedactConnectionText(std::string_view text);

}  // namespace tarvelin

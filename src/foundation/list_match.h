// Matching of a text against a ";"-separated list (aliases, addresses).
#pragma once

#include <string_view>

namespace tarvelin {

// Both sides are trimmed and lower-cased; an empty side never matches. When
// neither side holds ";" the two texts are compared whole; otherwise every
// item of `items` is compared with every item of `list`, and the first
// equal pair is a match.
bool ListMatch(std::string_view items, std::string_view list);

}  // namespace tarvelin

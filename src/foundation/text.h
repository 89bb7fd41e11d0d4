// Text helpers of the single-byte texts the records and text files carry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

// Removes leading and trailing characters with codes 0 to 32.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// ASCII letters only; bytes of 128 and above are left alone.
std::string ToLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// "*" matches any run (also none), "?" exactly one character; a pattern
// without wildcards must equal the text. Case-sensitive: callers lower-case
// both sides where the comparison ignores case.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// Splits at every `separator`; an empty text gives one empty part.
std::vector<std::string> Split(std::string_view text, char separator);
// Lines of a text file: split at "\n", a trailing "\r" removed from each
// line; a final line break does not add an empty line.
std::vector<std::string> SplitLines(std::string_view text);

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// The first `length` characters (all of them when shorter).
std::string CutTo(std::string_view text, size_t length);

}  // namespace tarvelin

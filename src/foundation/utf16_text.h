// Strict conversion between UTF-8 and UTF-16 (iconv): characters outside
// the Basic Multilingual Plane are surrogate pairs. nullopt for bytes that
// are not UTF-8, and for a surrogate without its partner.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

std::optional<std::u16string> Utf16FromUtf8(std::string_view utf8);
std::optional<std::string> Utf8FromUtf16(std::u16string_view utf16);

}  // namespace tarvelin

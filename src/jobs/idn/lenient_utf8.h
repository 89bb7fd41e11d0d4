// UTF-8 limited to 16-bit units, as the IDN conversions read and write it.
// Writing gives 1 byte below 128, 2 below 2048, else 3 (a surrogate is
// written as it stands). Reading never refuses: a byte below 128 is one
// unit; a byte of 128 or more starts a three-byte sequence when its bit 5
// (value 32) is set, else a two-byte one; each following byte gives its
// low six bits whatever its high bits are; the unit keeps 16 bits; a
// sequence cut off by the end of the text ends the reading.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

std::u16string ReadLenientUtf8(std::string_view bytes);
std::string WriteUtf8Units(std::u16string_view units);

}  // namespace tarvelin

// Punycode (RFC 3492: Bootstring with base 36, tmin 1, tmax 26, skew 38,
// damp 700, initial bias 72, initial n 128, delimiter "-"), one label at a
// time, without case flags: basic code points are copied as they stand, so
// letter case survives both ways. Arithmetic is unsigned 32-bit with the
// RFC's overflow checks. Each direction stops at an output limit the
// caller gives.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvelin {

enum class PunycodeStatus : int {
  kSuccess = 0,
  // A non-basic code point where a basic one must stand, an invalid digit,
  // or the input ending inside a number.
  kBadInput = 1,
  kBigOutput = 2,
  kOverflow = 3,
  kEmptyInput = 4,
};

// A short English text for the status ("the Punycode is not valid" ...).
std::string_view PunycodeStatusText(PunycodeStatus status);

// Encodes the code points into at most `max_output` characters of
// `output`, which is left empty unless the status is kSuccess.
PunycodeStatus PunycodeEncode(std::u32string_view input, size_t max_output, std::string& output);

// Decodes the ASCII text into at most `max_output` code points of
// `output`, which is left empty unless the status is kSuccess.
PunycodeStatus PunycodeDecode(std::string_view input, size_t max_output, std::u32string& output);

}  // namespace tarvelin

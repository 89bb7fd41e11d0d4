// The IDN conversions on the 8-bit texts of the automation members. The
// ASCII form comes in through the system code page and the Unicode result
// goes out as UTF-8 bytes (1 to 3 per 16-bit unit, jobs/idn/lenient_utf8.h),
// each byte one character of the member's text. The UTF-8 form comes in as
// those bytes, read leniently.
#pragma once

#include <string>
#include <string_view>

#include "foundation/code_page.h"

namespace tarvelin {

std::string IdnToUtf8Bytes(const CodePage& code_page, std::string_view idn);
// A text that reads with no unit of 128 or more comes back as it is.
std::string Utf8BytesToIdn(std::string_view utf8);

}  // namespace tarvelin

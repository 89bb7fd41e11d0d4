// libFuzzer target for the IDN conversions and their Punycode core over
// arbitrary bytes: both name directions as the automation members take
// them, and the core both ways. A successful encoding must decode back to
// the units it came from. Nothing is written anywhere.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/code_page.h"
#include "foundation/punycode.h"
#include "jobs/idn/idn_names.h"
#include "jobs/idn/idn_text_forms.h"
#include "jobs/idn/lenient_utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarvelin;
  static const CodePage code_page;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  IdnToUtf8Bytes(code_page, bytes);
  Utf8BytesToIdn(bytes);
  UnicodeToIdn(ReadLenientUtf8(bytes));

  std::u32string decoded;
  if (PunycodeDecode(bytes, size, decoded) == PunycodeStatus::kSuccess && decoded.size() > size) {
    std::abort();
  }

  // The bytes as 16-bit units, each taken as a code point.
  std::u32string units;
  for (size_t k = 0; k + 1 < size; k += 2) units += static_cast<char32_t>(data[k] | data[k + 1] << 8);
  std::string encoded;
  if (PunycodeEncode(units, units.size() * 4, encoded) != PunycodeStatus::kSuccess) return 0;
  if (encoded.size() > units.size() * 4) std::abort();
  std::u32string back;
  if (PunycodeDecode(encoded, encoded.size(), back) != PunycodeStatus::kSuccess) std::abort();
  if (back != units) std::abort();
  return 0;
}

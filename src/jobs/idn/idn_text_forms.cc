#include "jobs/idn/idn_text_forms.h"

#include "jobs/idn/idn_names.h"
#include "jobs/idn/lenient_utf8.h"

namespace tarvelin {

std::string IdnToUtf8Bytes(const CodePage& code_page, std::string_view idn) {
  // The code page's characters all lie in the 16-bit range: its UTF-8
  // reads the same leniently.
  const std::u16string units = ReadLenientUtf8(code_page.ToUtf8(idn));
  return WriteUtf8Units(IdnToUnicode(units).name);
}

std::string Utf8BytesToIdn(std::string_view utf8) {
  const std::u16string units = ReadLenientUtf8(utf8);
  const IdnResult ascii = UnicodeToIdn(units);
  if (ascii.name == units) return std::string(utf8);
  return std::string(ascii.name.begin(), ascii.name.end());
}

}  // namespace tarvelin

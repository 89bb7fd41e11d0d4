// libFuzzer target for spam.dat: any bytes read as the file must load
// without a crash, and what a save then writes must load back to the same
// settings (a second save writes the same bytes). Works in memory only.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "schema/spam_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  tarvelin::SpamSettings loaded;
  loaded.ApplyFileText(file);
  const std::string saved = loaded.FileText();

  tarvelin::SpamSettings again;
  again.ApplyFileText(saved);
  // Each setting's written form, in order: equal texts, equal settings.
  if (again.FileText() != saved) std::abort();
  return 0;
}

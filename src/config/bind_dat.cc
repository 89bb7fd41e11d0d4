#include "config/bind_dat.h"

#include "config/config_line.h"
#include "foundation/text.h"

namespace tarvelin {

void ReadBindDat(Env& env, std::string_view path, std::string* outgoing_bind,
                 std::string* ipv6_bind) {
  std::string content;
  if (!env.ReadFile(path, &content).ok()) return;
  for (const std::string& raw : SplitLines(content)) {
    const std::string line = ReplaceAll(CleanConfigLine(raw), " ", "");
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string value = line.substr(equals + 1);
    if (StartsWithNoCase(line, "Outgoing_Bind=")) {
      if (const size_t semicolon = value.find(';'); semicolon != std::string::npos) {
        value.resize(semicolon);
      }
      *outgoing_bind = Trim(value);
    } else if (StartsWithNoCase(line, "IPv6_Bind=")) {
      *ipv6_bind = value;
    }
  }
}

}  // namespace tarvelin

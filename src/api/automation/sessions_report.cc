#include "api/automation/sessions_report.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "api/automation/low_bits.h"

namespace tarvelin::automation {

namespace {

constexpr double kUnixEpochDay = 25569;  // 1 January 1970 as a date-time
constexpr double kSecondsPerDay = 86400;

std::string Escaped(std::string_view value, const CodePage& code_page) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  bool above_127 = std::any_of(out.begin(), out.end(),
                               [](char c) { return static_cast<unsigned char>(c) > 127; });
  return above_127 ? code_page.ToUtf8(out) : out;
}

void Attribute(std::string& out, std::string_view name, std::string_view value,
               const CodePage& code_page) {
  out += ' ';
  out += name;
  out += "=\"";
  out += Escaped(value, code_page);
  out += '"';
}

}  // namespace

std::string SessionsReport(const std::vector<SessionRecord>& sessions, const CodePage& code_page) {
  if (sessions.empty()) return std::string();
  std::string out = "<sessions>";
  for (const SessionRecord& s : sessions) {
    out += "<item";
    Attribute(out, "id", std::to_string(s.id), code_page);
    Attribute(out, "status", std::to_string(s.status), code_page);
    Attribute(out, "duration", std::to_string(s.duration), code_page);
    Attribute(out, "handle", std::to_string(s.handle), code_page);
    Attribute(out, "start",
              std::to_string(static_cast<int32_t>(
                  Low32BitsOf((s.start - kUnixEpochDay) * kSecondsPerDay))), code_page);
    Attribute(out, "server", std::to_string(s.server), code_page);
    Attribute(out, "volume", std::to_string(s.volume), code_page);
    Attribute(out, "ip", s.ip, code_page);
    Attribute(out, "val", s.val, code_page);
    out += "/>\r\n";
  }
  out += "</sessions>\r\n";
  return out;
}

}  // namespace tarvelin::automation

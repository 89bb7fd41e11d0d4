#include "log/log_kinds.h"

#include <cstdio>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

using enum LogLevelRule;

constexpr LogKind kKinds[kLogKindCount] = {
    {kLevel, 2869, "s", false},             // 0 SMTP
    {kLevel, 3126, "p", false},             // 1 POP3
    {kLevel, 21390, "m", false},            // 2
    {kLevel, 3383, "c", false},             // 3
    {kLevel, 3635, "antivirus", true},      // 4
    {kLevel, 227, "i", false},              // 5
    {kNever, -1, "im", true},               // 6
    {kLevel, 153, "g", false},              // 7
    {kLevel, 21389, "f", false},            // 8 FTP
    {kLevel, 22839, "antispam", true},      // 9
    {kLevel, 25403, "sip", true},           // 10
    {kAlways, -1, "e", false},              // 11 error entries
    {kAlways, -1, "", false},               // 12
    {kAlways, -1, "d", false},              // 13
    {kSwitch, 28067, "maintenance", true},  // 14 change log
    {kAlways, -1, "", false},               // 15
};

}  // namespace

const LogKind* FindLogKind(int kind) {
  if (kind < 0 || kind >= kLogKindCount) return nullptr;
  return &kKinds[kind];
}

bool LogLevelWants(uint8_t level, uint32_t entry_bits) {
  switch (level) {
    case 1:
      return (entry_bits & 1) != 0;
    case 2:
      return (entry_bits & 2) != 0;
    case 3:
      return (entry_bits & 3) != 0;
    default:
      return false;
  }
}

bool LogKindWants(const ServerConfig& record, int kind, uint32_t entry_bits) {
  const LogKind* row = FindLogKind(kind);
  if (row == nullptr) return false;
  switch (row->rule) {
    case kLevel:
      return LogLevelWants(record.Byte(row->level_offset), entry_bits);
    case kSwitch:
      return record.Byte(row->level_offset) != 0;
    case kAlways:
      return true;
    case kNever:
      return false;
  }
  return false;
}

std::string LogFileStem(const LogSettings& settings, int kind) {
  const LogKind* row = FindLogKind(kind);
  if (row == nullptr) return std::string();
  // A directory typed without its final separator still holds the files.
  std::string stem = WithTrailingSeparator(settings.record.Text(log_offsets::kLogDirectory));
  stem.append(row->name);
  if (row->directory) stem.push_back(kPathSeparator);
  stem.append(settings.file_name_tag);
  return stem;
}

std::string LogFileName(std::string_view stem, const CivilDate& date, int counter) {
  char day[16];
  std::snprintf(day, sizeof day, "%04d%02d%02d", date.year, date.month, date.day);
  std::string name(stem);
  name.append(day);
  if (counter >= 0) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%02d", counter);
    name.append(suffix);
  }
  name.append(".log");
  return name;
}

}  // namespace tarvelin

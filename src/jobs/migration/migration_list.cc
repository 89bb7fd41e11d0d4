#include "jobs/migration/migration_list.h"

#include <cctype>

#include "foundation/text.h"

namespace tarvelin {

namespace {

bool AllDigits(std::string_view text) {
  if (text.empty() || text.size() > 5) return false;
  for (unsigned char c : text) {
    if (!std::isdigit(c)) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> MigrationListLines(std::string_view list) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find('\n', start);
    if (end == std::string_view::npos) end = list.size();
    std::string line = Trim(list.substr(start, end - start));
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

MigrationRecord QueueRecordOf(std::string_view line, MigrationProtocol protocol) {
  std::string_view fields[3];
  for (int i = 0; i < 3; ++i) {
    const size_t colon = line.find(':');
    fields[i] = line.substr(0, colon);
    line = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
  }
  MigrationRecord record;
  record.set_login(CutTo(fields[0], kMigrationLoginCapacity));
  record.set_password(CutTo(fields[1], kMigrationPasswordCapacity));
  std::string target = CutTo(fields[2], kMigrationTargetCapacity);
  if (target.find('@') == std::string::npos) {
    target = CutTo(record.login() + "@" + target, kMigrationTargetCapacity);
  }
  record.set_target(target);
  record.set_protocol(protocol);
  record.set_state(kMigrationQueued);
  return record;
}

std::vector<MigrationLogin> MigrationListLogins(std::string_view list) {
  std::vector<MigrationLogin> logins;
  for (const std::string& line : MigrationListLines(list)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const size_t second = line.find(':', colon + 1);
    logins.push_back({line.substr(0, colon),
                      line.substr(colon + 1, second == std::string::npos ? std::string::npos
                                                                         : second - colon - 1)});
  }
  return logins;
}

ServerAddress ParseServerAddress(std::string_view address) {
  ServerAddress server;
  std::string_view host = address;
  std::string_view port;
  if (host.starts_with('[')) {
    const size_t close = host.find(']');
    if (close != std::string_view::npos) {
      if (host.substr(close + 1).starts_with(':')) port = host.substr(close + 2);
      host = host.substr(1, close - 1);
    }
  } else if (const size_t colon = host.find(':');
             colon != std::string_view::npos && host.find(':', colon + 1) == std::string_view::npos) {
    port = host.substr(colon + 1);
    host = host.substr(0, colon);
  }
  server.host = Trim(host);
  if (AllDigits(port)) {
    const unsigned long number = std::stoul(std::string(port));
    if (number > 0 && number <= 65535) server.port = static_cast<uint16_t>(number);
  }
  return server;
}

}  // namespace tarvelin

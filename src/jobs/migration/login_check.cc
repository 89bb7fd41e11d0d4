#include "jobs/migration/login_check.h"

#include <thread>

#include "core/config/config_variables.h"
#include "core/context.h"
#include "foundation/text.h"
#include "jobs/migration/migration_queue.h"
#include "schema/config_offsets.h"

namespace tarvelin {

namespace {

constexpr int32_t kMigrationServerVariable = 366;
constexpr uint16_t kPop3Port = 110;
constexpr uint16_t kImapPort = 143;
constexpr int kDefaultTimeoutMs = 30000;

int TimeoutOf(const Context& context, const LoginCheckOptions& options) {
  if (options.timeout_ms > 0) return options.timeout_ms;
  const uint32_t configured = context.config.record.Number(offsets::kTimeoutSeconds, 2);
  return configured > 0 ? static_cast<int>(configured) * 1000 : kDefaultTimeoutMs;
}

MigrationLoginCheck CheckOne(Env& env, const ServerAddress& server, MailProtocol protocol,
                    const MigrationLogin& login, int timeout_ms) {
  MigrationLoginCheck check;
  check.user = login.user;
  if (login.user.empty() || login.password.empty()) {
    check.passed = true;
    check.skipped = true;
    return check;
  }
  const uint16_t port =
      server.port != 0 ? server.port : (protocol == MailProtocol::kPop3 ? kPop3Port : kImapPort);
  Result<std::unique_ptr<NetworkStream>> stream = env.ConnectTcp(server.host, port, timeout_ms);
  if (!stream.ok()) {
    check.reason = stream.status().ToString();
    return check;
  }
  const LoginResult result = LoginOver(**stream, protocol, login.user, login.password, timeout_ms);
  check.passed = result.accepted;
  check.used_tls = result.used_tls;
  check.reason = result.reason;
  return check;
}

}  // namespace

std::string MigrationServerAddressOf(const Context& context) {
  const std::string list = context.config.record.Text(offsets::kServerAddresses);
  const std::string first = Trim(list.substr(0, list.find(';')));
  return first.empty() ? "localhost" : first;
}

std::vector<MigrationLoginCheck> CheckMigrationLogins(Context& context,
                                             const std::vector<MigrationLogin>& logins,
                                             const LoginCheckOptions& options) {
  const std::string address = MigrationServerAddressOf(context);
  // In memory only: a later save writes it, as any other setting.
  (void)SetConfigSettingValue(context, kMigrationServerVariable, SettingValue::Text(address));
  const ServerAddress server = ParseServerAddress(address);
  const MailProtocol protocol = ConfiguredMigrationProtocol(context) == MigrationProtocol::kPop3
                                    ? MailProtocol::kPop3
                                    : MailProtocol::kImap;
  const int timeout_ms = TimeoutOf(context, options);
  std::vector<MigrationLoginCheck> checks;
  checks.reserve(logins.size());
  for (const MigrationLogin& login : logins) {
    MigrationLoginCheck check;
    std::thread worker(
        [&] { check = CheckOne(context.env(), server, protocol, login, timeout_ms); });
    worker.join();
    checks.push_back(std::move(check));
  }
  return checks;
}

bool AnyLoginFailed(const std::vector<MigrationLoginCheck>& checks) {
  for (const MigrationLoginCheck& check : checks) {
    if (!check.passed) return true;
  }
  return false;
}

}  // namespace tarvelin

#include "jobs/upgrade/upgrade_steps.h"

#include <array>

namespace tarvelin {

namespace {

constexpr int kSmtp = 0, kPop3 = 1, kControl = 2, kInstantMessaging = 3, kGroupware = 4;
// The groupware service's kinds of task (the SMTP service's are 2, 3 and 4).
constexpr uint32_t kGroupwareTables = 3841, kGroupwareMigration = 3845;

}  // namespace

std::span<const UpgradeStep> UpgradeSteps() {
  static const std::vector<UpgradeStep> steps = {
      {"7.1.3", {{kGroupware, kGroupwareTables, 0}, {kSmtp, 2, 0}}},
      {"7.4.6", {{kSmtp, 3, 1}, {kSmtp, 4, 2}}},
      {"7.4.7", {{kSmtp, 4, 3}, {kSmtp, 4, 4}}},
      {"7.6.1", {{kGroupware, kGroupwareMigration, 5}}},
      {"7.6.3", {{kGroupware, kGroupwareMigration, 6}}},
      {"7.7.2", {{kGroupware, kGroupwareMigration, 8}}},
      {"8.2.10", {{kSmtp, 2, 9}}},
      {"8.2.13", {{kSmtp, 2, 10}}},
      {"8.3.11", {{kSmtp, 4, 11}}},
      {"8.3.12", {{kGroupware, kGroupwareMigration, 12}}},
      {"8.3.13", {{kGroupware, kGroupwareMigration, 13}}},
      {"8.3.14", {{kGroupware, kGroupwareMigration, 14}}},
      {"8.3.15", {{kSmtp, 4, 15}}},
      {"8.3.16", {}, /*configuration=*/true},
      {"8.3.17", {{kSmtp, 4, 16}}},
      {"8.3.18", {{kGroupware, kGroupwareMigration, 17}}},
  };
  return steps;
}

std::span<const int> UpgradeReloadServices() {
  static constexpr std::array<int, 5> kServices = {kSmtp, kPop3, kInstantMessaging, kGroupware,
                                                   kControl};
  return kServices;
}

}  // namespace tarvelin

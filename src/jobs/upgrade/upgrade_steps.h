// The upgrade steps: for each version threshold, what runs when the
// previous version is older. Every notification is message 1280 with two
// parameters: the kind of task in the receiving service, and the number of
// the migration task.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tarvelin {

inline constexpr uint32_t kUpgradeMessage = 1280;

struct UpgradeNotification {
  int service = 0;
  uint32_t first = 0;
  uint32_t second = 0;
};

struct UpgradeStep {
  std::string_view threshold;
  std::vector<UpgradeNotification> notifications;
  // The library's own step on the configuration instead of notifications.
  bool configuration = false;
};

// In the order they are checked and run.
std::span<const UpgradeStep> UpgradeSteps();

// The reload sent once per run, right after the first comparison: to these
// services in this order, with these parameters.
std::span<const int> UpgradeReloadServices();
inline constexpr uint32_t kUpgradeReloadFirst = 257;
inline constexpr uint32_t kUpgradeReloadSecond = 0;

}  // namespace tarvelin

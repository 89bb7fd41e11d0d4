#include "support/cli_installation.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/context.h"
#include "foundation/scramble.h"
#include "support/cli_runner.h"

namespace tarvelin::testing {

namespace {

bool IsEmpty(const UserRecord& record) {
  return std::all_of(record.begin(), record.end(), [](uint8_t byte) { return byte == 0; });
}

}  // namespace

CliInstallation::CliInstallation(StorageMode mode, const std::string& domain) : mode_(mode) {
  if (mode == StorageMode::kFiles) {
    install_ = dir_.path() + "inst";
    const CommandRun created = Admin("--install-dir " + install_ + " create --domain " + domain);
    if (created.exit_code != 0) why_ = "create failed: " + created.output;
    return;
  }
  why_ = StorageModeUnavailable(mode);
  if (!why_.empty()) return;
  database_ = std::make_unique<StorageModeInstallation>(mode, std::vector<std::string>{domain});
  why_ = database_->why();
  const std::string& install = database_->install();
  install_ = install.substr(0, install.size() - 1);
}

std::string CliInstallation::AdminCommand() const {
  return AdminProgram() + " --install-dir " + install_;
}

std::vector<UserRecord> CliInstallation::Records(const std::string& domain,
                                                 std::string* fault) const {
  std::vector<UserRecord> records;
  if (mode_ == StorageMode::kFiles) {
    std::ifstream file(install_ + "/config/" + domain + "/users.cfg", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    if (bytes.size() % kUserRecordSize != 0) *fault = "users.cfg ends in a torn record";
    for (size_t at = 0; at + kUserRecordSize <= bytes.size(); at += kUserRecordSize) {
      records.emplace_back();
      std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), kUserRecordSize,
                  records.back().begin());
      ScrambleBytes(records.back().data(), kUserRecordSize, 0);
    }
    return records;
  }
  const std::unique_ptr<Context> reader = database_->Reopen();
  if (reader == nullptr) {
    *fault = "the installation does not open";
    return records;
  }
  const int count = reader->accounts().Count(domain);
  for (int position = 0; position < count; ++position) {
    records.emplace_back();
    reader->accounts().Load(domain, position, &records.back());
    if (IsEmpty(records.back())) *fault += "no account at position " + std::to_string(position) + "; ";
  }
  UserRecord past{};
  reader->accounts().Load(domain, count, &past);
  if (!IsEmpty(past)) *fault += "an account past the count " + std::to_string(count) + "; ";
  return records;
}

}  // namespace tarvelin::testing

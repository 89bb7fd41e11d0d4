#include "jobs/backup/restore_config.h"

#include <string>

#include "core/config/config_merge.h"
#include "core/config/config_save.h"
#include "core/config/configuration.h"
#include "core/context.h"
#include "core/logging.h"
#include "jobs/backup/backup_pipeline.h"
#include "jobs/backup/backup_reader.h"
#include "log/log_kinds.h"
#include "platform/file_system.h"
#include "platform/os_path.h"
#include "schema/config_offsets.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

constexpr int kSmtp = 0, kPop3 = 1, kInstantMessaging = 3, kGroupware = 4;

Status Unpack(const Context& context, std::string_view path, const ArchiveProgressFn& progress) {
  const std::string target = WithTrailingSeparator(ToOsPath(context.api.config_path));
  if (path.empty()) return Status::InvalidArgument("no archive path");
  if (target.empty()) return Status::InvalidArgument("no configuration folder");
  TARVELIN_RETURN_IF_ERROR(context.env().CreateDirectories(target));
  UnpackOptions options;
  options.threads = PipelineThreads();
  options.progress = progress;
  // Other programs of this installation hold their locks in it.
  options.left_alone = target + std::string(kLockFileName);
  const UnpackResult unpacked = UnpackArchive(context.env(), std::string(path), target, options);
  if (unpacked.all_written) return Status();
  if (!unpacked.failure.ok()) return unpacked.failure;
  if (!unpacked.opened && !FileExists(context.env(), path)) {
    return Status::NotFound("no archive " + std::string(path));
  }
  return Status::IOError("the archive " + std::string(path) + " is missing or damaged");
}

}  // namespace

Status RestoreConfiguration(Context& context, std::string_view path,
                            const ArchiveProgressFn& progress, bool relocate,
                            std::vector<ForeignFolder>* foreign) {
  // A save of another program between the unpack and the reload would
  // write its configuration over the restored one.
  Result<CrossProcessLocks::Held> held = LockConfiguration(context);
  if (!held.ok()) return held.status();
  Status unpacked = Unpack(context, path, progress);

  ConfigState& config = context.config;
  LoadConfiguration(context, /*must_exist=*/false);
  if (config.derived.saved_platform_kind != config.record.Byte(offsets::kPlatformKind)) {
    // Directories written on another platform mean nothing here.
    for (int offset : {offsets::kTempDirectory, offsets::kMailRoot, offsets::kLogDirectory}) {
      config.record.SetText(offset, "");
    }
    SaveConfiguration(context);
    // Load again so the record in memory holds the defaults, as after Init.
    LoadConfiguration(context, /*must_exist=*/false);
  }

  const std::vector<ForeignFolder> found = FindForeignFolders(context);
  for (const ForeignFolder& folder : found) {
    WriteLog(context, 0, kLogKindError, "SYSTEM", 1,
             "RestoreConfig: the " + folder.setting + " " + folder.value +
                 " lies in the installation the archive came from" +
                 (relocate ? "; it becomes " : "; here it would be ") + folder.here);
  }
  if (foreign != nullptr) *foreign = found;
  if (relocate && !found.empty()) {
    const Status relocated = RelocateFolders(context, found);
    if (unpacked.ok()) unpacked = relocated;
  }

  const ServiceChannel channel = context.Channel();
  for (int service : {kSmtp, kPop3, kInstantMessaging, kGroupware}) {
    channel.NotifyService(service, kReloadMessage, 0, 0);
  }
  return unpacked;
}

}  // namespace tarvelin

#include "jobs/backup/backup_config.h"

#include "jobs/backup/backup_entry_name.h"
#include "jobs/backup/backup_sources.h"
#include "jobs/backup/backup_writer.h"
#include "core/context.h"
#include "platform/stale_temp_files.h"

namespace tarvelin {

namespace {

// Totals for the progress display: the same walk, counting only.
ArchiveProgress CountFiles(Env& env, const std::vector<BackupSource>& sources,
                           const MailFilter& filter) {
  ArchiveProgress totals;
  for (const BackupSource& source : sources) {
    WalkSource(env, source, filter, [&](const WalkedFile& file) {
      ++totals.files_total;
      totals.bytes_total += file.size;
      return true;
    });
  }
  return totals;
}

}  // namespace

std::string ExpandDateStamps(std::string_view path, const CivilDateTime& now) {
  std::string out;
  size_t i = 0;
  while (i < path.size()) {
    const size_t open = path.find('"', i);
    const size_t close = open == std::string_view::npos ? open : path.find('"', open + 1);
    if (close == std::string_view::npos) {
      out.append(path.substr(i));
      break;
    }
    out.append(path.substr(i, open - i));
    out.append(FormatDateTime(path.substr(open + 1, close - open - 1), now));
    i = close + 1;
  }
  return out;
}

Status BackupConfiguration(Context& context, std::string_view path,
                           const ArchiveProgressFn& progress, std::string* written) {
  Env& env = context.env();
  const std::string target = ExpandDateStamps(path, env.NowLocal());
  if (written != nullptr) *written = target;
  if (target.empty()) return Status::InvalidArgument("no archive path");

  const std::vector<BackupSource> sources = BackupSources(env, context.api, context.config);
  const MailFilter filter = MailFilterOf(context.config.record, env.NowUnixNanos());
  ArchiveProgressFn report;
  if (progress) {
    const ArchiveProgress totals = CountFiles(env, sources, filter);
    report = [&progress, totals](const ArchiveProgress& done) {
      ArchiveProgress shown = done;
      shown.files_total = totals.files_total;
      shown.bytes_total = totals.bytes_total;
      progress(shown);
    };
  }

  ArchiveWriter writer(env, PipelineThreads(), std::move(report));
  TARVELIN_RETURN_IF_ERROR(writer.Create(target));
  // Once a write failed, the later sources are not walked.
  for (const BackupSource& source : sources) {
    if (writer.failed()) break;
    WalkSource(env, source, filter, [&](const WalkedFile& file) {
      if (writer.IsArchive(file.device, file.inode)) return true;
      std::string name;
      if (!MakeEntryName(source.prefix, file.relative, &name)) {
        writer.MarkIncomplete();
        return true;
      }
      writer.AddFile(std::move(name), source.directory + file.relative, file.size);
      return !writer.failed();
    }, [&](const std::string& temporary) {
      // Left by a program that died while writing: it never goes in place.
      const int64_t pid = TempFileProcess(temporary.substr(temporary.rfind('/') + 1));
      if (pid > 0 && !env.ProcessRunning(pid)) env.RemoveFile(temporary);
    });
  }
  if (!writer.Finish()) {
    return Status::IOError("the archive " + target +
                           " could not be written whole, or a file could not be stored in it");
  }
  return Status();
}

}  // namespace tarvelin

#include "jobs/backup/archive_inspection.h"

#include <cerrno>
#include <memory>
#include <string>

#include "jobs/backup/backup_archive.h"
#include "jobs/backup/backup_entry_name.h"
#include "jobs/backup/work_files.h"

namespace tarvelin {

Result<ArchiveInspection> InspectArchive(Env& env, std::string_view path) {
  const std::string name(path);
  Result<std::unique_ptr<ReadableFile>> opened = env.NewReadableFile(path);
  if (!opened.ok()) {
    if (opened.status().sys_errno() == ENOENT) {
      return Status::NotFound("no archive " + name);
    }
    return Status::IOError("cannot read " + name, opened.status().sys_errno());
  }
  const ReadableFile& file = **opened;
  ArchiveInspection inspection;
  inspection.size = file.stamp().size;
  ArchiveLayout layout;
  if (!ReadArchiveLayout(file, &layout)) {
    return Status::Corruption(name + " begins like a backup archive, but its header is damaged "
                              "or names a format this program does not know");
  }
  inspection.has_magic = layout.first_entry > 0;  // no magic: entries from byte 0
  int64_t offset = layout.first_entry;
  for (;;) {
    EntryHead head;
    const EntryHeadStatus status = ReadEntryHead(file, layout, offset, &head);
    if (status == EntryHeadStatus::kEnd) break;
    if (status == EntryHeadStatus::kBroken) {
      return Status::Corruption(
          inspection.has_magic
              ? name + " is cut off or damaged at byte " + std::to_string(offset)
              : name + " is no backup archive: it does not begin with \"ILDS\", and read as "
                       "one of the oldest format it breaks off at byte " +
                    std::to_string(offset));
    }
    ++inspection.entries;
    std::string relative;
    if (EntryNameToPath(head.name, &relative) &&
        !IsTemporaryFileName(relative.substr(relative.rfind('/') + 1))) {
      ++inspection.restorable;
    }
    offset = head.data_offset + head.data_size;
  }
  return inspection;
}

}  // namespace tarvelin

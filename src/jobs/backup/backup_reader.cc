#include "jobs/backup/backup_reader.h"

#include <zlib.h>

#include <algorithm>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "jobs/backup/backup_archive.h"
#include "jobs/backup/backup_entry_name.h"
#include "jobs/backup/backup_pipeline.h"
#include "jobs/backup/work_files.h"
#include "platform/atomic_file_writer.h"
#include "platform/file_system.h"
#include "platform/os_path.h"
#include "platform/stale_temp_files.h"

namespace tarvelin {

namespace {

constexpr size_t kBlock = 256 * 1024;
// Entries in flight: their data are streamed, so this bounds the number of
// temporary files, not memory.
constexpr int64_t kMaxBytesInFlight = 256 << 20;
// A batch of written files is flushed to disk with one call, then renamed.
constexpr int64_t kBatchBytes = 256 << 20;
constexpr size_t kBatchFiles = 4096;

// Exactly `length` bytes at `offset`, or false.
bool ReadWhole(const ReadableFile& file, int64_t offset, void* buffer, size_t length) {
  const Result<size_t> read = file.ReadAt(offset, buffer, length);
  return read.ok() && *read == length;
}

// Copies or inflates `head`'s data into `out`, reading bounded blocks.
bool ExtractData(const ReadableFile& archive, const EntryHead& head, bool compressed,
                 AtomicFileWriter* out) {
  std::vector<unsigned char> in(std::min<size_t>(kBlock, std::max<uint32_t>(head.data_size, 1)));
  int64_t offset = head.data_offset;
  int64_t left = head.data_size;
  if (!compressed || left == 0) {
    while (left > 0) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(left, in.size()));
      if (!ReadWhole(archive, offset, in.data(), want)) return false;
      if (!out->Append(in.data(), want)) return false;
      offset += static_cast<int64_t>(want);
      left -= static_cast<int64_t>(want);
    }
    return true;
  }
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  std::vector<unsigned char> chunk(kBlock);
  int status = Z_OK;
  while (status == Z_OK) {
    if (stream.avail_in == 0) {
      if (left == 0) break;  // the data ended inside the stream
      const size_t want = static_cast<size_t>(std::min<int64_t>(left, in.size()));
      if (!ReadWhole(archive, offset, in.data(), want)) break;
      offset += static_cast<int64_t>(want);
      left -= static_cast<int64_t>(want);
      stream.next_in = in.data();
      stream.avail_in = static_cast<uInt>(want);
    }
    stream.next_out = chunk.data();
    stream.avail_out = static_cast<uInt>(chunk.size());
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    if (!out->Append(chunk.data(), chunk.size() - stream.avail_out)) {
      status = Z_ERRNO;
      break;
    }
  }
  inflateEnd(&stream);
  // Bytes after the end of the stream are ignored.
  return status == Z_STREAM_END;
}

// An entry that was not put in place, as the target and the cause say.
Status EntryFailure(const std::string& target, const Status& cause) {
  return Status::IOError("cannot restore " + target + ": " + cause.message(), cause.sys_errno());
}

struct Extracted {
  explicit Extracted(Env& env) : file(env) {}
  AtomicFileWriter file;  // closed, waiting to be put in place
  Status status;
  int64_t archive_end = 0;
  int64_t size = 0;
};

class Unpacker {
 public:
  Unpacker(Env& env, std::string_view target, const UnpackOptions& options)
      : env_(env), target_(ToOsPath(target)), options_(options) {}

  UnpackResult Run(std::string_view archive_path) {
    Result<std::unique_ptr<ReadableFile>> opened = env_.NewReadableFile(archive_path);
    if (!opened.ok()) return result_;
    archive_ = std::move(*opened);
    if (!ReadArchiveLayout(*archive_, &layout_)) return result_;
    result_.opened = true;
    // Every head is read before anything is written, so a cut-off or
    // damaged archive leaves the installation as it was, not half old and
    // half new.
    std::vector<Planned> plan;
    if (!ReadPlan(archive_path, &plan)) return result_;
    result_.complete = true;
    RemoveStaleTemporaries(plan);
    all_written_ = true;
    progress_.bytes_total = archive_->stamp().size;
    {
      OrderedPipeline<Extracted> pipeline(
          options_.threads, static_cast<size_t>(4 * options_.threads + 4), kMaxBytesInFlight,
          [this](Extracted&& done) { Place(std::move(done)); });
      for (const Planned& entry : plan) {
        if (!entry.failure.ok()) {
          Fail(entry.failure);
          continue;
        }
        if (entry.path.empty()) continue;
        const int64_t end = entry.head.data_offset + entry.head.data_size;
        pipeline.Submit(entry.head.data_size, [this, &entry, end] {
          return Extract(entry.head, entry.path, end);
        });
      }
      pipeline.Finish();
    }
    CommitBatch();
    result_.all_written = result_.complete && all_written_;
    return result_;
  }

 private:
  // One entry of the archive and what becomes of it.
  struct Planned {
    EntryHead head;
    std::string path;  // the file to write; empty when the entry is passed over
    Status failure;    // why it must not be written
  };

  // The heads of every entry up to the end or the end marker, with the
  // file each one writes. False, with the failure set, when a head is cut
  // off or its data reach past the end of the file.
  bool ReadPlan(std::string_view archive_path, std::vector<Planned>* plan) {
    int64_t offset = layout_.first_entry;
    for (;;) {
      Planned entry;
      const EntryHeadStatus status = ReadEntryHead(*archive_, layout_, offset, &entry.head);
      if (status == EntryHeadStatus::kEnd) return true;
      if (status == EntryHeadStatus::kBroken) {
        plan->clear();
        result_.failure = Status::Corruption(
            "the archive " + std::string(archive_path) + " is cut off or damaged at byte " +
            std::to_string(offset) + "; nothing was restored");
        return false;
      }
      offset = entry.head.data_offset + entry.head.data_size;
      std::string relative;
      if (!EntryNameToPath(entry.head.name, &relative)) {
        entry.failure = Status::InvalidArgument("the entry " + entry.head.name +
                                                " leads outside the target");
      } else {
        entry.path = PathOf(relative);
        // Work files that an archive may carry from elsewhere never land.
        if (entry.path == options_.left_alone ||
            IsTemporaryFileName(entry.path.substr(entry.path.rfind('/') + 1))) {
          entry.path.clear();
        }
      }
      plan->push_back(std::move(entry));
    }
  }

  // The target path of a relative entry path, whose single leading ".."
  // leads to the target's parent.
  std::string PathOf(const std::string& relative) const {
    if (!relative.starts_with("../")) return target_ + relative;
    const size_t parent = target_.rfind('/', target_.size() - 2);
    return target_.substr(0, parent + 1) + relative.substr(3);
  }

  // Temporary files that a restore or a backup killed part-way left in the
  // folders this archive writes to.
  void RemoveStaleTemporaries(const std::vector<Planned>& plan) {
    std::set<std::string> folders;
    for (const Planned& entry : plan) {
      if (!entry.path.empty()) folders.insert(entry.path.substr(0, entry.path.rfind('/') + 1));
    }
    for (const std::string& folder : folders) RemoveStaleTempFiles(env_, folder);
  }

  Extracted Extract(const EntryHead& head, const std::string& path, int64_t archive_end) {
    Extracted done(env_);
    done.archive_end = archive_end;
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    done.status = env_.CreateDirectories(folder);
    if (done.status.ok()) done.status = done.file.OpenFile(path);
    if (done.status.ok() && !(ExtractData(*archive_, head, layout_.compressed, &done.file) &&
                              done.file.Close(/*durable=*/false))) {
      // The writer keeps a failed write; otherwise the data were broken.
      done.status = done.file.failure().ok()
                        ? Status::Corruption("the data of the entry " + head.name +
                                             " cannot be read or inflated")
                        : done.file.failure();
    }
    if (!done.status.ok()) {
      done.status = EntryFailure(path, done.status);
      done.file.Discard();
    }
    done.size = head.data_size;
    return done;
  }

  // Runs in archive order.
  void Place(Extracted&& done) {
    if (!done.status.ok()) {
      Fail(done.status);
    } else if (!options_.durable) {
      Commit(done.file);
    } else {
      batch_bytes_ += done.size;
      batch_.push_back(std::move(done.file));
      if (batch_bytes_ >= kBatchBytes || batch_.size() >= kBatchFiles) CommitBatch();
    }
    progress_.bytes_done = done.archive_end;
    ++progress_.files_done;
    if (options_.progress) options_.progress(progress_);
  }

  void CommitBatch() {
    if (batch_.empty()) return;
    // One flush for each file system the batch wrote to ("..\" entries may
    // land on another one, such as a mounted mail root).
    std::map<uint64_t, std::string> folders;
    for (const AtomicFileWriter& file : batch_) {
      folders.emplace(file.device(), file.target().substr(0, file.target().rfind('/') + 1));
    }
    for (const auto& [device, folder] : folders) {
      if (Status synced = env_.SyncFileSystem(folder); !synced.ok()) Fail(synced);
    }
    for (AtomicFileWriter& file : batch_) Commit(file);
    batch_.clear();
    batch_bytes_ = 0;
  }

  void Commit(AtomicFileWriter& file) {
    if (file.Commit()) {
      ++result_.files_written;
    } else {
      Fail(EntryFailure(file.target(), file.failure()));
    }
  }

  // Keeps the first failure.
  void Fail(const Status& status) {
    all_written_ = false;
    if (result_.failure.ok()) result_.failure = status;
  }

  Env& env_;
  const std::string target_;
  const UnpackOptions& options_;
  std::unique_ptr<ReadableFile> archive_;
  ArchiveLayout layout_;
  UnpackResult result_;
  bool all_written_ = false;
  ArchiveProgress progress_;
  std::vector<AtomicFileWriter> batch_;
  int64_t batch_bytes_ = 0;
};

}  // namespace

UnpackResult UnpackArchive(Env& env, std::string_view archive_path, std::string_view target,
                           const UnpackOptions& options) {
  return Unpacker(env, target, options).Run(archive_path);
}

}  // namespace tarvelin

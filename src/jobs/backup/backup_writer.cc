#include "jobs/backup/backup_writer.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "jobs/backup/backup_archive.h"

namespace tarvelin {

namespace {

constexpr size_t kReadBlock = 1 << 20;
// Bytes of source files being compressed or waiting to be written at once:
// bounds memory whatever the size of the tree.
constexpr int64_t kMaxBytesInFlight = 64 << 20;

enum class PackStatus { kPacked, kUnreadable, kTooLarge };

// Compresses the whole file as one zlib stream (default level), reading it
// in blocks.
PackStatus CompressFile(Env& env, const std::string& path, std::string* out,
                        int64_t* source_bytes) {
  Result<std::unique_ptr<ReadableFile>> opened = env.NewReadableFile(path);
  if (!opened.ok()) return PackStatus::kUnreadable;
  const ReadableFile& file = **opened;
  const int64_t size = file.stamp().size;
  z_stream stream{};
  if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) return PackStatus::kUnreadable;
  // Room for the usual case; a large file's output grows as it comes.
  out->reserve(deflateBound(&stream, static_cast<uLong>(std::min<int64_t>(size, 64 << 20))));
  // One byte more than the file holds, so a short read shows its end.
  std::vector<unsigned char> block(
      static_cast<size_t>(std::min<int64_t>(size + 1, static_cast<int64_t>(kReadBlock))));
  std::vector<unsigned char> chunk(64 * 1024);
  int64_t offset = 0;
  PackStatus status = PackStatus::kPacked;
  int flush = Z_NO_FLUSH;
  while (flush != Z_FINISH) {
    const Result<size_t> got = file.ReadAt(offset, block.data(), block.size());
    if (!got.ok()) {
      status = PackStatus::kUnreadable;
      break;
    }
    offset += static_cast<int64_t>(*got);
    flush = *got < block.size() ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = block.data();
    stream.avail_in = static_cast<uInt>(*got);
    int result = Z_OK;
    do {
      stream.next_out = chunk.data();
      stream.avail_out = static_cast<uInt>(chunk.size());
      result = deflate(&stream, flush);
      out->append(reinterpret_cast<const char*>(chunk.data()), chunk.size() - stream.avail_out);
    } while (stream.avail_out == 0 && result == Z_OK);
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
      status = PackStatus::kUnreadable;
      break;
    }
    if (out->size() > kMaxEntryDataSize) {
      status = PackStatus::kTooLarge;
      break;
    }
  }
  deflateEnd(&stream);
  *source_bytes = offset;
  if (status != PackStatus::kPacked) out->clear();
  return status;
}

}  // namespace

struct ArchiveWriter::Packed {
  std::string name;
  PackStatus status = PackStatus::kUnreadable;
  std::string data;
  int64_t source_bytes = 0;
};

ArchiveWriter::ArchiveWriter(Env& env, int threads, ArchiveProgressFn progress)
    : env_(env),
      out_(env),
      progress_(std::move(progress)),
      pipeline_(std::make_unique<OrderedPipeline<Packed>>(
          threads, static_cast<size_t>(4 * threads + 4), kMaxBytesInFlight,
          [this](Packed&& packed) { Write(std::move(packed)); })) {}

ArchiveWriter::~ArchiveWriter() = default;

Status ArchiveWriter::Create(std::string_view path) {
  TARVELIN_RETURN_IF_ERROR(out_.OpenFile(path));
  const std::string header = EncodeArchiveHeader(/*compressed=*/true);
  failed_ = !out_.Append(header.data(), header.size());
  return Status::Ok();
}

void ArchiveWriter::AddFile(std::string name, std::string source_path, int64_t size_hint) {
  if (failed_) return;
  pipeline_->Submit(size_hint, [this, name = std::move(name), path = std::move(source_path)] {
    Packed packed;
    packed.name = name;
    packed.status = CompressFile(env_, path, &packed.data, &packed.source_bytes);
    return packed;
  });
}

bool ArchiveWriter::IsArchive(uint64_t device, uint64_t inode) const {
  return out_.is_open() && out_.IsOwnFile(device, inode);
}

void ArchiveWriter::Write(Packed&& packed) {
  if (failed_) return;
  if (packed.status == PackStatus::kTooLarge) incomplete_ = true;
  if (packed.status != PackStatus::kPacked) return;
  const std::string head = EncodeEntryHead(packed.name, static_cast<uint32_t>(packed.data.size()));
  if (!out_.Append(head.data(), head.size()) ||
      !out_.Append(packed.data.data(), packed.data.size())) {
    failed_ = true;
    return;
  }
  ++done_.files_done;
  done_.bytes_done += packed.source_bytes;
  if (progress_) progress_(done_);
}

bool ArchiveWriter::Finish() {
  pipeline_->Finish();
  const bool committed = out_.Commit();
  return committed && !failed_ && !incomplete_;
}

}  // namespace tarvelin

#include "mailstore/message_conversion.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "mailstore/dot_stuffing.h"

namespace tarvelin {

namespace {

bool EndsWithMarker(const ReadableFile& file) {
  const int64_t marker_size = static_cast<int64_t>(kPop3EndMarker.size());
  const int64_t size = file.stamp().size;
  if (size < marker_size) return false;
  char tail[kPop3EndMarker.size()];
  const Result<size_t> read = file.ReadAt(size - marker_size, tail, sizeof(tail));
  return read.ok() && *read == sizeof(tail) &&
         std::string_view(tail, sizeof(tail)) == kPop3EndMarker;
}

// Copies the first `length` bytes of `in` through `filter` into `out`.
template <typename Filter>
bool CopyFiltered(const ReadableFile& in, int64_t length, Filter& filter,
                  AtomicFileWriter* out) {
  std::string block(kMessageBlockSize, '\0');
  std::string filtered;
  filtered.reserve(2 * kMessageBlockSize);
  for (int64_t offset = 0; offset < length;) {
    const size_t wanted = static_cast<size_t>(
        std::min<int64_t>(length - offset, static_cast<int64_t>(kMessageBlockSize)));
    const Result<size_t> read = in.ReadAt(offset, block.data(), wanted);
    if (!read.ok() || *read == 0) return false;  // an error, or the file shrank meanwhile
    filtered.clear();
    filter.Filter(std::string_view(block.data(), *read), &filtered);
    if (!out->Append(filtered.data(), filtered.size())) return false;
    offset += static_cast<int64_t>(*read);
  }
  return true;
}

// Closes without flushing: the caller flushes many files at once.
bool Finish(bool written, AtomicFileWriter* out) {
  if (written && out->Close(/*durable=*/false)) return true;
  out->Discard();
  return false;
}

// The source opened for reading, or null.
std::unique_ptr<ReadableFile> OpenSource(Env& env, std::string_view source) {
  Result<std::unique_ptr<ReadableFile>> file = env.NewReadableFile(source);
  return file.ok() ? std::move(*file) : nullptr;
}

}  // namespace

bool WriteImapForm(Env& env, std::string_view source, std::string_view target,
                   AtomicFileWriter* out) {
  const std::unique_ptr<ReadableFile> in = OpenSource(env, source);
  if (in == nullptr || !out->Open(target)) return false;
  int64_t length = in->stamp().size;
  if (EndsWithMarker(*in)) length -= static_cast<int64_t>(kPop3EndMarker.size());
  DotUnstuffer unstuffer;
  return Finish(CopyFiltered(*in, length, unstuffer, out), out);
}

bool WritePop3Form(Env& env, std::string_view source, std::string_view target,
                   AtomicFileWriter* out) {
  const std::unique_ptr<ReadableFile> in = OpenSource(env, source);
  if (in == nullptr || !out->Open(target)) return false;
  DotStuffer stuffer;
  const bool written = CopyFiltered(*in, in->stamp().size, stuffer, out) &&
                       out->Append(kPop3EndMarker.data(), kPop3EndMarker.size());
  return Finish(written, out);
}

bool PutInPlace(Env& env, std::string_view source, AtomicFileWriter* out) {
  if (!out->CommitAsNew()) return false;
  if (env.RemoveFile(source).ok()) return true;
  env.RemoveFile(out->target());
  return false;
}

}  // namespace tarvelin

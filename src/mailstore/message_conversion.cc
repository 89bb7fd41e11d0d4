#include "mailstore/message_conversion.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "mailstore/dot_stuffing.h"
#include "platform/file_system.h"
#include "platform/random_access_file.h"

namespace tarvelin {

namespace {

bool EndsWithMarker(const RandomAccessFile& file) {
  const int64_t marker_size = static_cast<int64_t>(kPop3EndMarker.size());
  if (file.size() < marker_size) return false;
  char tail[kPop3EndMarker.size()];
  return file.ReadAt(file.size() - marker_size, tail, sizeof(tail)) == marker_size &&
         std::string_view(tail, sizeof(tail)) == kPop3EndMarker;
}

// Copies the first `length` bytes of `in` through `filter` into `out`.
template <typename Filter>
bool CopyFiltered(const RandomAccessFile& in, int64_t length, Filter& filter,
                  AtomicFileWriter* out) {
  std::string block(kMessageBlockSize, '\0');
  std::string filtered;
  filtered.reserve(2 * kMessageBlockSize);
  for (int64_t offset = 0; offset < length;) {
    const size_t wanted = static_cast<size_t>(
        std::min<int64_t>(length - offset, static_cast<int64_t>(kMessageBlockSize)));
    const int64_t read = in.ReadAt(offset, block.data(), wanted);
    if (read <= 0) return false;  // an error, or the file shrank meanwhile
    filtered.clear();
    filter.Filter(std::string_view(block.data(), static_cast<size_t>(read)), &filtered);
    if (!out->Append(filtered.data(), filtered.size())) return false;
    offset += read;
  }
  return true;
}

// Closes without flushing: the caller flushes many files at once.
bool Finish(bool written, AtomicFileWriter* out) {
  if (written && out->Close(/*durable=*/false)) return true;
  out->Discard();
  return false;
}

}  // namespace

bool WriteImapForm(std::string_view source, std::string_view target, AtomicFileWriter* out) {
  RandomAccessFile in;
  if (!in.Open(source) || !out->Open(target)) return false;
  int64_t length = in.size();
  if (EndsWithMarker(in)) length -= static_cast<int64_t>(kPop3EndMarker.size());
  DotUnstuffer unstuffer;
  return Finish(CopyFiltered(in, length, unstuffer, out), out);
}

bool WritePop3Form(std::string_view source, std::string_view target, AtomicFileWriter* out) {
  RandomAccessFile in;
  if (!in.Open(source) || !out->Open(target)) return false;
  DotStuffer stuffer;
  const bool written = CopyFiltered(in, in.size(), stuffer, out) &&
                       out->Append(kPop3EndMarker.data(), kPop3EndMarker.size());
  return Finish(written, out);
}

bool PutInPlace(std::string_view source, AtomicFileWriter* out) {
  if (!out->CommitAsNew()) return false;
  if (RemoveFile(source)) return true;
  RemoveFile(out->target());
  return false;
}

}  // namespace tarvelin

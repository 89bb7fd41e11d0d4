// A look at a backup archive before anything is unpacked: whether it reads
// as an archive at all and how many of its entries a restore would write.
// The restore itself takes any file (one without "ILDS" is an archive of
// the oldest format, an empty one an archive without entries); a program
// that tells people "restored" asks here first whether anything would be.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

struct ArchiveInspection {
  int64_t size = 0;         // of the file, in bytes
  bool has_magic = false;   // begins with "ILDS"
  int64_t entries = 0;      // up to the end or the end marker
  int64_t restorable = 0;   // of those, the ones a restore writes
};

// NotFound for a missing file, IOError when it cannot be read; Corruption
// when its header names an unknown format, or an entry head is cut off or
// its data reach past the end (then a restore writes nothing). Reads the
// entry heads only.
Result<ArchiveInspection> InspectArchive(Env& env, std::string_view path);

}  // namespace tarvelin

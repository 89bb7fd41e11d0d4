// domain.cfg in a domain's configuration folder: the 1169 bytes of its
// DomainRecord, scrambled with the settings key from key position 0.
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"
#include "schema/domain_record_layout.h"

namespace tarvelin {

inline constexpr char kDomainFileName[] = "domain.cfg";

// Reads the file at `path` into `record`. A shorter file fills the start
// and leaves the rest zero; bytes past the record are not read. A failure
// (the record all zero) when the file is missing or cannot be read.
Status ReadDomainFile(Env& env, std::string_view path, DomainRecord* record);

// The bytes domain.cfg holds for `record`.
std::string DomainFileImage(const DomainRecord& record);

// Replaces `folder` + "domain.cfg" as a whole (readers see the old or the
// new file, never a part), creating the folder with its missing parents
// when they are missing. A failure when nothing was written.
Status WriteDomainFile(Env& env, std::string_view folder, const DomainRecord& record);

}  // namespace tarvelin

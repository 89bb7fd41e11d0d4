// Carrying one program's changes of the settings record over to a record
// another program wrote meanwhile: what changed is found field by field
// through the layout table (server_config_layout.h), and byte by byte where
// no field covers the record.
#pragma once

#include "schema/server_config.h"

namespace tarvelin {

// Copies into `target` every field of `changed` that differs from `base`
// (the whole field, so a text keeps its length and characters together),
// and every byte outside all fields that differs. Fields that did not
// change keep `target`'s value.
void CopyChangedFields(const ServerConfig& base, const ServerConfig& changed, ServerConfig& target);

}  // namespace tarvelin

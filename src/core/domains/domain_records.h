// The records of the domain store: each domain's DomainRecord in the
// domain.cfg of its configuration folder, read through the domain cache,
// and the checks that other parts make on a domain's record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "schema/domain_record_layout.h"

namespace tarvelin {

class Context;

// Loads the record of `name` (resolved with DomainList::ResolveRecordName)
// from the cache or its domain.cfg, which then enters the cache. False, the
// record all zero, when the domain has no readable domain.cfg.
bool LoadDomainRecord(Context& context, std::string_view name, DomainRecord* record);
// The record of the domain at `position`; false outside 0 .. count-1.
bool LoadDomainRecordAt(Context& context, int position, DomainRecord* record);

// Writes the record into the domain.cfg of the domain at `position`
// (creating its folder when missing) and hands the change log the line
// (actor, "created" or "updated" by `is_new`, name). The cache is not
// filled: its entry turns stale by the file's new stamp. False when the
// file could not be written or the position names no domain.
bool SaveDomainRecord(Context& context, int position, const DomainRecord& record, bool is_new,
                      std::string_view actor);

// Whether the mail folder of a domain is below its quota: the quota of
// `record`, or (null) of the record of the non-strict position of `name`;
// when that is 0, the diskquot.dat value; 0 there too means no limit (true,
// the folder not measured). Otherwise true when the folder mail root +
// name holds fewer whole kilobytes than the quota. `size_low` (optional)
// receives the low 32 bits of the measured byte count, 0 when not measured.
bool DomainQuotaCheck(Context& context, std::string_view name, const DomainRecord* record,
                      uint32_t* size_low);

// False only when the record of `name` loads, DomainExpires is set, the
// expiry date is not 0 and today's date is later than it.
bool DomainNotExpired(Context& context, std::string_view name);
// False only when the record of the non-strict position of `name` loads
// and DomainDisabled is set.
bool DomainNotDisabled(Context& context, std::string_view name);
// DomainMailboxRoot of the record of `name`; empty when it cannot be loaded.
std::string DomainMailboxRoot(Context& context, std::string_view name);

}  // namespace tarvelin

// The domain operations of the API: the list, the records by position,
// defaults of a record and address bindings. Positions outside the list
// are InvalidArgument ("no domain at position N").
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "schema/domain_record_layout.h"

namespace tarvelin {

class Context;

// The names of every position of the list; positions past the stored
// table have empty names.
std::vector<std::string> DomainNames(const Context& context);
Result<std::string> DomainNameAt(const Context& context, int position);
// The strict position of a name as callers write it (cut to 255
// characters, any case), or -1.
int FindDomainPosition(const Context& context, std::string_view name);

// NotFound when the domain has no readable record.
Result<DomainRecord> LoadDomain(Context& context, int position);
// Writes the record and tells the services to reload; IOError when it
// could not be written.
Status SaveDomain(Context& context, int position, const DomainRecord& record);
// Loads the record, lets `change` edit it and saves it as SaveDomain does,
// holding the record's cross-process lock throughout, so that two programs
// changing different settings of one domain both keep theirs. The first
// failure of the load, the change or the save; nothing written after a
// failed change.
Status ChangeDomain(Context& context, int position,
                    const std::function<Status(DomainRecord&)>& change);

// Adds a domain with the record: appends the name (stored lower-cased),
// saves the global configuration, logs the creation, tells the services to
// reload and writes the domain's record. The check and the save hold
// kSettingsLock, the check against the list as last saved by any program. InvalidArgument for a name of 96
// or more characters, empty, invalid, or "." or ".."; AlreadyExists for a
// name that already resolves (an address counts by its domain); IOError
// when the record cannot be written (the domain then stays in the list).
Status AddDomain(Context& context, std::string_view name, const DomainRecord& record);

// Applies the domain keys of default.ini to the record (kDomainRecordSize
// bytes) and answers true; false, without a change, when `force` is 0 and
// setting 77 is off. Single settings of a record are in domain_settings.h.
bool SetDomainDefaults(Context& context, uint8_t* record, int32_t force);

// Where the entry stored as `name` is now, after the list was brought up
// to date with other programs' saves: `position` while it still holds that
// name, else the position that does; -1 when the list lacks it.
int CurrentPosition(const Context& context, int position, const std::string& name);

// The addresses the domain at `position` is bound to.
Result<std::string> DomainBinding(const Context& context, int position);
// Sets the binding to `addresses` (cut to 255; empty removes it), saves the
// global configuration and tells the services to reload; IOError when it
// could not be stored, NotFound when another program removed the domain.
Status SetDomainBinding(Context& context, int position, std::string_view addresses);

}  // namespace tarvelin

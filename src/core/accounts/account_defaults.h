// The account keys of default.ini, the defaults file that new accounts
// start with, and SetUserDefaults. The keys only add restrictions and values
// to the record they are given: bits and fields that no key names keep
// what they held.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/defaults_file.h"

namespace tarvelin {

class Context;

// Applies the account keys among `lines` to the 2848-byte `record`, in file
// order, so a later line overrides an earlier one; other keys are ignored.
// ExpiresInDays counts from the whole days of `today`.
void ApplyAccountKeys(const std::vector<DefaultsLine>& lines, double today, uint8_t* record);

// The defaults file for a new account of `domain`: ConfigPath + domain +
// "/default.ini" when a domain is named and that file exists, else
// ConfigPath + "default.ini". A name that is no plain directory name (empty,
// ".", "..", or holding a separator) takes the global file.
std::string AccountDefaultsPath(const Context& context, std::string_view domain);

// Applies the account keys of that file to the record, counting from
// today's local date; a missing or unreadable file applies nothing.
void ApplyAccountDefaults(const Context& context, std::string_view domain, uint8_t* record);

// When `force` is nonzero or configuration variable 77 is on, applies the
// global defaults file to the record (2848 bytes) and answers true;
// otherwise leaves the record and answers false.
bool SetUserDefaults(const Context& context, uint8_t* record, int32_t force);
// The same with the defaults file of a new account of `domain`
// (AccountDefaultsPath).
bool SetUserDefaultsOfDomain(const Context& context, std::string_view domain, uint8_t* record,
                             int32_t force);

}  // namespace tarvelin

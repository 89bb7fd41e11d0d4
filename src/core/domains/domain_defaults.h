// The domain keys of default.ini applied to a DomainRecord: the named
// fields of the record layout whose rows are default keys, plus
// "DomainExpiresInDays". Keys set only what they name; every other byte of
// the record keeps its value.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "config/defaults_file.h"
#include "platform/env.h"

namespace tarvelin {

// Applies the lines in order (a later line wins):
//   texts: the value cut to the field's capacity;
//   numbers: the low bytes of the value that fit the field;
//   flags: 1 when the value is 1, else 0;
//   "DomainAV", "DomainSIP": a value of 1 sets the bit, any other leaves it;
//   "DomainExpiresInDays": DomainExpiryDate = `today` + the number of days
//   (negative days lie in the past), DomainExpires = 1.
// `today` is the date-time of today's date without the time of day.
void ApplyDomainDefaults(const std::vector<DefaultsLine>& lines, double today, uint8_t* record);

// The domain keys of `config_path` + "default.ini", with today's local
// date. False, and the record untouched, when the file cannot be read.
bool ApplyDomainDefaultsFile(Env& env, std::string_view config_path, uint8_t* record);

}  // namespace tarvelin

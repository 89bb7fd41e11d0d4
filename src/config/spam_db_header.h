// The header line of the antispam word database (spam.db in the spam
// directory): tab-separated word count, two numbers, a date written
// year/month/day, and a fifth text field. Only this line is read.
#pragma once

#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

struct SpamDbHeader {
  std::string date;  // the locale's short date, or field 4 as it stands
  std::string field5;
};

// Empty texts when the file is missing.
SpamDbHeader ReadSpamDbHeader(Env& env, std::string_view spam_directory);

}  // namespace tarvelin

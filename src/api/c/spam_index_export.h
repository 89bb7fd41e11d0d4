// The C++ form of the export SpamIndexNow on a given Context (the automation
// object calls it too).
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

namespace capi {

// Null `email`: only asks the SMTP service to index (1440, 0). Otherwise
// indexes the account ("alias@domain", or "alias" at the first domain) and
// then asks: 0; -1, nothing sent, for an account that is unknown, cannot
// be loaded or is not eligible (jobs/antispam/spam_index.h). The caller
// checks that the Context is initialised.
int32_t SpamIndexNow(Context& context, const char* email);

}  // namespace capi
}  // namespace tarvelin

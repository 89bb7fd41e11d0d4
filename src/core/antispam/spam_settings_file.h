// spam.dat, the antispam settings file in the spam directory: loading it
// into the Context's SpamSettings (at every configuration load, through the
// configuration reloaders) and saving them. The file is written whole
// through a temporary file and a rename, CR LF after each line like the
// installation's other text files.
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// The spam directory recomputed from path.dat's line 6 as held, or
// InstallPath + "spam/", followed by "spam.dat".
std::string SpamSettingsPath(Context& context);

// Applies `file` (empty: SpamSettingsPath, the spam directory recomputed)
// to context.spam_settings(); a missing file changes nothing. Then marks
// the settings freshly loaded.
Status LoadSpamSettings(Context& context, std::string_view file = {});
// Writes all settings to `file` (empty: as above), creating its folder.
Status SaveSpamSettings(Context& context, std::string_view file = {});

// One setting changed in spam.dat as another program may have left it:
// under the file's cross-process lock, load, set `key` to `value` (the
// written form; InvalidArgument says why a value is refused) and save.
Status ChangeSpamSetting(Context& context, std::string_view key, std::string_view value);

}  // namespace tarvelin

// Damage that the load of the configuration reads past without failing,
// as the library always has: a settings.cfg that is not the 28084 bytes of
// the record (the part a short file lacks keeps its built-in values, so a
// cut file reads as defaults: password rules off), a domains.cfg that
// disagrees with the domain count of settings.cfg (the entries it lacks
// read as blank domains), and record files with a torn tail (a partial
// record, which readers ignore). Programs that let people work on the
// installation tell them; the loading itself stays as it is.
//
// Every problem here has level kDamaged. Only sizes and the loaded list are
// looked at; nothing is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_problems.h"
#include "platform/env.h"

namespace tarvelin {

class Context;

// settings.cfg, when it exists and is not exactly the size of the record.
std::optional<FileProblem> SettingsFileDamage(const Context& context);

// domains.cfg, when it exists and its size is not that of the loaded
// list's entries; and the blank entries of the loaded list (a domain
// without a name), whichever file they came from.
std::vector<FileProblem> DomainListDamage(const Context& context);

// A file of `record_size`-byte records (`records` names them: "accounts")
// whose size is no multiple of the record size. A missing file has none.
std::optional<FileProblem> TornRecordFile(Env& env, const std::string& path, int record_size,
                                          std::string_view records);

// Another program saving the configuration writes settings.cfg, then
// domains.cfg, and appends accounts in place: a load or a look in between
// sees damage that its writer is about to mend. So what looks damaged is
// looked at again under the lock the writers hold (store/lock_names.h),
// once that lock file exists; what is still damaged then is reported.

// SettingsFileDamage and DomainListDamage; when they find any, the
// configuration is loaded again under the settings lock and looked at
// again.
std::vector<FileProblem> SettledListDamage(Context& context);
// TornRecordFile, looked at again under `lock` when torn.
std::optional<FileProblem> SettledTornRecordFile(const Context& context, const std::string& path,
                                                 int record_size, std::string_view records,
                                                 std::string_view lock);

// The damage a load reads past.
struct LoadDamageFound {
  // SettledListDamage: settings.cfg and domains.cfg, which a save of the
  // configuration would write the record and list in memory over, losing
  // what is left of them for good.
  std::vector<FileProblem> list;
  // Torn tails of remote.cfg and of the users.cfg of every listed domain
  // (one look at the size of each).
  std::vector<FileProblem> records;
};
LoadDamageFound LoadDamage(Context& context);

}  // namespace tarvelin

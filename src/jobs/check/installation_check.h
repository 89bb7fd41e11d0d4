// The check of a whole installation: reads every file a program of the
// server relies on and reports what is damaged or does not fit, without
// repairing or writing anything.
//
// Damaged (ProblemLevel::kDamaged): settings.cfg missing, unreadable or not
// 28084 bytes; domains.cfg unreadable, disagreeing with the domain count,
// or listing blank domains; a listed domain without its configuration
// folder or domain.cfg, a domain.cfg that is unreadable or not 1169 bytes;
// a users.cfg or remote.cfg that is unreadable or holds a torn record.
// Errors (kError): two accounts of a domain answering one alias (mail goes
// to the first), two user accounts with one mail folder.
// Warnings (kWarning): a folder setting (temporary, mail, log, spam,
// calendar, forward, retry folders, folders to back up, the configuration
// folder of path.dat) that names a folder outside the installation, which
// may be meant; temporary files a program that has ended left behind.
//
// Accounts are walked one at a time: duplicate aliases are found through
// the account store's lookups, shared mail folders by remembering a hash
// and a position per folder, at most `folders_per_pass` of them at once
// (more accounts take more passes over the files), so the check's own
// memory does not grow with the number of accounts.
#pragma once

#include <cstdint>
#include <functional>

#include "core/file_problems.h"

namespace tarvelin {

class Context;

struct CheckOptions {
  int64_t folders_per_pass = int64_t{1} << 20;
};

using ProblemReport = std::function<void(const FileProblem&)>;

// Checks the installation `context` holds, loaded by LoadToInspect, and
// hands each problem to `report` as it is found: the configuration files
// first, then each domain's files, the accounts, the folder settings and
// the temporary files.
void CheckInstallation(Context& context, const ProblemReport& report,
                       const CheckOptions& options = {});

}  // namespace tarvelin

// Moving the domains and accounts of an installation between its files
// (domains.cfg, domain.cfg, bind.dat, users.cfg) and the account database
// of db.so (storage mode 2, configuration variable 117).
//
// A migration holds the settings lock for the whole run, and each domain's
// accounts lock while its accounts are copied, so no admin program of this
// machine writes meanwhile. It copies every domain in list order and every
// account in position order, then checks what it wrote: the counts (domains;
// accounts of each domain) and a sample of records byte for byte (the domain
// records; the first, the last and every 97th account of each domain, whole,
// password in plain text). Only then does it switch the storage mode and
// save the configuration. A failure, or a stop asked for before the switch,
// leaves the configuration as it was: the installation goes on in the mode
// it had.
#pragma once

#include <functional>
#include <string>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// Told after each account copied: accounts done of the total.
using MigrationProgress = std::function<void(int done, int total)>;
// Asked between accounts; true stops the run before the switch.
using MigrationStop = std::function<bool()>;

struct MigrationOutcome {
  int domains = 0;
  int accounts = 0;
  // Stopped on request: nothing was switched.
  bool stopped = false;
};

struct DatabaseTarget {
  // The connection text stored as variable 97 after the switch; empty keeps
  // the variable as it is. Relative SQLite paths (and the empty text) lie
  // in the configuration folder.
  std::string connection_text;
  // Empties a database that already holds domains (drops and creates its
  // tables) instead of refusing it.
  bool replace = false;
};

// From the files into the database. Refused when the installation is in
// storage mode 2 already, or when the target holds domains and `replace`
// is not given; Unavailable when db.so cannot be loaded or the target
// cannot be reached (with db.so's reason). A database this run filled is
// emptied again when the run fails or stops.
Result<MigrationOutcome> MigrateToDatabase(Context& context, const DatabaseTarget& target,
                                           const MigrationProgress& progress,
                                           const MigrationStop& stop);

// From the database back into the files: each domain's domain.cfg and its
// whole users.cfg (records stored as the configuration asks: scrambled,
// passwords enciphered when variable 205 is on), then domains.cfg with the
// database's list. bind.dat is written in every storage mode and stays as
// it is. Refused unless the installation is in storage mode 2; Unavailable
// when db.so is not loaded.
Result<MigrationOutcome> MigrateToFiles(Context& context, const MigrationProgress& progress,
                                        const MigrationStop& stop);

}  // namespace tarvelin

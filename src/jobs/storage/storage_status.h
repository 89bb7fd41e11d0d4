// What an installation keeps its domains and accounts in, for a report:
// the storage mode, the account database's connection (password starred),
// whether db.so loads and the database answers, and how many domains and
// accounts each side holds. Reads only: an SQLite database that does not
// exist yet is reported as such, not made.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

class Context;

struct StorageCounts {
  int domains = 0;
  int accounts = 0;
};

struct StorageStatus {
  // Storage mode 2 (variable 117): the database; else the files.
  bool database = false;
  // "sqlite" or "postgresql".
  std::string driver;
  // Variable 97 as db.so receives it, its password replaced by "***".
  std::string connection;
  // Why db.so does not load; empty when it does.
  std::string library_problem;
  // Why the database cannot be used; empty when it answers.
  std::string connection_problem;
  bool reachable() const { return library_problem.empty() && connection_problem.empty(); }
  // The mode in use; none when its store cannot be read.
  std::optional<StorageCounts> in_use;
  // In database mode: what the files still hold, when domains.cfg exists.
  std::optional<StorageCounts> files;
};

StorageStatus InspectStorage(Context& context);

// The driver a resolved connection text names: "postgresql" for a URI and
// driver=postgresql/postgres, "sqlite" for driver=sqlite or no driver, else
// the driver as given.
std::string DriverOf(std::string_view text);

}  // namespace tarvelin

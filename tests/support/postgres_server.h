// A PostgreSQL server of the test's own: a cluster made by initdb in a
// scratch folder, started with pg_ctl, listening on a Unix socket in that
// folder only (no TCP port), and stopped with everything removed at the
// end. initdb and the server refuse to run as root: when the tests run as
// root, the cluster belongs to the unprivileged user "nobody" and the server
// runs as that user.
#pragma once

#include <memory>
#include <string>

#include "support/temp_dir.h"

namespace tarvelin::testing {

class PostgresServer {
 public:
  // Makes and starts the cluster; ok() tells whether it runs, why() what
  // went wrong when it does not (with the server's log).
  PostgresServer();
  ~PostgresServer();
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  bool ok() const { return why_.empty(); }
  const std::string& why() const { return why_; }

  // The folder of the server's socket: libpq's "host".
  const std::string& socket_folder() const { return cluster_; }
  int port() const { return kPort; }
  // The user the cluster was made for, who may log in without a password
  // and owns the database "postgres".
  const std::string& user() const { return user_; }
  // "host=... port=... user=... dbname=postgres" for libpq.
  std::string ConnectionText() const;
  // The same as a connection text of the database backend:
  // "driver=postgresql;host=...;port=...;user=...;dbname=postgres".
  std::string BackendConnectionText() const;

  // Runs SQL as the owner in the database "postgres" (psql, stopping at the
  // first error); false with psql's output in *why when it fails.
  bool RunSql(const std::string& sql, std::string* why = nullptr) const;
  // Puts `lines` before the other lines of pg_hba.conf (the first line that
  // matches a login decides) and restarts the server so they hold.
  bool PrependHbaLines(const std::string& lines);
  // Stops and starts the server: every connection to it breaks.
  bool Restart();

 private:
  static constexpr int kPort = 5432;  // names the socket file only
  // Runs a program of the server's installation as the cluster's owner.
  int RunAsOwner(const std::string& command) const;

  TempDir dir_;
  std::string bin_;            // the server's programs, with a trailing "/"
  std::string as_owner_;       // prefix that runs a command as the owner
  std::string user_;
  std::string cluster_;  // the owner's folder: data/, the socket, the logs
  std::string why_;
  bool started_ = false;
};

}  // namespace tarvelin::testing

#include "support/postgres_server.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/cli_runner.h"

namespace tarvelin::testing {

namespace {

// The newest server installation under Debian's versioned folders.
std::string ServerPrograms() {
  std::string newest;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
    const std::string bin = entry.path().string() + "/bin/";
    if (std::filesystem::exists(bin + "pg_ctl") && bin > newest) newest = bin;
  }
  return newest;
}

std::string CurrentUserName() {
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr ? entry->pw_name : "";
}

}  // namespace

PostgresServer::PostgresServer() {
  bin_ = ServerPrograms();
  if (bin_.empty()) {
    why_ = "no PostgreSQL server under /usr/lib/postgresql (Debian package postgresql): "
           "tools/install-deps";
    return;
  }
  // Paths of a TempDir hold no blanks or quotes: they go into the command
  // lines below as they are.
  cluster_ = dir_.path() + "cluster";
  std::filesystem::create_directories(cluster_);
  user_ = CurrentUserName();
  if (geteuid() == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) {
      why_ = "running as root, and there is no user \"nobody\" to run the server as";
      return;
    }
    user_ = "nobody";
    as_owner_ = "runuser -u nobody -- ";
    // The scratch folder is private to root: the owner needs a way in.
    if (chmod(dir_.path().c_str(), 0711) != 0 ||
        chown(cluster_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
      why_ = "cannot hand " + cluster_ + " to nobody";
      return;
    }
  }
  const std::string data = cluster_ + "/data";
  if (RunAsOwner("initdb --auth=trust --username=" + user_ + " --no-sync -D " + data + " >" +
                 cluster_ + "/initdb.log 2>&1") != 0) {
    why_ = "initdb failed:\n" + dir_.Read("cluster/initdb.log");
    return;
  }
  // No TCP at all; the socket in the cluster's folder; speed over safety.
  dir_.Write("cluster/data/postgresql.conf",
             dir_.Read("cluster/data/postgresql.conf") +
                 "\nlisten_addresses = ''\nunix_socket_directories = '" + cluster_ +
                 "'\nport = " + std::to_string(kPort) + "\nfsync = off\n");
  if (RunAsOwner("pg_ctl -w -t 60 -D " + data + " -l " + cluster_ +
                 "/server.log start >/dev/null 2>&1") != 0) {
    why_ = "the server did not start:\n" + dir_.Read("cluster/server.log");
    return;
  }
  started_ = true;
}

PostgresServer::~PostgresServer() {
  if (started_) {
    RunAsOwner("pg_ctl -w -m immediate -D " + cluster_ + "/data stop >/dev/null 2>&1");
  }
}

int PostgresServer::RunAsOwner(const std::string& command) const {
  return Shell(as_owner_ + "sh -c \"cd / && " + bin_ + command + "\"").exit_code;
}

bool PostgresServer::RunSql(const std::string& sql, std::string* why) const {
  // Through a file: SQL needs no quoting on a command line then.
  dir_.Write("cluster/run.sql", sql);
  const bool ran =
      RunAsOwner("psql -X -q -v ON_ERROR_STOP=1 -h " + cluster_ + " -p " + std::to_string(kPort) +
                 " -d postgres -f " + cluster_ + "/run.sql >" + cluster_ + "/psql.log 2>&1") == 0;
  if (!ran && why != nullptr) *why = dir_.Read("cluster/psql.log");
  return ran;
}

bool PostgresServer::PrependHbaLines(const std::string& lines) {
  dir_.Write("cluster/data/pg_hba.conf", lines + "\n" + dir_.Read("cluster/data/pg_hba.conf"));
  return Restart();
}

bool PostgresServer::Restart() {
  return RunAsOwner("pg_ctl -w -t 60 -m fast -D " + cluster_ + "/data -l " + cluster_ +
                    "/server.log restart >/dev/null 2>&1") == 0;
}

std::string PostgresServer::ConnectionText() const {
  return "host=" + cluster_ + " port=" + std::to_string(kPort) + " user=" + user_ +
         " dbname=postgres";
}

std::string PostgresServer::BackendConnectionText() const {
  return "driver=postgresql;host=" + cluster_ + ";port=" + std::to_string(kPort) +
         ";user=" + user_ + ";dbname=postgres";
}

}  // namespace tarvelin::testing

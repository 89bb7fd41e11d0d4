// A Dovecot POP3/IMAP server of the test's own (Debian's dovecot-core,
// dovecot-pop3d, dovecot-imapd): a configuration in a scratch folder with
// passwd-file users, a self-signed certificate made for it, loopback ports
// chosen free at start, its run and state folders and log in that folder,
// run in the foreground as a child of the test and stopped at the end.
// As root the login and internal processes run as "nobody"; otherwise as
// the current user.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tarvelin::testing {

struct DovecotUser {
  std::string name;
  std::string password;
};

class DovecotServer {
 public:
  // `tls`: STLS/STARTTLS offered (ssl = yes) or not (ssl = no).
  DovecotServer(const std::vector<DovecotUser>& users, bool tls);
  ~DovecotServer();
  DovecotServer(const DovecotServer&) = delete;
  DovecotServer& operator=(const DovecotServer&) = delete;

  // Whether the server answers; why() says what went wrong (with its log)
  // when it does not.
  bool ok() const { return why_.empty(); }
  const std::string& why() const { return why_; }

  int pop3_port() const { return pop3_port_; }
  int imap_port() const { return imap_port_; }
  // The server's log so far.
  std::string Log() const;

 private:
  void Start(const std::vector<DovecotUser>& users, bool tls);

  TempDir dir_;
  int pop3_port_ = 0;
  int imap_port_ = 0;
  pid_t pid_ = -1;
  std::string why_;
};

// A loopback TCP port that was free a moment ago.
int FreeLoopbackPort();

}  // namespace tarvelin::testing

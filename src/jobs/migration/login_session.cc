#include "jobs/migration/login_session.h"

#include <cctype>

#include "foundation/text.h"

namespace tarvelin {

namespace {

// Reads CR LF ended lines off the stream.
class LineReader {
 public:
  LineReader(NetworkStream& stream, int timeout_ms) : stream_(stream), timeout_ms_(timeout_ms) {}

  Result<std::string> Next() {
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      if (buffer_.size() > kMaxProtocolLine) return Status::Corruption("an answer line is too long");
      char chunk[4096];
      Result<size_t> got = stream_.ReadSome(chunk, sizeof chunk, timeout_ms_);
      if (!got.ok()) return got.status();
      if (*got == 0) return Status::IOError("the server closed the connection");
      buffer_.append(chunk, *got);
    }
  }

  // What was read past the last line: a server must not send anything
  // before the TLS handshake that it has not been asked for.
  bool empty() const { return buffer_.empty(); }

 private:
  NetworkStream& stream_;
  const int timeout_ms_;
  std::string buffer_;
};

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool HasWord(std::string_view line, std::string_view word) {
  for (const std::string& item : Split(line, ' ')) {
    if (EqualsNoCase(Trim(item), word)) return true;
  }
  return false;
}

class Session {
 public:
  Session(NetworkStream& stream, int timeout_ms)
      : stream_(stream), reader_(stream, timeout_ms), timeout_ms_(timeout_ms) {}

  Status Send(std::string_view command) {
    const std::string line = std::string(command) + "\r\n";
    return stream_.WriteAll(line.data(), line.size());
  }
  Result<std::string> Read() { return reader_.Next(); }

  Status StartTls() {
    if (!reader_.empty()) return Status::Corruption("the server sent data before TLS began");
    return stream_.StartTls(timeout_ms_);
  }

 private:
  NetworkStream& stream_;
  LineReader reader_;
  const int timeout_ms_;
};

LoginResult Failed(std::string reason) {
  LoginResult result;
  result.reason = std::move(reason);
  return result;
}

LoginResult Failed(const Status& status) { return Failed(status.ToString()); }

LoginResult Pop3Login(Session& s, NetworkStream& stream, std::string_view user,
                      std::string_view password) {
  // A line break would end the command early and send the rest as another.
  if (HasLineBreakOrNul(user) || HasLineBreakOrNul(password)) {
    return Failed("the user name or password holds a line break or NUL");
  }
  auto positive = [&](std::string_view what) -> Status {
    Result<std::string> line = s.Read();
    if (!line.ok()) return line.status();
    if (!line->starts_with("+OK")) return Status::Refused(std::string(what) + ": " + *line);
    return Status::Ok();
  };
  if (Status st = positive("greeting"); !st.ok()) return Failed(st);
  if (Status st = s.Send("CAPA"); !st.ok()) return Failed(st);
  bool stls = false;
  Result<std::string> first = s.Read();
  if (!first.ok()) return Failed(first.status());
  if (first->starts_with("+OK")) {
    for (;;) {
      Result<std::string> line = s.Read();
      if (!line.ok()) return Failed(line.status());
      if (*line == ".") break;
      if (EqualsNoCase(Trim(*line), "STLS")) stls = true;
    }
  }
  LoginResult result;
  if (stls && stream.TlsAvailable()) {
    if (Status st = s.Send("STLS"); !st.ok()) return Failed(st);
    if (Status st = positive("STLS"); !st.ok()) return Failed(st);
    if (Status st = s.StartTls(); !st.ok()) return Failed(st);
    result.used_tls = true;
  }
  if (Status st = s.Send("USER " + std::string(user)); !st.ok()) return Failed(st);
  if (Status st = positive("USER"); !st.ok()) return Failed(st);
  if (Status st = s.Send("PASS " + std::string(password)); !st.ok()) return Failed(st);
  if (Status st = positive("PASS"); !st.ok()) {
    LoginResult failed = Failed(st);
    failed.used_tls = result.used_tls;
    return failed;
  }
  result.accepted = true;
  // The login counts; how the server takes the goodbye does not.
  if (s.Send("QUIT").ok()) (void)s.Read();
  return result;
}

LoginResult ImapLogin(Session& s, NetworkStream& stream, std::string_view user,
                      std::string_view password) {
  Result<std::string> quoted_user = ImapString(user);
  if (!quoted_user.ok()) return Failed(quoted_user.status());
  Result<std::string> quoted_password = ImapString(password);
  if (!quoted_password.ok()) return Failed(quoted_password.status());

  int number = 0;
  // Sends a tagged command; the untagged lines go to `untagged`, the
  // tagged answer must be OK.
  auto command = [&](std::string_view text, std::string* untagged) -> Status {
    const std::string tag = "a00" + std::to_string(++number);
    if (Status st = s.Send(tag + " " + std::string(text)); !st.ok()) return st;
    for (;;) {
      Result<std::string> line = s.Read();
      if (!line.ok()) return line.status();
      if (line->starts_with(tag + " ")) {
        const std::string answer = line->substr(tag.size() + 1);
        if (StartsWithNoCase(answer, "OK")) return Status::Ok();
        return Status::Refused(answer);
      }
      if (untagged != nullptr) *untagged += *line + "\n";
    }
  };

  Result<std::string> greeting = s.Read();
  if (!greeting.ok()) return Failed(greeting.status());
  if (!StartsWithNoCase(*greeting, "* OK")) return Failed("greeting: " + *greeting);
  std::string capabilities;
  if (Status st = command("CAPABILITY", &capabilities); !st.ok()) return Failed(st);
  bool starttls = false;
  for (const std::string& line : Split(capabilities, '\n')) {
    if (StartsWithNoCase(line, "* CAPABILITY ") && HasWord(line, "STARTTLS")) starttls = true;
  }
  LoginResult result;
  if (starttls && stream.TlsAvailable()) {
    if (Status st = command("STARTTLS", nullptr); !st.ok()) return Failed(st);
    if (Status st = s.StartTls(); !st.ok()) return Failed(st);
    result.used_tls = true;
  }
  if (Status st = command("LOGIN " + *quoted_user + " " + *quoted_password, nullptr); !st.ok()) {
    LoginResult failed = Failed(st);
    failed.used_tls = result.used_tls;
    return failed;
  }
  result.accepted = true;
  (void)command("LOGOUT", nullptr);
  return result;
}

}  // namespace

Result<std::string> ImapString(std::string_view text) {
  if (HasLineBreakOrNul(text)) {
    return Status::InvalidArgument("the user name or password holds a line break or NUL");
  }
  bool atom = !text.empty();
  for (unsigned char c : text) {
    // The atom-specials of IMAP, and anything outside printable ASCII.
    if (c <= ' ' || c >= 0x7f || std::string_view("(){%*\"\\]").find(static_cast<char>(c)) !=
                                     std::string_view::npos) {
      atom = false;
    }
  }
  if (atom) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

LoginResult LoginOver(NetworkStream& stream, MailProtocol protocol, std::string_view user,
                      std::string_view password, int timeout_ms) {
  Session session(stream, timeout_ms);
  return protocol == MailProtocol::kPop3 ? Pop3Login(session, stream, user, password)
                                         : ImapLogin(session, stream, user, password);
}

}  // namespace tarvelin

#include "log/log_writer.h"

#include <cstdio>

#include "foundation/text.h"
#include "platform/lock_table.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "platform/udp_destination.h"

namespace tarvelin {

namespace {

constexpr size_t kSourceWidth = 15;
constexpr size_t kTimeMax = 63;
constexpr size_t kLineMax = 255;
constexpr uint16_t kSyslogPort = 514;
constexpr int64_t kSyslogRetrySeconds = 60;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kMask = "*****";

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

class SystemClock : public LogClock {
 public:
  explicit SystemClock(Env& env) : env_(env) {}
  int64_t Now() override { return env_.NowUnixSeconds(); }
  LocalTime Local(int64_t seconds) override { return env_.LocalTimeOf(seconds); }

 private:
  Env& env_;
};

int64_t DayNumber(const CivilDate& date) {
  double day = 0;
  return EncodeDate(date, &day) ? static_cast<int64_t>(day) : 0;
}

const char* MonthName(int month) { return month >= 1 && month <= 12 ? kMonths[month - 1] : "???"; }

// Day 0, 30 December 1899, was a Saturday.
const char* WeekdayName(const CivilDate& date) {
  const int64_t day = DayNumber(date);
  return kWeekdays[((day % 7) + 7 + 6) % 7];
}

// Lower-case hex with an even number of digits, at least four.
void AppendThreadId(std::string* out, uint32_t id) {
  static constexpr char kDigits[] = "0123456789abcdef";
  int digits = 1;
  while (digits < 8 && (id >> (4 * digits)) != 0) ++digits;
  if (digits % 2 != 0) ++digits;
  if (digits < 4) digits = 4;
  for (int i = digits - 1; i >= 0; --i) out->push_back(kDigits[(id >> (4 * i)) & 15]);
}

// The position right after "key =" at `at`, or npos.
size_t PasswordValueStart(std::string_view text, size_t at) {
  static constexpr std::string_view kKeys[] = {"password", "passwd", "pwd"};
  for (std::string_view key : kKeys) {
    if (!StartsWithNoCase(text.substr(at), key)) continue;
    size_t i = at + key.size();
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && text[i] == '=') return i + 1;
  }
  return std::string_view::npos;
}

size_t PasswordValueEnd(std::string_view text, size_t start) {
  size_t i = start;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text[i] == '{') {
    const size_t close = text.find('}', i);
    if (close == std::string_view::npos) return text.size();
    i = close;
  }
  const size_t semicolon = text.find(';', i);
  return semicolon == std::string_view::npos ? text.size() : semicolon;
}

// Setting 108: log to the database; setting 21: where to (1 = database).
constexpr int kDatabaseLogOn = 3381;
constexpr int kLogDestination = 255;

// Lower-case hexadecimal with an even number of digits.
std::string EvenHex(uint32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%x", value);
  std::string text(digits);
  if (text.size() % 2 != 0) text.insert(0, "0");
  return text;
}

// Runs one destination; a failure inside ends only that destination.
template <typename Step>
void Quietly(Step step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

std::unique_ptr<LogClock> SystemLogClock(Env& env) { return std::make_unique<SystemClock>(env); }

std::string FormatLogTime(const LocalTime& time, uint8_t form) {
  const CivilDate& d = time.when.date;
  const CivilTime& t = time.when.time;
  char text[96];
  if (form == 0) {
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", t.hour, t.minute, t.second);
  } else if (form == 1) {
    std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", d.year, d.month, d.day,
                  t.hour, t.minute, t.second);
  } else {
    const int offset = time.utc_offset_minutes;
    const int magnitude = offset < 0 ? -offset : offset;
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%.2d%.2d", offset < 0 ? '-' : '+', magnitude / 60 % 100,
                  magnitude % 60);
    std::snprintf(text, sizeof text, "%s, %.2d %s %d %.2d:%.2d:%.2d %s", WeekdayName(d), d.day,
                  MonthName(d.month), d.year, t.hour, t.minute, t.second, zone);
  }
  return std::string(text).substr(0, kTimeMax);
}

std::string MaskPasswords(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t value = PasswordValueStart(text, i);
    if (value == std::string_view::npos) {
      out.push_back(text[i++]);
      continue;
    }
    out.append(text.substr(i, value - i));
    out.append(kMask);
    i = PasswordValueEnd(text, value);
  }
  return out;
}

LogWriter::LogWriter(Env& env, std::unique_ptr<LogClock> clock, LockTable& locks)
    : env_(env), clock_(std::move(clock)), locks_(locks) {
  line_.reserve(kLineMax + kLineEnd.size());
}

void LogWriter::Write(const LogSettings& settings, uint32_t thread_id, int kind,
                      std::string_view source, uint32_t entry_bits, std::string_view message) {
  if (source.empty()) return;
  const ServerConfig& record = settings.record;
  if (!LogKindWants(record, kind, entry_bits)) return;
  const bool to_database = database_sink_ && record.Byte(kDatabaseLogOn) != 0 &&
                          record.Byte(kLogDestination) == 1;
  DatabaseLogEntry entry;
  {
    // The time cache and the line are shared state too: take the lock first.
    ScopedLock lock(locks_, LockId::kLogWriter);
    bool built = false;
    Quietly([&] {
      RefreshTime();
      BuildLine(thread_id, source, message, record.Byte(log_offsets::kTimeForm));
      if (to_database) {
        entry = DatabaseLogEntry{kind,
                                 entry_bits,
                                 std::string(message.substr(0, message.find('\n'))),
                                 time_.forms[1],
                                 EvenHex(thread_id),
                                 std::string(source),
                                 std::string(settings.file_name_tag)};
      }
      built = true;
    });
    if (!built) return;
    if (record.Byte(log_offsets::kFileLoggingOff) == 0) {
      Quietly([&] { WriteToFile(settings, kind, thread_id); });
    }
    if (record.Byte(log_offsets::kDebugOutput) != 0) Quietly([&] { env_.WriteDebugLine(Line()); });
    if (record.Byte(log_offsets::kSyslogOn) != 0) Quietly([&] { SendToSyslog(record); });
  }
  // Outside the writer's lock: the database has a lock of its own, which a
  // thread may hold while it logs.
  if (to_database) Quietly([&] { database_sink_(record, entry); });
}

void LogWriter::Change(const LogSettings& settings, std::string_view actor, std::string_view action,
                       std::string_view object, bool is_new) {
  if (settings.record.Byte(log_offsets::kChangeLog) == 0) return;
  std::string text = "'";
  text.append(actor.empty() ? std::string_view("System") : actor);
  text.append("' ");
  text.append(action.empty() ? std::string_view(is_new ? "created" : "updated") : action);
  text.append(" '");
  text.append(object);
  text.append("'");
  Write(settings, env_.CurrentThreadId(), kLogKindMaintenance, "SYSTEM", 1, text);
}

void LogWriter::Error(const LogSettings& settings, std::string_view function,
                      std::string_view argument, bool formatted, int code) {
  if (code == 0) code = LastSystemError();
  const std::string masked = MaskPasswords(argument);
  const Result<std::string> program = env_.ProgramPath();
  std::string text = program.ok() ? *program : std::string();
  text.append(" function ");
  text.append(function);
  text.append("(");
  text.append(formatted ? masked : "'" + masked + "'");
  text.append(") error ");
  text.append(std::to_string(code));
  text.append(" : ");
  text.append(SystemErrorText(code));
  Write(settings, 0, kLogKindError, "SYSTEM", 1, text);
}

void LogWriter::RefreshTime() {
  const int64_t now = clock_->Now();
  if (now == time_.seconds) return;
  const LocalTime local = clock_->Local(now);
  time_.day = DayNumber(local.when.date);
  time_.date = local.when.date;
  for (uint8_t form = 0; form < 3; ++form) time_.forms[form] = FormatLogTime(local, form);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%s %.2d %s", MonthName(local.when.date.month),
                local.when.date.day, time_.forms[0].c_str());
  time_.syslog_stamp = stamp;
  time_.seconds = now;
}

void LogWriter::BuildLine(uint32_t thread_id, std::string_view source, std::string_view message,
                          uint8_t time_form) {
  line_.clear();
  line_.append(source);
  if (source.size() < kSourceWidth) line_.append(kSourceWidth - source.size(), ' ');
  line_.append(" [");
  AppendThreadId(&line_, thread_id);
  line_.append("] ");
  line_.append(time_.forms[time_form < 2 ? time_form : 2]);
  line_.push_back(' ');
  // The first line only; the CR of a CR LF break goes with the break.
  const size_t feed = message.find('\n');
  if (feed != std::string_view::npos) {
    message = message.substr(0, feed);
    if (!message.empty() && message.back() == '\r') message.remove_suffix(1);
  }
  if (line_.size() < kLineMax) line_.append(message.substr(0, kLineMax - line_.size()));
  if (line_.size() > kLineMax) line_.resize(kLineMax);
  line_.append(kLineEnd);
}

std::string_view LogWriter::Line() const {
  return std::string_view(line_).substr(0, line_.size() - kLineEnd.size());
}

void LogWriter::WriteToFile(const LogSettings& settings, int kind, uint32_t thread_id) {
  KindState& state = kinds_[kind];
  const uint32_t buffer_size = settings.record.Number(log_offsets::kBufferSize, 4);
  const bool new_day = state.day != time_.day;
  // Text held from an earlier day belongs in that day's file.
  if (new_day && !state.buffer.empty()) {
    AppendToDayFile(settings, kind, state, state.date, state.buffer);
    state.buffer.clear();
  }
  if (new_day) {
    state.rotation = 0;
    state.day = time_.day;
    state.date = time_.date;
  }
  if (kind != kLogKindError && buffer_size > 0) {
    if (state.buffer.capacity() < buffer_size) {
      state.buffer.reserve(buffer_size + kLineMax + kLineEnd.size());
    }
    state.buffer.append(line_);
    if (state.buffer.size() >= buffer_size || thread_id == 0) {
      AppendToDayFile(settings, kind, state, state.date, state.buffer);
      state.buffer.clear();
    }
    return;
  }
  // Buffering was switched off: what the kind still holds goes first.
  if (!state.buffer.empty()) {
    AppendToDayFile(settings, kind, state, state.date, state.buffer);
    state.buffer.clear();
  }
  AppendToDayFile(settings, kind, state, state.date, line_);
}

void LogWriter::AppendToDayFile(const LogSettings& settings, int kind, KindState& state,
                                const CivilDate& date, std::string_view text) {
  const std::string stem = LogFileStem(settings, kind);
  const uint32_t rotation_kb = settings.record.Number(log_offsets::kRotationSize, 4);
  std::string path;
  if (rotation_kb == 0) {
    path = LogFileName(stem, date, -1);
  } else {
    while (true) {
      path = LogFileName(stem, date, state.rotation);
      const int64_t size = FileSize(env_, path);
      if (size < 0 || static_cast<uint64_t>(size) / 1024 <= rotation_kb) break;
      ++state.rotation;
    }
  }
  if (AppendToFile(env_, path, text).ok()) return;
  const size_t slash = path.find_last_of("/\\");
  if (slash != std::string::npos && env_.CreateDirectories(path.substr(0, slash + 1)).ok()) {
    AppendToFile(env_, path, text);
  }
}

void LogWriter::SendToSyslog(const ServerConfig& record) {
  const std::string address = record.Text(log_offsets::kSyslogAddress);
  // A receiver that could not be resolved is tried again after a while, not
  // for every line: a name lookup may hang while every logger waits.
  if (address != syslog_address_ ||
      (syslog_ == nullptr && time_.seconds - syslog_opened_second_ >= kSyslogRetrySeconds)) {
    syslog_address_ = address;
    syslog_opened_second_ = time_.seconds;
    const std::optional<UdpDestination> destination = ParseUdpDestination(address, kSyslogPort);
    syslog_.reset();
    if (destination) {
      Result<std::unique_ptr<DatagramSender>> sender =
          env_.OpenDatagramSender(destination->host, destination->port);
      if (sender.ok()) syslog_ = std::move(*sender);
    }
  }
  if (syslog_ == nullptr) return;
  std::string datagram = "<3> ";
  datagram.append(time_.syslog_stamp);
  datagram.push_back(' ');
  datagram.append(record.Text(log_offsets::kHostName));
  datagram.push_back(' ');
  datagram.append(Line());
  syslog_->Send(datagram);
}

}  // namespace tarvelin

#include "jobs/traffic/traffic_report.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "core/accounts/account_walk.h"
#include "core/accounts/mail_folder.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "foundation/date_time.h"
#include "jobs/traffic/report_dates.h"
#include "jobs/traffic/report_filter.h"
#include "jobs/traffic/statistics_files.h"
#include "mailstore/folder_size.h"
#include "platform/atomic_file_writer.h"
#include "schema/user_record.h"

namespace tarvelin {

namespace {

// Only user accounts have traffic. The query needs the installation's
// property names; without them it would reject every account, so the walk
// then goes without it and the type test alone leaves the others out.
constexpr std::string_view kUserAccountsQuery = "U_Type = 0";

// The counter columns of a line, in the order of the header.
constexpr StatField kColumns[] = {kReceivedMessages, kReceivedBytes, kSentMessages,
                                  kSentBytes,        kSentOutMessages, kSentOutBytes};

bool IsAmount(StatField field) { return field >= kReceivedBytes; }

int YearOf(double day) {
  CivilDate date;
  return DecodeDate(day, &date) ? date.year : 0;
}

double FirstDayOf(int year) {
  double day = 0;
  EncodeDate({year, 1, 1}, &day);
  return day;
}

double LastDayOf(int year) {
  double day = 0;
  EncodeDate({year, 12, 31}, &day);
  return day;
}

void Add(StatCounters& sum, const UserStatRecord& record) {
  for (int i = 0; i < kStatFieldCount; ++i) sum[i] += record.values[i];
}

void AppendNumber(std::string& out, uint64_t value) {
  char digits[24];
  char* end = digits + sizeof digits;
  char* p = end;
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  out.append(p, end);
}

void AppendValue(std::string& out, StatField field, uint64_t value) {
  AppendNumber(out, IsAmount(field) ? value / 1024 : value);
}

void RaiseTo(double& latest, double date) {
  if (date > latest) latest = date;
}

class Report {
 public:
  Report(const Context& context, const TrafficReportRequest& request, const ReportLineSink& sink)
      : context_(context),
        env_(context.env()),
        request_(request),
        filter_(request.filter),
        sink_(sink),
        groups_(GroupFilesOf(context)),
        sizes_(FolderSizeCacheOf(context.env(), context.config.record, context.locks())),
        first_year_(YearOf(request.from)),
        last_year_(YearOf(request.to)) {
    if (request.per_day && request.to >= request.from) {
      days_.resize(static_cast<size_t>(request.to - request.from) + 1);
    }
  }

  Status Run(const ReportProgress& progress) {
    if (Status s = Emit(kTrafficReportHeader); !s.ok()) return s;
    if (Status s = WalkAccounts(progress); !s.ok()) return s;
    if (!filter_.active()) {
      if (Status s = ServerLine(); !s.ok()) return s;
    }
    return TotalsLine();
  }

 private:
  Status WalkAccounts(const ReportProgress& progress) {
    std::vector<std::string> domains = DomainNames(context_);
    std::erase_if(domains, [&](const std::string& name) {
      return name.empty() || !filter_.PassesDomain(name);
    });
    int total = 0;
    if (progress) {
      for (const std::string& name : domains) total += context_.accounts().Count(name);
      progress(0, total);
    }
    const std::string_view query =
        context_.properties().Lookup("U_Type") != nullptr ? kUserAccountsQuery : "";
    int done = 0;
    for (const std::string& name : domains) {
      std::unique_ptr<AccountWalk> walk = AccountWalk::Start(context_, name, query);
      if (walk == nullptr) continue;
      while (walk->Next()) {
        if (progress) progress(++done, total);
        const UserRecord& record = walk->record();
        if (AccountTypeOf(record) != kUserAccount) continue;
        const std::string aliases = AliasListOf(record);
        if (!filter_.PassesAccount(name, aliases, groups_)) continue;
        if (Status s = AccountLine(name, aliases, AccountMailFolder(context_, record)); !s.ok()) {
          return s;
        }
      }
    }
    return Status::Ok();
  }

  // The statistics of `folder` over the whole range into `sum`: the
  // current file and the archives of the years of From and To only.
  void AddRange(const std::string& folder, StatCounters& sum) {
    const auto count = [&](const UserStatRecord& record) {
      if (request_.from <= record.day && record.day <= request_.to) Add(sum, record);
    };
    ReadUserStatFile(env_, UserStatPath(folder), count);
    ReadUserStatFile(env_, UserStatArchivePath(folder, first_year_), count);
    if (last_year_ != first_year_) {
      ReadUserStatFile(env_, UserStatArchivePath(folder, last_year_), count);
    }
  }

  // The statistics of `folder` day by day into days_. Each day reads the
  // current file and the archive of its own year; reading every file once
  // and putting each record on its day gives the same sums.
  void AddDays(const std::string& folder) {
    std::fill(days_.begin(), days_.end(), StatCounters{});
    if (days_.empty()) return;
    const auto bucket = [&](double first, double last) {
      return [&, first, last](const UserStatRecord& record) {
        const double day = record.day;
        if (!(first <= day && day <= last) || std::trunc(day) != day) return;
        Add(days_[static_cast<size_t>(day - request_.from)], record);
      };
    };
    ReadUserStatFile(env_, UserStatPath(folder), bucket(request_.from, request_.to));
    for (int year = first_year_; year <= last_year_; ++year) {
      ReadUserStatFile(env_, UserStatArchivePath(folder, year),
                       bucket(std::max(request_.from, FirstDayOf(year)),
                              std::min(request_.to, LastDayOf(year))));
    }
  }

  Status AccountLine(const std::string& domain, const std::string& aliases,
                     const std::string& folder) {
    StatCounters sum{};
    AccessDates access;
    FolderTotals size;
    // Without a folder there is nothing of the account's to read; the mail
    // root's files are the server's.
    if (!folder.empty()) {
      if (request_.per_day) {
        AddDays(folder);
        for (const StatCounters& day : days_) {
          for (int i = 0; i < kStatFieldCount; ++i) sum[i] += day[i];
        }
      } else {
        AddRange(folder, sum);
      }
      size = MeasureFolder(env_, folder, sizes_);
      access = ReadAccessDates(env_, UserAccessPath(folder));
    } else if (request_.per_day) {
      std::fill(days_.begin(), days_.end(), StatCounters{});
    }
    Count(sum, access, size);

    line_.assign(domain).append(",").append(aliases);
    for (StatField field : kColumns) {
      line_ += ',';
      if (request_.per_day) {
        for (const StatCounters& day : days_) {
          AppendValue(line_, field, day[field]);
          line_ += ';';
        }
      } else {
        AppendValue(line_, field, sum[field]);
      }
    }
    AppendTail(access, size);
    return Emit(line_);
  }

  Status ServerLine() {
    StatCounters sum{};
    const std::string root = MailRootFolder(context_);
    if (!root.empty()) AddRange(root, sum);
    Count(sum, {}, {});
    return SummedLine("-", sum, {}, {});
  }

  Status TotalsLine() { return SummedLine("*", totals_, latest_, size_); }

  void Count(const StatCounters& sum, const AccessDates& access, const FolderTotals& size) {
    for (int i = 0; i < kStatFieldCount; ++i) totals_[i] += sum[i];
    RaiseTo(latest_.last_sent, access.last_sent);
    RaiseTo(latest_.last_received, access.last_received);
    RaiseTo(latest_.last_login, access.last_login);
    size_.bytes += size.bytes;
    size_.files += size.files;
  }

  // Domain and alias both `name`.
  Status SummedLine(std::string_view name, const StatCounters& sum, const AccessDates& access,
                    const FolderTotals& size) {
    line_.assign(name).append(",").append(name);
    for (StatField field : kColumns) {
      line_ += ',';
      AppendValue(line_, field, sum[field]);
    }
    AppendTail(access, size);
    return Emit(line_);
  }

  void AppendTail(const AccessDates& access, const FolderTotals& size) {
    for (double date : {access.last_sent, access.last_received, access.last_login}) {
      line_ += ',';
      line_ += FormatReportDateTime(date);
    }
    line_ += ',';
    AppendNumber(line_, static_cast<uint64_t>(std::max<int64_t>(size.files, 0)));
    line_ += ',';
    AppendNumber(line_, static_cast<uint64_t>(std::max<int64_t>(size.bytes, 0)) / 1024);
    line_ += "\r\n";
  }

  Status Emit(std::string_view line) { return sink_(line); }

  const Context& context_;
  Env& env_;
  const TrafficReportRequest& request_;
  const ReportFilter filter_;
  const ReportLineSink& sink_;
  const GroupFileReader groups_;
  const FolderSizeCache sizes_;
  const int first_year_;
  const int last_year_;
  std::vector<StatCounters> days_;  // per-day form: the day From + i at i
  std::string line_;
  StatCounters totals_{};
  AccessDates latest_;
  FolderTotals size_;
};

}  // namespace

Status WriteTrafficReport(const Context& context, const TrafficReportRequest& request,
                          const ReportLineSink& sink, const ReportProgress& progress) {
  return Report(context, request, sink).Run(progress);
}

Status WriteTrafficReportFile(const Context& context, const TrafficReportRequest& request,
                              std::string_view path, const ReportProgress& progress) {
  AtomicFileWriter file(context.env());
  if (Status s = file.OpenFile(path); !s.ok()) return s;
  // Lines are gathered into blocks so a large report is not one write per
  // account.
  constexpr size_t kBlock = 64 * 1024;
  std::string block;
  const auto flush = [&]() -> Status {
    if (!block.empty() && !file.Append(block.data(), block.size())) return file.failure();
    block.clear();
    return Status::Ok();
  };
  Status status = WriteTrafficReport(
      context, request,
      [&](std::string_view line) -> Status {
        block.append(line);
        return block.size() >= kBlock ? flush() : Status::Ok();
      },
      progress);
  if (status.ok()) status = flush();
  if (!status.ok()) return status;
  if (!file.Commit()) return file.failure();
  return Status::Ok();
}

}  // namespace tarvelin

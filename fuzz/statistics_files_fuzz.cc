// libFuzzer target for the files the traffic report reads: each input is
// taken as userstat.dat, as a yearly archive and as useraccess.dat of one
// account in a scratch installation, read directly and through a summed
// and a per-day report over a range the input's first bytes choose. The
// input's first two lines are also read as a report date and a filter.
// Nothing may be written anywhere: the scratch directory keeps exactly the
// files this target made.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/context.h"
#include "foundation/bytes.h"
#include "foundation/date_time.h"
#include "foundation/list_match.h"
#include "jobs/traffic/report_dates.h"
#include "jobs/traffic/report_filter.h"
#include "jobs/traffic/statistics_files.h"
#include "jobs/traffic/traffic_report.h"
#include "schema/config_offsets.h"
#include "schema/user_record_offsets.h"
#include "store/file/stored_record.h"

namespace fs = std::filesystem;

namespace {

constexpr char kDomain[] = "fuzz.example";

void WriteFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Installation {
  Installation() {
    std::string pattern = (fs::temp_directory_path() / "statistics-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root = fs::path(pattern);
    const std::string path = root.string() + "/";
    context.api.initialised = true;
    context.api.install_path = path;
    context.api.config_path = path + "config/";
    context.config.record.SetText(tarvelin::offsets::kMailRoot, path + "mail/");
    context.config.record.SetText(tarvelin::offsets::kLogDirectory, path + "logs/");
    context.domains().Append(kDomain);
    tarvelin::UserRecord record{};
    record[tarvelin::user_offsets::kAccountType] = tarvelin::kUserAccount;
    tarvelin::PutPString(record.data() + tarvelin::user_offsets::kAliasList, 255, "ann;[team]");
    tarvelin::PutPString(record.data() + tarvelin::user_offsets::kMailboxPath,
                         tarvelin::user_offsets::kMailboxPathCapacity, "fuzz.example/ann/");
    tarvelin::UserRecord stored;
    tarvelin::StoredFromRecord(record, /*encipher=*/false, &stored);
    WriteFile(root / "config" / kDomain / "users.cfg",
              std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
    WriteFile(root / "config" / "groups.dat", "team\nbob\n");
    folder = root / "mail" / kDomain / "ann";
    fs::create_directories(folder / "~stat");
  }

  // Every file in the scratch tree, so a run can show it wrote none.
  size_t Entries() const {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(root)) ++count;
    return count;
  }

  fs::path root;
  fs::path folder;
  tarvelin::Context context;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Installation* const installation = new Installation;
  tarvelin::Context& context = installation->context;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // A range of up to 40 days somewhere around 2004 to 2008.
  double base = 0;
  tarvelin::EncodeDate({2004, 1, 1}, &base);
  const int offset = size >= 2 ? (data[0] | data[1] << 8) % 1500 : 0;
  const int length = size >= 3 ? data[2] % 40 - 2 : 0;  // negative: To before From
  const double from = base + offset;
  const double to = from + length;
  tarvelin::CivilDate year;
  tarvelin::DecodeDate(from, &year);

  WriteFile(installation->folder / "userstat.dat", bytes);
  WriteFile(installation->folder / "useraccess.dat", bytes);
  char archive[16];
  std::snprintf(archive, sizeof archive, "%04d.dat", year.year);
  WriteFile(installation->folder / "~stat" / archive, bytes);
  const size_t entries = installation->Entries();

  tarvelin::Env& env = context.env();
  const std::string folder = installation->folder.string() + "/";
  uint64_t sum = 0;
  tarvelin::ReadUserStatFile(env, tarvelin::UserStatPath(folder),
                             [&](const tarvelin::UserStatRecord& record) {
                               for (uint32_t value : record.values) sum += value;
                             });
  const tarvelin::AccessDates dates =
      tarvelin::ReadAccessDates(env, tarvelin::UserAccessPath(folder));
  tarvelin::FormatReportDateTime(dates.last_sent);
  tarvelin::FormatReportDateTime(dates.last_received);
  tarvelin::FormatReportDateTime(dates.last_login);

  const size_t first_line = bytes.find('\n');
  const std::string_view date_text = bytes.substr(0, first_line);
  const std::string_view filter_text =
      first_line == std::string_view::npos ? std::string_view() : bytes.substr(first_line + 1, 64);
  tarvelin::ReportDateOrZero(date_text);

  for (bool per_day : {false, true}) {
    const tarvelin::TrafficReportRequest request{
        .from = from, .to = to, .filter = std::string(filter_text), .per_day = per_day};
    size_t lines = 0;
    tarvelin::WriteTrafficReport(context, request, [&](std::string_view line) {
      if (line.size() < 2 || line.substr(line.size() - 2) != "\r\n") std::abort();
      ++lines;
      return tarvelin::Status::Ok();
    });
    if (lines < 2) std::abort();  // at least the header and the totals
  }

  if (installation->Entries() != entries) {
    std::fprintf(stderr, "the report wrote a file\n");
    std::abort();
  }
  return 0;
}

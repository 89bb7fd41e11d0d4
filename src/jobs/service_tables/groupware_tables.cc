#include "jobs/service_tables/groupware_tables.h"

#include "core/config/backend_connection.h"
#include "core/context.h"
#include "foundation/text.h"
#include "platform/file_system.h"

namespace tarvelin {

namespace {

constexpr int kGroupwareService = 4;
constexpr uint32_t kRunNow = 1280;
constexpr uint32_t kTakeConnection = 0;
constexpr uint32_t kCreateTables = 3841;
constexpr uint32_t kDropTables = 3842;
constexpr size_t kConnectionMax = 255;

std::string FilePath(const Context& context) {
  return context.api.config_path + std::string(kGroupwareConnectionFile);
}

Status Answered(const Context& context, uint32_t parameter, const char* what) {
  const int32_t answer =
      context.Channel().SendServiceCommand(kGroupwareService, kRunNow, parameter, 0, true);
  if (answer == 1) return Status();
  return Status::Unavailable(std::string("the groupware service did not ") + what +
                             " (answer " + std::to_string(answer) + ")");
}

// The database library lets go of its connections while the service works
// on the database, and comes back as the configuration wants it.
class BackendReleased {
 public:
  explicit BackendReleased(Context& context) : context_(context) { context_.backend().Release(); }
  ~BackendReleased() { ConnectBackend(context_); }
  BackendReleased(const BackendReleased&) = delete;
  BackendReleased& operator=(const BackendReleased&) = delete;

 private:
  Context& context_;
};

}  // namespace

std::string GroupwareConnection(const Context& context) {
  std::string text;
  if (!context.env().ReadFile(FilePath(context), &text).ok()) return {};
  const std::vector<std::string> lines = SplitLines(text);
  return lines.empty() ? std::string() : lines.front();
}

Status CreateGroupwareTables(Context& context, std::string_view connection) {
  const std::string text = CutTo(connection, kConnectionMax);
  if (text.find_first_of("\r\n") != std::string::npos) {
    return Status::InvalidArgument("a connection text is one line");
  }
  BackendReleased released(context);
  TARVELIN_RETURN_IF_ERROR(
      WriteFileAtomic(context.env(), FilePath(context), text + "\r\n"));
  context.Channel().SendServiceCommand(kGroupwareService, kRunNow, kTakeConnection, 0, false);
  return Answered(context, kCreateTables, "create its tables");
}

Status DropGroupwareTables(Context& context) {
  BackendReleased released(context);
  return Answered(context, kDropTables, "drop its tables");
}

}  // namespace tarvelin

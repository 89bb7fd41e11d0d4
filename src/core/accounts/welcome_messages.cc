#include "core/accounts/welcome_messages.h"

#include <cstdio>
#include <string>

#include "core/accounts/mail_folder.h"
#include "foundation/text.h"
#include "core/context.h"
#include "mailstore/dot_stuffing.h"
#include "mailstore/message_conversion.h"
#include "mailstore/message_file_name.h"
#include "platform/atomic_file_writer.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kNameAttempts = 8;

// Date, time and a random part; no "-", which layout conversions cut.
std::string NewMessageName() {
  const CivilDateTime now = LocalNow();
  char name[32];
  std::snprintf(name, sizeof(name), "%04d%02d%02d%02d%02d%02d%08x", now.date.year, now.date.month,
                now.date.day, now.time.hour, now.time.minute, now.time.second, RandomUint32());
  return name;
}

// The message as the layout stores it.
std::string StoredForm(const std::string& message, bool imap) {
  if (imap) return message;
  std::string stuffed;
  DotStuffer stuffer;
  stuffer.Filter(message, &stuffed);
  return stuffed + std::string(kPop3EndMarker);
}

bool PlaceMessage(const std::string& folder, std::string_view extension,
                  const std::string& stored) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string target = folder + NewMessageName() + std::string(extension);
    if (FileExists(target)) continue;
    AtomicFileWriter out;
    if (!out.Open(target) || !out.Append(stored.data(), stored.size())) return false;
    if (out.CommitAsNew()) return true;
    if (!FileExists(target)) return false;  // failed for another reason than the name
  }
  return false;
}

}  // namespace

int PlaceWelcomeMessages(const Context& context, const UserRecord& record) {
  std::string list;
  if (ReadFile(context.api.config_path + "messages.dat", &list) != ReadResult::kOk) return 0;
  const std::string mail_folder = AccountMailFolder(context, record);
  if (mail_folder.empty()) return 0;
  const bool imap = record[user_offsets::kMailboxMode] != 0;
  const std::string folder = imap ? mail_folder + "inbox" + kPathSeparator : mail_folder;
  if (!CreateDirectories(folder)) return 0;

  int placed = 0;
  for (const std::string& line : SplitLines(list)) {
    const std::string name = ToOsPath(Trim(line));
    if (name.empty()) continue;
    const std::string path = IsAbsolutePath(name) ? name : context.api.config_path + name;
    std::string message;
    if (ReadFile(path, &message) != ReadResult::kOk) continue;
    if (PlaceMessage(folder, imap ? kImapExtension : kPop3Extension, StoredForm(message, imap))) {
      ++placed;
    }
  }
  return placed;
}

}  // namespace tarvelin

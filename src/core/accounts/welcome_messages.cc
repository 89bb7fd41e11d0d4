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
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kNameAttempts = 8;

// Date, time and a random part; no "-", which layout conversions cut.
std::string NewMessageName(Env& env) {
  const CivilDateTime now = env.NowLocal();
  char name[32];
  std::snprintf(name, sizeof(name), "%04d%02d%02d%02d%02d%02d%08x", now.date.year, now.date.month,
                now.date.day, now.time.hour, now.time.minute, now.time.second,
                env.RandomUint32());
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

bool PlaceMessage(Env& env, const std::string& folder, std::string_view extension,
                  const std::string& stored) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string target = folder + NewMessageName(env) + std::string(extension);
    if (FileExists(env, target)) continue;
    AtomicFileWriter out(env);
    if (!out.Open(target) || !out.Append(stored.data(), stored.size())) return false;
    if (out.CommitAsNew()) return true;
    if (!FileExists(env, target)) return false;  // failed for another reason than the name
  }
  return false;
}

}  // namespace

int PlaceWelcomeMessages(const Context& context, const UserRecord& record) {
  Env& env = context.env();
  std::string list;
  if (!env.ReadFile(context.api.config_path + "messages.dat", &list).ok()) return 0;
  const std::string mail_folder = AccountMailFolder(context, record);
  if (mail_folder.empty()) return 0;
  const bool imap = record[user_offsets::kMailboxMode] != 0;
  const std::string folder = imap ? mail_folder + "inbox" + kPathSeparator : mail_folder;
  if (!env.CreateDirectories(folder).ok()) return 0;

  int placed = 0;
  for (const std::string& line : SplitLines(list)) {
    const std::string name = ToOsPath(Trim(line));
    if (name.empty()) continue;
    const std::string path = IsAbsolutePath(name) ? name : context.api.config_path + name;
    std::string message;
    if (!env.ReadFile(path, &message).ok()) continue;
    if (PlaceMessage(env, folder, imap ? kImapExtension : kPop3Extension, StoredForm(message, imap))) {
      ++placed;
    }
  }
  return placed;
}

}  // namespace tarvelin

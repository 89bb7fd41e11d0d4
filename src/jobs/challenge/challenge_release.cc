#include "jobs/challenge/challenge_release.h"

#include <vector>

#include "foundation/text.h"
#include "jobs/challenge/challenge_record.h"
#include "jobs/challenge/held_envelope.h"

namespace tarvelin {

std::string ReleaseQueuePath(std::string_view spam_directory) {
  std::string path(spam_directory);
  if (!path.empty() && path.back() != '/') path += '/';
  return path + "released/";
}

namespace {

bool IsEnvelope(const DirectoryEntry& entry) {
  const std::string name = ToLower(entry.name);
  return !entry.is_directory && name.size() > kEnvelopeExtension.size() &&
         name.ends_with(kEnvelopeExtension) && name != kChallengeRecordName;
}

}  // namespace

Status ReleaseHeldMessages(Env& env, const std::string& folder_path,
                           std::string_view folder_name, const std::string& queue_path,
                           ReleaseCount* count) {
  std::vector<DirectoryEntry> entries;
  TARVELIN_RETURN_IF_ERROR(env.ListDirectory(folder_path, &entries));
  bool queue_ready = false;
  for (const DirectoryEntry& entry : entries) {
    if (!IsEnvelope(entry)) continue;
    const std::string envelope_path = folder_path + entry.name;
    const std::string base = entry.name.substr(0, entry.name.size() - kEnvelopeExtension.size());
    const std::string message_path = folder_path + base + std::string(kHeldMessageExtension);
    std::string envelope_text;
    TARVELIN_RETURN_IF_ERROR(env.ReadFile(envelope_path, &envelope_text));
    if (!env.GetPathInfo(message_path, Links::kNoFollow).ok()) {
      TARVELIN_RETURN_IF_ERROR(env.RemoveFile(envelope_path));
      continue;
    }
    if (!queue_ready) {
      TARVELIN_RETURN_IF_ERROR(env.CreateDirectories(queue_path));
      queue_ready = true;
    }
    const std::string queued = queue_path + std::string(folder_name) + "-" + base;
    const std::string queued_message = queued + std::string(kHeldMessageExtension);
    TARVELIN_RETURN_IF_ERROR(env.RenameFile(message_path, queued_message, /*replace=*/false));
    if (Status moved = env.RenameFile(envelope_path, queued + std::string(kEnvelopeExtension),
                                      /*replace=*/false);
        !moved.ok()) {
      // Back beside its envelope: a message in the queue without one would
      // never be delivered.
      env.RenameFile(queued_message, message_path, /*replace=*/false);
      return moved;
    }
    count->messages += 1;
    count->recipients += static_cast<int>(ParseHeldEnvelope(envelope_text).recipients.size());
  }
  return Status();
}

}  // namespace tarvelin

#include "jobs/challenge/challenge_store.h"

#include <string>

#include "core/context.h"
#include "core/logging.h"
#include "jobs/challenge/challenge_folder.h"
#include "jobs/challenge/challenge_record.h"
#include "jobs/challenge/challenge_release.h"
#include "platform/remove_tree.h"
#include "store/db/connection_text.h"

namespace tarvelin {

namespace {

constexpr int kAntispamLogKind = 9;
constexpr int kAntispamLogLevel = 22839;  // variable 351
constexpr char kAcceptedState[] = "1";

Status NeedLoaded(const Context& context) {
  if (context.backend().loaded()) return Status();
  return Status::Unavailable("the database library is not loaded");
}

std::string Root(const Context& context) {
  return ChallengeRoot(context.config.derived.spam_directory);
}

void LogAuthorization(const Context& context, const ChallengeRecord& record) {
  if ((context.config.record.Byte(kAntispamLogLevel) & 1) == 0) return;
  WriteLog(context, context.env().CurrentThreadId(), kAntispamLogKind, "SYSTEM", 1,
           "CR: sender '" + record.sender() + "' recipient '" + record.recipient() +
               "' authorized");
}

}  // namespace

std::string ChallengeBackendConnection(const Context& context, std::string_view connection) {
  if (connection.find('=') == std::string_view::npos) return std::string(connection);
  return ResolveConnectionText(connection, context.api.config_path);
}

Result<std::string> ListChallenges(Context& context, std::string_view connection,
                                   std::string_view recipient, std::string_view flags) {
  TARVELIN_RETURN_IF_ERROR(NeedLoaded(context));
  const BackendLibrary& backend = context.backend();
  BackendLibrary::Hold hold(backend);
  std::string list;
  if (!backend.ChallengeGetList(ChallengeBackendConnection(context, connection), recipient, flags, &list)) {
    return backend.Failure("DBChallengeGetList");
  }
  return list;
}

Status AddChallenge(Context& context, std::string_view connection, std::string_view recipient,
                    std::string_view sender, std::string_view state) {
  TARVELIN_RETURN_IF_ERROR(NeedLoaded(context));
  const BackendLibrary& backend = context.backend();
  BackendLibrary::Hold hold(backend);
  if (!backend.AddSenderChallenge(ChallengeBackendConnection(context, connection), sender, recipient, state,
                                  "")) {
    return backend.Failure("DBAddSenderChallenge");
  }
  return Status();
}

Status DeleteChallenge(Context& context, std::string_view connection,
                       std::string_view recipient, std::string_view sender,
                       std::string_view folder) {
  TARVELIN_RETURN_IF_ERROR(NeedLoaded(context));
  const BackendLibrary& backend = context.backend();
  {
    BackendLibrary::Hold hold(backend);
    if (!backend.ChallengeDeleteEmail(ChallengeBackendConnection(context, connection), recipient, sender)) {
      return backend.Failure("DBChallengeDeleteEmail");
    }
  }
  if (!NamesNoFolder(CleanChallengeFolderName(folder))) {
    // A folder that will not go leaves no error: the pair is gone.
    (void)RemoveTree(context.env(), ChallengeFolderPath(Root(context), folder));
  }
  return Status();
}

Result<ChallengeAuthorization> AuthorizeChallenge(Context& context, std::string_view connection,
                                                  std::string_view folder) {
  TARVELIN_RETURN_IF_ERROR(NeedLoaded(context));
  const std::string name = CleanChallengeFolderName(folder);
  if (NamesNoFolder(name)) {
    return Status::InvalidArgument("the folder name \"" + name +
                                   "\" names no challenge folder");
  }
  const std::string path = ChallengeFolderPath(Root(context), folder);
  std::string bytes;
  if (Status read = context.env().ReadFilePrefix(path + std::string(kChallengeRecordName),
                                                 kChallengeRecordSize, &bytes);
      !read.ok()) {
    return Status::NotFound("no challenge " + name + ": " + read.message());
  }
  const ChallengeRecord record = ChallengeRecord::FromBytes(bytes);
  ChallengeAuthorization outcome;
  {
    const BackendLibrary& backend = context.backend();
    BackendLibrary::Hold hold(backend);
    if (!backend.SetSenderChallenge(ChallengeBackendConnection(context, connection),
                                    record.sender(), record.recipient(), kAcceptedState)) {
      outcome.database = backend.Failure("DBSetSenderChallenge");
    }
  }
  if (outcome.accepted()) {
    ReleaseCount count;
    outcome.release = ReleaseHeldMessages(
        context.env(), path, name, ReleaseQueuePath(context.config.derived.spam_directory),
        &count);
    outcome.released = count.messages;
    outcome.recipients = count.recipients;
    if (outcome.release.ok()) (void)RemoveTree(context.env(), path);
  }
  LogAuthorization(context, record);
  return outcome;
}

std::string ChallengeResponsePath(const Context& context, std::string_view folder) {
  return ChallengeFolderPath(Root(context), folder);
}

}  // namespace tarvelin

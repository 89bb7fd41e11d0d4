#include "jobs/challenge/challenge_tables.h"

#include "core/antispam/spam_settings_file.h"
#include "core/context.h"
#include "foundation/text.h"
#include "jobs/challenge/challenge_store.h"

namespace tarvelin {

namespace {

constexpr std::string_view kConnectionKey = "SpamChallengeConnection";
constexpr size_t kConnectionMax = 255;

}  // namespace

std::string ChallengeConnection(const Context& context) {
  return CutTo(context.spam_settings().Text(kConnectionKey), kConnectionMax);
}

Status CreateChallengeTables(Context& context, std::string_view connection) {
  BackendLibrary& backend = context.backend();
  TARVELIN_RETURN_IF_ERROR(backend.Load(context.api.install_path));
  const std::string text = CutTo(connection, kConnectionMax);
  TARVELIN_RETURN_IF_ERROR(ChangeSpamSetting(context, kConnectionKey, text));
  BackendLibrary::Hold hold(backend);
  if (!backend.ChallengeCreateTables(ChallengeBackendConnection(context, text))) {
    return backend.Failure("DBChallengeCreateTables");
  }
  return Status();
}

Status DropChallengeTables(Context& context) {
  BackendLibrary& backend = context.backend();
  TARVELIN_RETURN_IF_ERROR(backend.Load(context.api.install_path));
  BackendLibrary::Hold hold(backend);
  if (!backend.ChallengeDropTables(ChallengeBackendConnection(context, ChallengeConnection(context)))) {
    return backend.Failure("DBChallengeDropTables");
  }
  return Status();
}

}  // namespace tarvelin

// `challenge ...`: the challenge-response store (pairs in the database of
// db.so, held messages in the challenge folders), through the connection
// that spam.dat names.
#include <string>
#include <vector>

#include "cli_context.h"
#include "foundation/text.h"
#include "jobs/challenge/challenge_folder.h"
#include "jobs/challenge/challenge_store.h"
#include "jobs/challenge/challenge_tables.h"

namespace tarvelin::cli {

namespace {

// The library keeps hostile names inside the challenge folder by cleaning
// them; a person typing one has made a mistake, and is told.
void RefuseHostile(const std::string& folder) {
  const std::string why = HostileFolderNameReason(folder);
  if (!why.empty()) {
    throw CommandError("the folder name \"" + folder + "\" is refused: " + why, ExitCode::kUsage);
  }
}

// The connection of spam.dat, with db.so loaded: a separate program has
// not loaded it unless the storage mode or the log wanted it.
std::string Connection(Session& session) {
  Context& context = session.context();
  Check(context.backend().Load(context.api.install_path), "cannot load the database library");
  return ChallengeConnection(context);
}

void List(Session& session, const std::string& recipient, const std::string& flags) {
  const std::string connection = Connection(session);
  const std::string list = Checked(ListChallenges(session.context(), connection, recipient, flags),
                                   "cannot list the challenges");
  nlohmann::json pairs = nlohmann::json::array();
  std::string human;
  for (const std::string& line : SplitLines(list)) {
    if (line.empty()) continue;
    human += line + "\n";
    std::vector<std::string> fields = Split(line, ';');
    fields.resize(4);
    pairs.push_back(
        {{"sender", fields[0]}, {"recipient", fields[1]}, {"state", fields[2]}, {"folder", fields[3]}});
  }
  session.out.Emit(pairs, human.empty() ? "(no challenges)" : human);
}

void Add(Session& session, const std::string& recipient, const std::string& sender,
         const std::string& state) {
  const std::string connection = Connection(session);
  Check(AddChallenge(session.context(), connection, recipient, sender, state),
        "cannot add the pair");
  session.out.Emit({{"recipient", recipient}, {"sender", sender}, {"state", state}},
                   "added " + sender + " for " + recipient + " in state " + state);
}

void Delete(Session& session, const std::string& recipient, const std::string& sender,
            const std::string& folder) {
  if (!folder.empty()) RefuseHostile(folder);
  const std::string connection = Connection(session);
  Check(DeleteChallenge(session.context(), connection, recipient, sender, folder),
        "cannot delete the pair");
  session.out.Emit({{"recipient", recipient}, {"sender", sender}, {"folder", folder}},
                   "deleted " + sender + " for " + recipient +
                       (folder.empty() ? "" : " with the folder " + folder));
}

void Authorize(Session& session, const std::string& folder) {
  RefuseHostile(folder);
  const std::string connection = Connection(session);
  const ChallengeAuthorization done = Checked(
      AuthorizeChallenge(session.context(), connection, folder), "cannot authorize " + folder);
  Check(done.database, "the database did not take the authorization of " + folder);
  if (!done.release.ok()) {
    session.out.Warn("released " + std::to_string(done.released) +
                     " messages; the rest stay in the folder: " + CauseOf(done.release));
  }
  session.out.Emit({{"folder", folder},
                    {"released", done.released},
                    {"recipients", done.recipients},
                    {"folder_kept", !done.release.ok()}},
                   "authorized " + folder + ": released " + std::to_string(done.released) +
                       " messages for " + std::to_string(done.recipients) + " recipients");
  if (!done.release.ok()) {
    throw CommandError("not every held message of " + folder + " could be released",
                       ExitCode::kFailed);
  }
}

void Path(Session& session, const std::string& folder) {
  if (!folder.empty()) RefuseHostile(folder);
  const std::string path = ChallengeResponsePath(session.context(), folder);
  session.out.Emit({{"folder", folder}, {"path", path}}, path);
}

}  // namespace

void RegisterChallengeCommands(CLI::App& app, Session& session) {
  CLI::App* challenge = app.add_subcommand("challenge", "The challenge-response store");
  challenge->require_subcommand(1);
  static std::string recipient;
  static std::string sender;
  static std::string flags;
  static std::string state = "1";
  static std::string folder;

  CLI::App* list = challenge->add_subcommand("list", "List the pairs of a recipient");
  list->add_option("RECIPIENT", recipient, "The recipient (\"\" for every recipient)")
      ->required();
  list->add_option("--flags", flags, "Only pairs in one of these states, e.g. 12");
  list->callback([&session] {
    session.Open();
    List(session, recipient, flags);
  });

  CLI::App* add = challenge->add_subcommand("add", "Add a sender/recipient pair");
  add->add_option("RECIPIENT", recipient, "The local recipient")->required();
  add->add_option("SENDER", sender, "The sender's address")->required();
  add->add_option("--state", state, "The pair's state, one character (default 1: accepted)");
  add->callback([&session] {
    session.Open();
    Add(session, recipient, sender, state);
  });

  CLI::App* del = challenge->add_subcommand("delete", "Delete a pair, and its folder if named");
  del->add_option("RECIPIENT", recipient, "The local recipient")->required();
  del->add_option("SENDER", sender, "The sender's address")->required();
  del->add_option("--folder", folder, "The pair's challenge folder, removed with its messages");
  del->callback([&session] {
    session.Open();
    Delete(session, recipient, sender, folder);
  });

  CLI::App* authorize =
      challenge->add_subcommand("authorize", "Accept a pending challenge and release its messages");
  authorize->add_option("FOLDER", folder, "The challenge folder")->required();
  authorize->callback([&session] {
    session.Open();
    Authorize(session, folder);
  });

  CLI::App* path = challenge->add_subcommand("path", "Show the path of a challenge folder");
  path->add_option("FOLDER", folder, "The challenge folder (default: the folder of them all)");
  path->callback([&session] {
    session.Open();
    Path(session, folder);
  });
}

}  // namespace tarvelin::cli

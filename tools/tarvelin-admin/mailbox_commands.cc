// `mailbox convert ...`: a mailbox folder from one layout into the other.
#include <string>

#include "cli_context.h"
#include "jobs/mailbox_conversion.h"

namespace tarvelin::cli {

namespace {

// The export creates the folders a conversion starts from; here a folder
// with nothing to convert is left as it is and a missing one is reported.
void MailboxConvert(Session& session, const std::string& path, const std::string& to,
                    bool recursive) {
  const Context& context = session.context();
  const std::string folder = MailboxConversionFolder(context, path);
  if (folder.empty()) throw CommandError("no mailbox path given", ExitCode::kUsage);
  if (!MailboxConversionFolderExists(context, path)) {
    throw CommandError("no mailbox folder " + folder, ExitCode::kNotFound);
  }
  const bool to_imap = to == "imap";
  const MailboxConversion how{.from_imap = !to_imap, .probe = false, .recursive = recursive};
  const bool found =
      MailboxConversionHasWork(context, path, how) && ConvertMailbox(context, path, how);
  const std::string layout = to_imap ? "IMAP" : "POP3";
  session.out.Emit(
      {{"path", path}, {"folder", folder}, {"to", to}, {"recursive", recursive}, {"found", found}},
      found ? "converted " + folder + " to the " + layout + " layout"
            : "nothing to convert in " + folder);
}

}  // namespace

void RegisterMailboxCommands(CLI::App& app, Session& session) {
  CLI::App* mailbox = app.add_subcommand("mailbox", "Mailbox folders of accounts");
  mailbox->require_subcommand(1);
  static std::string path;
  static std::string to;
  static bool recursive = false;

  CLI::App* convert = mailbox->add_subcommand(
      "convert", "Convert a mailbox folder between the POP3 and the IMAP layout");
  convert->add_option("PATH", path, "Mailbox folder, absolute or below the mail root")->required();
  convert->add_option("--to", to, "The layout to convert to: imap or pop3 (any case)")
      ->required()
      ->transform(CLI::IsMember({"imap", "pop3"}, CLI::ignore_case));
  convert->add_flag("--recursive", recursive,
                    "Convert every folder of the mailbox, not only the inbox");
  convert->callback([&session] {
    session.Open();
    MailboxConvert(session, path, to, recursive);
  });
}

}  // namespace tarvelin::cli

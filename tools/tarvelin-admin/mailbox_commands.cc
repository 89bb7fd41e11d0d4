// `mailbox convert ...`: a mailbox folder from one layout into the other.
#include <string>

#include "cli_context.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "core/accounts/mail_folder.h"
#include "mailstore/mailbox_location.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

void MailboxConvert(const Output& out, const std::string& path, const std::string& to,
                    bool recursive) {
  const std::string folder = MailboxFolder(MailRootFolder(TheContext()), path);
  if (folder.empty()) throw CommandError("no mailbox path given");
  const bool to_imap = to == "imap";
  const bool found =
      ::MailboxConvertMessages(path.c_str(), to_imap ? 0 : 1, recursive ? 1 : 0) != 0;
  const std::string layout = to_imap ? "IMAP" : "POP3";
  out.Emit(
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
  convert->add_option("--to", to, "The layout to convert to")
      ->required()
      ->check(CLI::IsMember({"imap", "pop3"}));
  convert->add_flag("--recursive", recursive,
                    "Convert every folder of the mailbox, not only the inbox");
  convert->callback([&session] {
    session.Open();
    MailboxConvert(session.out, path, to, recursive);
  });
}

}  // namespace tarvelin::cli

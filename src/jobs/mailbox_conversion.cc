#include "jobs/mailbox_conversion.h"

#include "core/accounts/mail_folder.h"
#include "core/context.h"
#include "mailstore/mailbox_location.h"
#include "platform/file_system.h"

namespace tarvelin {

bool ConvertMailbox(const Context& context, std::string_view mailbox_path,
                    const MailboxConversion& how) {
  return ConvertMailbox(context.env(), MailRootFolder(context), mailbox_path, how);
}

bool MailboxConversionHasWork(const Context& context, std::string_view mailbox_path,
                              const MailboxConversion& how) {
  return MailboxConversionHasWork(context.env(), MailRootFolder(context), mailbox_path, how);
}

std::string MailboxConversionFolder(const Context& context, std::string_view mailbox_path) {
  return MailboxFolder(MailRootFolder(context), mailbox_path);
}

bool MailboxConversionFolderExists(const Context& context, std::string_view mailbox_path) {
  const std::string folder = MailboxConversionFolder(context, mailbox_path);
  return !folder.empty() && DirectoryExists(context.env(), folder);
}

}  // namespace tarvelin

#include "jobs/mailbox_conversion.h"

#include "core/accounts/mail_folder.h"
#include "core/context.h"
#include "mailstore/mailbox_location.h"

namespace tarvelin {

bool ConvertMailbox(const Context& context, std::string_view mailbox_path,
                    const MailboxConversion& how) {
  return ConvertMailbox(context.env(), MailRootFolder(context), mailbox_path, how);
}

std::string MailboxConversionFolder(const Context& context, std::string_view mailbox_path) {
  return MailboxFolder(MailRootFolder(context), mailbox_path);
}

}  // namespace tarvelin

#include "jobs/mailbox_conversion.h"

#include "core/accounts/mail_folder.h"

namespace tarvelin {

bool ConvertMailbox(const Context& context, std::string_view mailbox_path,
                    const MailboxConversion& how) {
  return ConvertMailbox(MailRootFolder(context), mailbox_path, how);
}

}  // namespace tarvelin

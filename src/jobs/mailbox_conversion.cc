#include "jobs/mailbox_conversion.h"

#include "core/accounts/mail_folder.h"
#include "core/context.h"

namespace tarvelin {

bool ConvertMailbox(const Context& context, std::string_view mailbox_path,
                    const MailboxConversion& how) {
  return ConvertMailbox(context.env(), MailRootFolder(context), mailbox_path, how);
}

}  // namespace tarvelin

#include "core/accounts/mail_folder.h"

#include "schema/user_record_offsets.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "mailstore/mailbox_location.h"

namespace tarvelin {

std::string AccountMailFolder(const Context& context, const UserRecord& record) {
  return MailboxFolder(
      MailRootFolder(context),
      GetPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity));
}

}  // namespace tarvelin

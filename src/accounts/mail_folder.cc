#include "accounts/mail_folder.h"

#include "accounts/user_record_offsets.h"
#include "foundation/bytes.h"
#include "frame/library.h"
#include "maintenance/mailbox_location.h"

namespace tarvelin {

std::string AccountMailFolder(const Library& library, const UserRecord& record) {
  return MailboxFolder(
      MailRootFolder(library),
      GetPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity));
}

}  // namespace tarvelin

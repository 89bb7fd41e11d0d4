#include "accounts/mail_folder.h"

#include "foundation/bytes.h"
#include "frame/library.h"
#include "maintenance/mailbox_location.h"

namespace tarvelin {

namespace {
constexpr int kMailboxPath = 1028;
constexpr int kMailboxPathCapacity = 127;
}  // namespace

std::string AccountMailFolder(const Library& library, const UserRecord& record) {
  return MailboxFolder(MailRootFolder(library),
                       GetPString(record.data() + kMailboxPath, kMailboxPathCapacity));
}

}  // namespace tarvelin

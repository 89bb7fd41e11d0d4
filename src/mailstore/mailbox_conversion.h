// Turns a mailbox folder from one layout into the other.
//
// POP3 layout: the inbox messages lie in the mailbox folder as ".tmp"
// files. IMAP layout: they lie in its "inbox" subfolder as ".imap" files,
// beside further folders of the account (and "~spam").
//
// Converting converts the message files of the start folder (from IMAP
// without recursion: "inbox"; otherwise the mailbox folder) and, with
// recursion, of every subfolder to any depth, except those whose names
// begin with "." or "~" other than "~spam" (any letter case). A folder
// reached again through a link is not converted twice. Then, unless only
// probing, the inbox messages move: from IMAP, the ".tmp" files of "inbox"
// into the mailbox folder; to IMAP, the ".imap" files of the mailbox folder
// into "inbox" (created when missing). A move or a conversion onto a name
// that exists leaves its file where and as it was; so does a file that
// cannot be converted. New files reach the disk before old ones go (one
// flush for many files). Missing start folders are created, also by a
// probe, which changes nothing else and stops at the first message file.
#pragma once

#include <string_view>

#include "platform/env.h"

namespace tarvelin {

struct MailboxConversion {
  bool from_imap = false;
  bool probe = false;  // only ask whether anything is to be converted
  bool recursive = false;
};

// `mailbox_path` as MailboxFolder resolves it below `mail_root`. True when
// any converted folder held a file with the source extension, whether or
// not it could be converted. False, touching nothing, when the path names
// no folder (empty, or relative without a mail root). Every call goes
// through `env`.
bool ConvertMailbox(Env& env, std::string_view mail_root, std::string_view mailbox_path,
                    const MailboxConversion& how);

// Whether ConvertMailbox with `how` (its probe flag aside) would find a
// file to convert or a message to move; asked without creating or changing
// anything, so a missing folder holds nothing.
bool MailboxConversionHasWork(Env& env, std::string_view mail_root, std::string_view mailbox_path,
                              const MailboxConversion& how);

}  // namespace tarvelin

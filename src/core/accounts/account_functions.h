// The account exports: counting, listing and locating a domain's accounts,
// loading one into a caller buffer, and saving, adding and deleting
// accounts with their checks and follow-ups (account_writer.h). A domain
// is named by text and must resolve strictly (FindDomainIndex), else the
// result is kResultFailed; accounts are addressed by position. Every
// function returns kResultNotInitialised before the library is
// initialised.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

// The number of records in the domain's users.cfg.
int32_t GetUserCount(Context& context, const char* domain);
// Each account's primary alias (its alias list up to the first ";")
// followed by a zero byte, in position order, then one more zero byte; the
// buffer is zero-filled first. The text's length, or
// kResultBufferTooSmall.
int32_t GetUserList(Context& context, const char* domain, void* buffer, int32_t size);
// The first position whose alias list holds `alias`, or kResultFailed.
int32_t GetUserIndex(Context& context, const char* domain, const char* alias);
// The record at `position` (a mailing list with the list-server flag
// handed out as type 6): kUserRecordSize; kResultBufferTooSmall for a
// buffer below it; kResultFailed for a position without an account.
int32_t LoadUser(Context& context, const char* domain, int32_t position, void* buffer,
                 int32_t size);
// Replaces the account at `position` with the record in the buffer: 0;
// kResultBufferTooSmall; kResultFailed, with nothing written, for a
// position without an account, an alias the record gains that another
// account has, an empty or invalid alias list, an invalid mailbox name, a
// mailbox name and password that make logins ambiguous, a password the
// policy (variable 155) refuses, or a failed write. A user account's
// empty Mailbox becomes its primary alias, an empty MailboxPath the
// default path, and the path ends with a separator.
int32_t SaveUser(Context& context, const char* domain, int32_t position, const void* buffer,
                 int32_t size);
// Adds the record in the buffer as a new account with the checks of
// SaveUser (every alias must be free); a record of type 6 gets the
// list-server flag. The new position, kResultBufferTooSmall or
// kResultFailed.
int32_t AddUser(Context& context, const char* domain, const void* buffer, int32_t size);
// Removes the account at `position`: 0, also for a position at or beyond
// the end (nothing changes); kResultFailed for a negative position, a
// domain without users.cfg or a failed rewrite. The mail folder of a
// removed user account goes after the record, where mail_folder_removal.h
// allows it.
int32_t DeleteUser(Context& context, const char* domain, int32_t position);

}  // namespace tarvelin

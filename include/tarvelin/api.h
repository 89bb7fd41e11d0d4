/*
 * tarvelin-admin: the administration library of the Tarvelin mail server.
 *
 * Plain C exports over the server's configuration store. Conventions:
 *  - numbers are int32_t; texts are zero-terminated single-byte strings (a
 *    null pointer is an empty text); caller buffers are a pointer followed
 *    by their size in bytes;
 *  - results: 0 or more is success (bytes written, a count, a position);
 *    -1 not found / unknown id / failed, -3 buffer too small or bad size,
 *    -4 settings.cfg not loadable, -5 library not initialised;
 *  - texts handed out carry no terminator; numbers are little-endian and the
 *    caller's buffer size chooses their width (1 to 4 bytes); flags are one
 *    byte; date-times are 8-byte doubles (days since 1899-12-30).
 * No call raises an error or exception to the caller.
 */
#ifndef TARVELIN_API_H_
#define TARVELIN_API_H_

#include <stdint.h>

#if defined(__GNUC__)
#define TARVELIN_API __attribute__((visibility("default")))
#else
#define TARVELIN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Library */

/* Opens the installation in `path` (null: $TARVELIN_INSTALL_DIR). 0, or -4. */
TARVELIN_API int32_t Init(const char* path);
/* Saves the configuration when it was changed. */
TARVELIN_API void Done(void);

/* Global settings by number */

TARVELIN_API int32_t GetConfigSetting(int32_t id, void* buffer, int32_t size);
TARVELIN_API int32_t SetConfigSetting(int32_t id, const void* buffer, int32_t size);

/* Save and reload */

/* Writes settings.cfg and domains.cfg; the result of UpdateConfiguration. */
TARVELIN_API int32_t SaveConfig(void);
/* Tells the services to re-read their configuration: 1 when the control
 * service got the command, else 0. */
TARVELIN_API int32_t UpdateConfiguration(void);
/* Asks the control service to reload the server services: 1 or 0. */
TARVELIN_API int32_t ReloadServices(void);

/* Backup and restore */

/* Packs the configuration directory and the data folders the settings name
 * into the archive `path`; parts of `path` between double quotes are
 * replaced by the current date and time formatted with them ("yyyymmdd").
 * 0, -1 (not created, a write failed, or a file could not be stored), -5. */
TARVELIN_API int32_t BackupConfig(const char* path);
/* Unpacks the archive over the installation, reloads the configuration and
 * tells the services to reload. 0, -1 (missing, damaged, or an entry not
 * written: entries leading outside the installation are refused), -5. */
TARVELIN_API int32_t RestoreConfig(const char* path);

/* Date buffers: 8-byte date-times built and read part by part. They work
 * without Init. -3 when `size` is below 8; an invalid date or time is
 * written as 0.0; outputs are set to 0 first (null outputs are skipped). */
TARVELIN_API int32_t SetBufferDate(void* buffer, int32_t size, int32_t year, int32_t month,
                                   int32_t day);
TARVELIN_API int32_t SetBufferTime(void* buffer, int32_t size, int32_t hour, int32_t minute,
                                   int32_t second, int32_t millisecond);
TARVELIN_API int32_t GetBufferDate(const void* buffer, int32_t size, int32_t* year,
                                   int32_t* month, int32_t* day);
TARVELIN_API int32_t GetBufferTime(const void* buffer, int32_t size, int32_t* hour,
                                   int32_t* minute, int32_t* second, int32_t* millisecond);

/* Domain list */

TARVELIN_API int32_t GetDomainCount(void);
/* Every name followed by a zero byte, then one more zero byte. */
TARVELIN_API int32_t GetDomainList(void* buffer, int32_t size);
TARVELIN_API int32_t GetDomainName(int32_t index, void* buffer, int32_t size);
/* Position of a domain (also through address literals and subdomains). */
TARVELIN_API int32_t GetDomainIndex(const char* name);

/* Domain records: the 1169-byte settings record of a domain, by position in
 * the domain list. Every function returns -5 when not initialised; a
 * record or buffer size below 1169 gives -3. */

/* 1169, -3 (bad position or size), or -1 (the domain has no record). */
TARVELIN_API int32_t LoadDomain(int32_t index, void* buffer, int32_t size);
/* Writes the record and tells the services to reload: 0, -3, or -1. */
TARVELIN_API int32_t SaveDomain(int32_t index, const void* buffer, int32_t size);
/* Adds a domain with its record: 0, -3, or -1 (the name exists, ignoring
 * case; is empty, longer than 95 characters or holds other characters than
 * letters, digits, "-", ".", "[" and "]"; or the record was not written). */
TARVELIN_API int32_t AddDomain(const char* name, const void* buffer, int32_t size);
/* Renames a domain (list entry and configuration folder; its mail folder
 * stays) and moves its addresses in group member files: 0, -3 (a null or
 * the same pointer twice), or -1 (invalid new name, a name another domain
 * has, or an old name that does not resolve). */
TARVELIN_API int32_t RenameDomain(const char* old_name, const char* new_name);
/* Deletes a domain with its mail and configuration folders and its
 * addresses in group member files: 0, or -3 (bad position). */
TARVELIN_API int32_t DeleteDomain(int32_t index);
/* Single settings of a record the caller holds, by id (0 to 36 without 2
 * and 26 to 31). Get: bytes written, -3 (buffer too small), or -1 (unknown
 * id). Set: 0, -1 (unknown id, record unchanged), or -3 (a date of fewer
 * than 8 bytes). */
TARVELIN_API int32_t GetDomainSetting(const void* record, int32_t record_size, int32_t id,
                                      void* buffer, int32_t size);
TARVELIN_API int32_t SetDomainSetting(void* record, int32_t record_size, int32_t id,
                                      const void* buffer, int32_t size);
/* Applies the domain keys of ConfigPath/default.ini when `force` is nonzero
 * or configuration variable 77 is on: 1169; otherwise 0, record unchanged. */
TARVELIN_API int32_t SetDomainDefaults(void* record, int32_t record_size, int32_t force);
/* The domain's address binding (its bind.dat line): its length, or -3. */
TARVELIN_API int32_t GetDomainIP(int32_t index, void* buffer, int32_t size);
/* Binds the domain to exactly the `size` bytes given (an empty text
 * unbinds it): 0, -3 (bad position), or -1 (bind.dat not written). */
TARVELIN_API int32_t SetDomainIP(int32_t index, const void* buffer, int32_t size);

/* Accounts of a domain (named by text, resolved strictly: -1 otherwise), by
 * position in its users.cfg. Every function returns -5 when not
 * initialised; a buffer below 2848 bytes gives -3. */

/* The number of accounts. */
TARVELIN_API int32_t GetUserCount(const char* domain);
/* Every primary alias followed by a zero byte, then one more zero byte: the
 * length, or -3 (buffer smaller than the text). */
TARVELIN_API int32_t GetUserList(const char* domain, void* buffer, int32_t size);
/* Position of the first account holding the alias, or -1. */
TARVELIN_API int32_t GetUserIndex(const char* domain, const char* alias);
/* 2848 (a list with the list-server flag as type 6), -3, or -1 (no account
 * there). */
TARVELIN_API int32_t LoadUser(const char* domain, int32_t index, void* buffer, int32_t size);
/* Replaces an existing account after the checks (aliases free and valid,
 * mailbox name valid and unambiguous, password policy), then logs the
 * change and runs its follow-ups: 0, -3, or -1 (nothing written). */
TARVELIN_API int32_t SaveUser(const char* domain, int32_t index, const void* buffer,
                              int32_t size);
/* Adds an account with the same checks: its position, -3, or -1. */
TARVELIN_API int32_t AddUser(const char* domain, const void* buffer, int32_t size);
/* Removes the account and, for a user account, its own mail folder: 0
 * (also for a position beyond the end, which changes nothing), or -1. */
TARVELIN_API int32_t DeleteUser(const char* domain, int32_t index);

/* Account settings: single settings of a 2848-byte account record that the
 * caller holds (as LoadUser gives it), by id. Any id may be used on any
 * record. -3 when `record_size` is below 2848, -5 when not initialised. */

/* Bytes written, -3 (buffer too small for the value), or -1 (unknown id). */
TARVELIN_API int32_t GetUserSetting(const void* record, int32_t record_size, int32_t id,
                                    void* buffer, int32_t size);
/* 0, or -1 for an unknown id (the record is left as it was). */
TARVELIN_API int32_t SetUserSetting(void* record, int32_t record_size, int32_t id,
                                    const void* buffer, int32_t size);
/* Applies the account keys of ConfigPath/default.ini when `force` is nonzero
 * or configuration variable 77 is on: 2848; otherwise 0 and the record is
 * left as it was. */
TARVELIN_API int32_t SetUserDefaults(void* record, int32_t record_size, int32_t force);

/* Logins and the password policy. */

/* Checks a login (an alias with its domain, or a mailbox name, as
 * configuration variable 115 says) and its plain password, arriving at
 * server address `ip` (may be null or empty). 2848 with the account's
 * record (plain password) in `buffer` and the index of its domain in
 * *domain_index; -1 when refused (after a wait of 3 seconds, 23 for an
 * account locked by failed logins), buffer and index untouched; -3 when
 * `size` is below 2848; -5 when not initialised. */
TARVELIN_API int32_t AuthenticateUser(const char* username, const char* password, const char* ip,
                                      int32_t* domain_index, void* buffer, int32_t size);
/* 1 when the password satisfies the policy for that mailbox and alias
 * list (always, with the policy off), 0 when not; -5 when not
 * initialised. */
TARVELIN_API int32_t CheckPasswordPolicy(const char* password, const char* mailbox,
                                         const char* alias);

/* Account walks: the records of one domain's users.cfg in file order. A
 * query is a condition over account settings named as in apiconst.pas
 * ("U_Type = 0", "U_Alias like 'a%'"); only the records it holds for are
 * delivered, and a query that does not evaluate delivers none. */

/* Starts a walk over every account: 1, and *handle is set; 0 (not
 * initialised, unknown domain, no users.cfg), *handle null (untouched when
 * not initialised). */
TARVELIN_API uint8_t APIInitUsers(void** handle, const char* domain);
/* The same with a query (null or empty: every account; cut to 255). */
TARVELIN_API uint8_t APIInitUsersQuery(void** handle, const char* domain, const char* query);
/* The next record (2848 bytes, type 6 for a mailing list with the
 * list-server flag): 1; 0 at the end, and when `size` is below 2848 (the
 * record is consumed all the same). */
TARVELIN_API uint8_t APINextUser(void* handle, void* buffer, int32_t size);
/* Ends the walk and frees the handle; a null handle is ignored. */
TARVELIN_API void APIDoneUsers(void* handle);

/* Remote accounts: the 1828-byte records of ConfigPath/remote.cfg, by
 * position. Every function returns -5 when not initialised; a buffer or
 * record size below 1828 gives -3. Save, add and delete tell the POP3
 * service to reload the list, also when the write failed. */

/* The number of remote accounts (0 when remote.cfg is missing). */
TARVELIN_API int32_t GetRACount(void);
/* 1828 (a zeroed record for a position outside the file), or -1 when
 * remote.cfg is missing or empty. */
TARVELIN_API int32_t LoadRA(int32_t index, void* buffer, int32_t size);
/* Replaces the record at `index`; -1 or the count appends. 0, or -1 (other
 * position outside the file, or not written). */
TARVELIN_API int32_t SaveRA(int32_t index, const void* buffer, int32_t size);
/* Appends the record: 0 or -1. */
TARVELIN_API int32_t AddRA(const void* buffer, int32_t size);
/* Removes the record and the collection state files it names (its name, and
 * the name with ".hdr", ".dom" and ".rt"; a relative name that leads out of
 * the configuration folder is left alone). 0, also for a position outside
 * the file; -1 when remote.cfg is missing or not rewritten (unchanged). */
TARVELIN_API int32_t DeleteRA(int32_t index);
/* Single settings (ids 224 to 248) of a record the caller holds; remote.cfg
 * is not touched. Id 246 is the 284-byte schedule (Get: -3 below 284
 * bytes; Set: the first min(size, 284) bytes), 248 the packed record.
 * Get: bytes written, -3, or -1 (unknown id). Set: 0 or -1 (unknown id,
 * record unchanged). */
TARVELIN_API int32_t GetRASetting(const void* record, int32_t record_size, int32_t id,
                                  void* buffer, int32_t size);
TARVELIN_API int32_t SetRASetting(void* record, int32_t record_size, int32_t id,
                                  const void* buffer, int32_t size);

/* Schedules: one field of item `item` (0 to 6) of a 284-byte schedule block
 * the caller holds, by type: 0 schedule flag and 15 the packed block (both
 * ignore `item`), 2 to 8 and 12 item flags, 9 an 8-bit number, 10 the time
 * of day in seconds, 11 a 32-bit number, 13 and 14 signed whole numbers.
 * -5 when not initialised; -3 when `schedule_size` is below 284 (nothing
 * read or written) or, for Get, the buffer is too small; -1 for an unknown
 * type or an item outside 0 to 6 (the block unchanged). Get: bytes written.
 * Set: 0. */
TARVELIN_API int32_t GetScheduleSetting(const void* schedule, int32_t schedule_size,
                                        int32_t item, int32_t type, void* buffer, int32_t size);
TARVELIN_API int32_t SetScheduleSetting(void* schedule, int32_t schedule_size, int32_t item,
                                        int32_t type, const void* buffer, int32_t size);

/* Maintenance */

/* Converts the mailbox folder `mailbox_path` (absolute, or relative to the
 * mail root) from the IMAP layout (`from_imap` not 0: ".imap" files, inbox
 * in "inbox/") to the POP3 layout (".tmp" files, dot-stuffed and ended by
 * CR LF "." CR LF, inbox in the folder itself) or back. Without `recursive`
 * a conversion from IMAP converts only "inbox"; with it, every subfolder
 * (not those beginning with "." or "~", except "~spam"). A "-" suffix of a
 * name before its extension is dropped; a file whose new name is taken, or
 * that cannot be converted, stays as it was. 1 when any message file was
 * found for conversion, else 0; also 0, touching nothing, for a null or
 * empty path and, before Init (no mail root), for a relative one. */
TARVELIN_API int32_t MailboxConvertMessages(const char* mailbox_path, int32_t from_imap,
                                            int32_t recursive);

/* Writes the traffic report of the user accounts to `output_file` (the
 * file is replaced when the report is complete): a header line, one line
 * per account the filter passes, the server line (only without a filter)
 * and the totals line, comma-separated, lines ended by CR LF. `from` and
 * `to` are dates "yyyy/m/d", both included; a text that is no valid date
 * (also null) is 30 December 1899. `filter` (null or empty or "*" for
 * all) is a ";"-separated list of domain patterns ("*", "?") and
 * "local@domain-pattern" items. 0 when written; -1 when the file could not
 * be created or written; -3 for a null `output_file`; -5 when not
 * initialised. */
TARVELIN_API int32_t GetUserStat(const char* from, const char* to, const char* filter,
                                 const char* output_file);

/* Indexes the sorted messages of the account `email` ("alias@domain", or an
 * alias of the first domain) for the antispam engine: each message file of
 * the genuine folder (the mailbox folder, or its "inbox/" for an IMAP
 * mailbox) and of "~spam/" that does not carry "X-AntiSpam-Status: " with
 * 0 or 1 respectively gets that header and a copy in the index queue
 * (ConfigPath + "../spam/index/"); then asks the SMTP service to index now.
 * A null `email` only asks the service. 0 done; -1, nothing sent, for an
 * unknown account or one not set for indexing (flag 63); -5 before Init. */
TARVELIN_API int32_t SpamIndexNow(const char* email);

#ifdef __cplusplus
}
#endif

#endif /* TARVELIN_API_H_ */

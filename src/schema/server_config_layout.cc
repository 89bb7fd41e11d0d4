// The settings record layout, maintained by hand: one row per field, in
// record order; a test checks that rows are ordered, fit and never overlap.
#include "schema/server_config_layout.h"

namespace tarvelin {

namespace {

constexpr ConfigField kFields[] = {
    // server host name; list-normalised at load; replaced by path.dat line 11 when that line is not
    // empty
    {0, 128, FieldKind::kText, 11, true, 0, "localhost", LoadDefault::kNone, 0, nullptr},
    {148, 1, FieldKind::kFlag, 172, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {150, 1, FieldKind::kFlag, 174, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {151, 1, FieldKind::kFlag, 175, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // when set, the database backend calls are made without the shared database lock
    {152, 1, FieldKind::kFlag, 176, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 7 (file prefix g)
    {153, 1, FieldKind::kNumber, 177, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {154, 1, FieldKind::kFlag, 178, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // domain lookup also accepts a bracketed IP literal as a domain
    {155, 1, FieldKind::kFlag, 179, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {156, 1, FieldKind::kFlag, 180, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {157, 1, FieldKind::kNumber, 181, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {158, 1, FieldKind::kFlag, 182, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // a password must not contain the mailbox name or an alias
    {159, 1, FieldKind::kFlag, 183, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // port number
    {160, 2, FieldKind::kNumber, 184, false, 0, nullptr, LoadDefault::kNumberWhenZero, 5229,
     nullptr},
    // groupware calls for accounts and groups are skipped when set
    {162, 1, FieldKind::kFlag, 185, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {163, 2, FieldKind::kNumber, 186, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {165, 1, FieldKind::kFlag, 187, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {166, 1, FieldKind::kNumber, 188, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // port number
    {167, 2, FieldKind::kNumber, 189, false, 0, nullptr, LoadDefault::kNumberWhenZero, 5269,
     nullptr},
    {169, 1, FieldKind::kFlag, 190, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {170, 1, FieldKind::kFlag, 191, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {171, 2, FieldKind::kNumber, 192, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {173, 1, FieldKind::kFlag, 193, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {174, 1, FieldKind::kFlag, 194, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {175, 1, FieldKind::kFlag, 195, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {176, 2, FieldKind::kNumber, 196, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {178, 1, FieldKind::kFlag, 197, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {179, 1, FieldKind::kFlag, 198, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {180, 1, FieldKind::kFlag, 199, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {181, 1, FieldKind::kFlag, 200, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {183, 1, FieldKind::kNumber, 201, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {184, 1, FieldKind::kFlag, 202, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {185, 1, FieldKind::kFlag, 203, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {186, 1, FieldKind::kFlag, 204, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // account passwords are stored enciphered
    {187, 1, FieldKind::kFlag, 205, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {196, 1, FieldKind::kFlag, 253, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    {198, 1, FieldKind::kFlag, 207, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {199, 1, FieldKind::kFlag, 208, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {200, 1, FieldKind::kFlag, 209, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {204, 1, FieldKind::kNumber, 211, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {205, 1, FieldKind::kFlag, 212, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {206, 1, FieldKind::kFlag, 213, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // directory mirror of accounts, together with offset 3382
    {207, 1, FieldKind::kFlag, 214, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {208, 1, FieldKind::kFlag, 215, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {210, 1, FieldKind::kFlag, 217, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {211, 1, FieldKind::kFlag, 218, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {212, 1, FieldKind::kFlag, 219, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {213, 1, FieldKind::kFlag, 220, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {222, 4, FieldKind::kNumber, 222, false, 0, nullptr, LoadDefault::kNumberWhenZero, 40, nullptr},
    // log level of log kind 5 (file prefix i)
    {227, 1, FieldKind::kNumber, 224, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // instant-messaging client port
    {228, 2, FieldKind::kNumber, 225, false, 0, nullptr, LoadDefault::kNumberWhenZero, 5222,
     nullptr},
    // instant-messaging secure client port
    {230, 2, FieldKind::kNumber, 226, false, 0, nullptr, LoadDefault::kNumberWhenZero, 5223,
     nullptr},
    {232, 1, FieldKind::kFlag, 161, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // account cache memory in megabytes, used in storage mode 0: the account cache capacity becomes
    // the larger of offset 26971 and this value times 1048576 divided by 11392
    {233, 4, FieldKind::kNumber, 228, false, 0, nullptr, LoadDefault::kNumberWhenZero, 10, nullptr},
    {237, 1, FieldKind::kFlag, 159, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // option passed to the DNS resolver set-up at every load
    {238, 1, FieldKind::kFlag, 230, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    {239, 1, FieldKind::kNumber, 231, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // time-out in seconds; the load also keeps it multiplied by 1000 as milliseconds for the
    // process
    {242, 2, FieldKind::kNumber, 12, false, 0, nullptr, LoadDefault::kNumberWhenZero, 300, nullptr},
    {244, 1, FieldKind::kNumber, 13, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {245, 1, FieldKind::kNumber, 14, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {246, 1, FieldKind::kFlag, 15, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // antivirus option
    {247, 1, FieldKind::kFlag, kNoSettingId, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // LDAP secure port
    {248, 2, FieldKind::kNumber, 17, false, 0, nullptr, LoadDefault::kNumberWhenZero, 636, nullptr},
    // LDAP port
    {250, 2, FieldKind::kNumber, 18, false, 0, nullptr, LoadDefault::kNumberWhenZero, 389, nullptr},
    // ODMR port
    {252, 2, FieldKind::kNumber, 19, false, 0, nullptr, LoadDefault::kNumberWhenZero, 366, nullptr},
    // byte
    {254, 1, FieldKind::kNumber, kNoSettingId, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // when this byte is not 1, the load forces offset 3633 to 1
    {255, 1, FieldKind::kNumber, 21, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // temporary directory (ends with a separator)
    {256, 256, FieldKind::kText, 22, true, 0, "temp/", LoadDefault::kInstallDirectory, 0, "temp/"},
    // mail root directory, one sub-directory per domain (ends with a separator)
    {512, 256, FieldKind::kText, 23, true, 0, "mail/", LoadDefault::kInstallDirectory, 0, "mail/"},
    // log directory (ends with a separator)
    {768, 256, FieldKind::kText, 24, true, 0, "logs/", LoadDefault::kInstallDirectory, 0, "logs/"},
    // POP3 port
    {1024, 2, FieldKind::kNumber, 25, false, 0, nullptr, LoadDefault::kNumberWhenZero, 110,
     nullptr},
    // POP3 secure port
    {1026, 2, FieldKind::kNumber, 26, false, 0, nullptr, LoadDefault::kNumberWhenZero, 995,
     nullptr},
    // SMTP port
    {1028, 2, FieldKind::kNumber, 27, false, 0, nullptr, LoadDefault::kNumberWhenZero, 25, nullptr},
    // IMAP secure port
    {1030, 2, FieldKind::kNumber, 28, false, 0, nullptr, LoadDefault::kNumberWhenZero, 993,
     nullptr},
    {1032, 4, FieldKind::kNumber, 29, true, 30, nullptr, LoadDefault::kNone, 0, nullptr},
    // control (administration web) port; also used to build challenge-response links
    {1036, 2, FieldKind::kNumber, 30, false, 0, nullptr, LoadDefault::kNumberWhenZero, 32000,
     nullptr},
    // IMAP port
    {1038, 2, FieldKind::kNumber, 31, false, 0, nullptr, LoadDefault::kNumberWhenZero, 143,
     nullptr},
    // control (administration web) secure port
    {1040, 2, FieldKind::kNumber, 32, false, 0, nullptr, LoadDefault::kNumberWhenZero, 32001,
     nullptr},
    {1042, 2, FieldKind::kNumber, 33, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1047, 1, FieldKind::kNumber, 37, true, 5, nullptr, LoadDefault::kNone, 0, nullptr},
    // address list (list-normalised at load)
    {1048, 128, FieldKind::kText, 38, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // server IP address list, separated by semicolons; the first entry is the default local bind
    // address; replaced by the first part of path.dat line 10 when that part is not empty
    {1176, 128, FieldKind::kText, 39, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // DNS server list, separated by semicolons; given to the DNS resolver at every load
    {1304, 128, FieldKind::kText, 40, false, 0, nullptr, LoadDefault::kSystemDnsWhenEmpty, 0,
     nullptr},
    {1432, 1, FieldKind::kFlag, 41, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    {1433, 1, FieldKind::kFlag, 42, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1434, 1, FieldKind::kFlag, 43, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1435, 1, FieldKind::kFlag, 44, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1436, 1, FieldKind::kFlag, 45, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1437, 1, FieldKind::kFlag, 46, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1438, 1, FieldKind::kFlag, 47, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1439, 1, FieldKind::kFlag, 48, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1440, 4, FieldKind::kNumber, 49, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // flag
    {1444, 1, FieldKind::kFlag, kNoSettingId, false, 0, nullptr, LoadDefault::kByStep, 0, nullptr},
    {1445, 1, FieldKind::kFlag, 51, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1448, 4, FieldKind::kNumber, 52, true, 7, nullptr, LoadDefault::kNone, 0, nullptr},
    {1452, 1, FieldKind::kFlag, 53, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1453, 1, FieldKind::kFlag, 54, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {1458, 2, FieldKind::kNumber, 57, false, 0, nullptr, LoadDefault::kNumberWhenZero, 32768,
     nullptr},
    {1460, 1, FieldKind::kNumber, 58, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // SMTP secure (implicit TLS) port
    {1461, 2, FieldKind::kNumber, 59, false, 0, nullptr, LoadDefault::kNumberWhenZero, 465,
     nullptr},
    {1463, 1, FieldKind::kFlag, 60, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1464, 1, FieldKind::kFlag, 61, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    {1465, 1, FieldKind::kFlag, 62, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1466, 1, FieldKind::kFlag, 63, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1467, 1, FieldKind::kFlag, 64, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1472, 1, FieldKind::kFlag, 150, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // new accounts receive the messages listed in messages.dat
    {1473, 1, FieldKind::kFlag, 69, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // when 0, an upgrade step empties the server IP address list
    {1474, 1, FieldKind::kFlag, kNoSettingId, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1475, 1, FieldKind::kFlag, 71, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // DNS query time-out in seconds, given to the DNS resolver at every load
    {1476, 1, FieldKind::kNumber, 72, false, 0, nullptr, LoadDefault::kNumberWhenZero, 5, nullptr},
    // sender mailbox of server-generated delivery reports and notices
    {1477, 32, FieldKind::kText, 73, true, 0, "MAILER-DAEMON", LoadDefault::kTextWhenEmpty, 0,
     "MAILER-DAEMON"},
    // display name of that sender
    {1509, 32, FieldKind::kText, 74, true, 0, "Mail Delivery Subsystem",
     LoadDefault::kTextWhenEmpty, 0, "Mail Delivery Subsystem"},
    {1541, 1, FieldKind::kFlag, 75, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1542, 1, FieldKind::kFlag, 76, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // the defaults file is applied to new domains and accounts without being forced
    {1543, 1, FieldKind::kFlag, 77, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {1544, 4, FieldKind::kNumber, 78, false, 0, nullptr, LoadDefault::kNumberWhenZero, 8, nullptr},
    // number
    {1548, 4, FieldKind::kNumber, 79, false, 0, nullptr, LoadDefault::kNumberWhenZero, 1, nullptr},
    // number
    {1552, 4, FieldKind::kNumber, 80, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    // number
    {1556, 4, FieldKind::kNumber, 81, false, 0, nullptr, LoadDefault::kNumberWhenZero, 40, nullptr},
    // number
    {1560, 4, FieldKind::kNumber, 82, false, 0, nullptr, LoadDefault::kNumberWhenZero, 40, nullptr},
    // number
    {1564, 2, FieldKind::kNumber, 83, false, 0, nullptr, LoadDefault::kNumberWhenZero, 40, nullptr},
    // number
    {1566, 2, FieldKind::kNumber, 84, false, 0, nullptr, LoadDefault::kNumberWhenZero, 5000,
     nullptr},
    {1568, 4, FieldKind::kNumber, 85, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1572, 1, FieldKind::kFlag, 86, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1576, 4, FieldKind::kNumber, 87, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // account lookup falls back to the accounts of every domain
    {1580, 1, FieldKind::kFlag, 88, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1581, 1, FieldKind::kFlag, 89, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {1840, 1, FieldKind::kFlag, 91, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // SMTP access list mode: 1 = only the listed addresses are served, 0 = the listed addresses are
    // refused
    {1841, 1, FieldKind::kFlag, 92, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // SMTP access list
    {1842, 256, FieldKind::kText, 93, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // POP3 access list mode
    {2098, 1, FieldKind::kFlag, 94, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // POP3 access list
    {2099, 256, FieldKind::kText, 95, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {2355, 1, FieldKind::kFlag, 96, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // database connection text of the account backend; list-normalised at load
    {2356, 256, FieldKind::kText, 97, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // control service access list mode
    {2612, 1, FieldKind::kFlag, 98, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // control service access list
    {2613, 256, FieldKind::kText, 99, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 0 (SMTP, file prefix s)
    {2869, 1, FieldKind::kNumber, 100, true, 3, nullptr, LoadDefault::kNone, 0, nullptr},
    // log buffer size in bytes per log kind; the load sets it to 0 when it exceeds 5242880
    {2878, 4, FieldKind::kNumber, 103, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {2882, 4, FieldKind::kNumber, 104, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 1 (POP3, file prefix p)
    {3126, 1, FieldKind::kNumber, 105, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {3127, 128, FieldKind::kText, 106, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // database connection text of the log tables
    {3255, 126, FieldKind::kText, 107, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // database logging switch
    {3381, 1, FieldKind::kFlag, 108, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // LDAP service switch; also enables the directory mirror with offset 207
    {3382, 1, FieldKind::kFlag, 109, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 3 (file prefix c)
    {3383, 1, FieldKind::kNumber, 110, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {3384, 1, FieldKind::kFlag, 111, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // directory (ends with a separator)
    {3385, 241, FieldKind::kText, 154, false, 0, nullptr, LoadDefault::kByStep, 0, nullptr},
    {3626, 1, FieldKind::kFlag, 323, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {3627, 1, FieldKind::kFlag, 153, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {3628, 1, FieldKind::kFlag, 112, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // second mode flag behind setting 126
    {3629, 1, FieldKind::kFlag, kNoSettingId, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // logins with the full address, alias and domain
    {3631, 1, FieldKind::kFlag, 115, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // records each login in useraccess.dat
    {3632, 1, FieldKind::kFlag, 116, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // account storage mode: 0 or 1 = files, 2 = database backend
    {3633, 1, FieldKind::kNumber, 117, true, 1, nullptr, LoadDefault::kByStep, 0, nullptr},
    {3634, 1, FieldKind::kFlag, 118, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 4 (antivirus, folder antivirus/)
    {3635, 1, FieldKind::kNumber, 151, true, 2, nullptr, LoadDefault::kNone, 0, nullptr},
    {3636, 1, FieldKind::kFlag, 119, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {3637, 1, FieldKind::kFlag, 120, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // login separators: "%", "&" and "/" in a login stand for "@"
    {3638, 1, FieldKind::kFlag, 121, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log lines also go to the debugger output
    {3640, 1, FieldKind::kFlag, 123, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // address list (list-normalised at load)
    {3641, 128, FieldKind::kText, 124, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {3769, 128, FieldKind::kText, 125, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // first mode flag behind setting 126
    {3900, 1, FieldKind::kFlag, kNoSettingId, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {3901, 128, FieldKind::kText, 127, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {4029, 128, FieldKind::kText, 128, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {4157, 128, FieldKind::kText, 129, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {4288, 4, FieldKind::kNumber, 130, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // ScheduleRecord
    {4292, 284, FieldKind::kBlock, 149, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {4576, 1, FieldKind::kFlag, 131, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // local network address patterns, separated by semicolons (list-normalised at load)
    {4577, 256, FieldKind::kText, 132, true, 0, "127.0.0.1;192.168.*.*;10.*.*.*;172.16-31.*.*",
     LoadDefault::kNone, 0, nullptr},
    {4836, 4, FieldKind::kNumber, 134, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // 2048-byte block, copied whole
    {4840, 2048, FieldKind::kBlock, 148, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {6888, 1, FieldKind::kFlag, 135, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    {6889, 1, FieldKind::kFlag, 136, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {6890, 1, FieldKind::kFlag, 137, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    // disabled domains refuse the logins of their accounts
    {6994, 1, FieldKind::kFlag, 160, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {6995, 1, FieldKind::kFlag, 334, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {6996, 1, FieldKind::kFlag, 333, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {6997, 1, FieldKind::kFlag, 158, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // password rules are enforced
    {6998, 1, FieldKind::kFlag, 155, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // minimum password length
    {6999, 1, FieldKind::kNumber, 156, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // minimum number of digits in a password
    {7000, 1, FieldKind::kNumber, 157, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // domain table format flag
    {7001, 1, FieldKind::kFlag, kNoSettingId, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    {7003, 1, FieldKind::kFlag, 139, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // records each login in useraccess.dat
    {7005, 1, FieldKind::kFlag, 141, true, 1, nullptr, LoadDefault::kNone, 0, nullptr},
    {7006, 1, FieldKind::kFlag, 142, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {7007, 1, FieldKind::kFlag, 143, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {7008, 1, FieldKind::kNumber, 144, false, 0, nullptr, LoadDefault::kNumberWhenZero, 20,
     nullptr},
    {7009, 1, FieldKind::kFlag, 145, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {7010, 2, FieldKind::kNumber, 140, true, 45, nullptr, LoadDefault::kNumberWhenZero, 45,
     nullptr},
    // number
    {7012, 4, FieldKind::kNumber, 146, false, 0, nullptr, LoadDefault::kNumberWhenZero, 6, nullptr},
    // number
    {7016, 4, FieldKind::kNumber, 147, false, 0, nullptr, LoadDefault::kNumberWhenZero, 4, nullptr},
    // number of domains in domains.cfg
    {7020, 4, FieldKind::kNumber, kNoSettingId, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // legacy domain table, 100 entries of 128 bytes
    {7024, 12800, FieldKind::kBlock, kNoSettingId, false, 0, nullptr, LoadDefault::kNone, 0,
     nullptr},
    {19984, 1, FieldKind::kNumber, 233, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {19985, 1, FieldKind::kNumber, 360, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {19986, 1, FieldKind::kFlag, 234, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {19987, 2, FieldKind::kNumber, 235, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {19989, 51, FieldKind::kText, 236, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20416, 1, FieldKind::kNumber, 237, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20417, 1, FieldKind::kNumber, 238, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20420, 4, FieldKind::kNumber, 239, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20424, 4, FieldKind::kNumber, 240, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20428, 4, FieldKind::kNumber, 241, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20432, 1, FieldKind::kFlag, 242, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // failed logins are counted
    {20433, 1, FieldKind::kFlag, 243, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // failed logins before an account is locked
    {20436, 4, FieldKind::kNumber, 244, true, 5, nullptr, LoadDefault::kNone, 0, nullptr},
    // lock period in minutes after failed logins
    {20440, 4, FieldKind::kNumber, 245, true, 10, nullptr, LoadDefault::kNone, 0, nullptr},
    // minimum number of special characters in a password
    {20445, 1, FieldKind::kNumber, 247, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // passwords are given out as "*"
    {20848, 1, FieldKind::kFlag, 248, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // passwords of administrator accounts are given out when set
    {20849, 1, FieldKind::kFlag, 249, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20850, 1, FieldKind::kFlag, 250, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20852, 4, FieldKind::kNumber, 251, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {20856, 1, FieldKind::kFlag, 252, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // backup also takes the mail folders
    {20857, 1, FieldKind::kFlag, 254, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // instant-messaging access list mode
    {20858, 1, FieldKind::kFlag, 255, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // instant-messaging access list
    {20859, 256, FieldKind::kText, 256, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // groupware access list mode
    {21115, 1, FieldKind::kFlag, 257, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // groupware access list
    {21116, 256, FieldKind::kText, 258, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {21372, 4, FieldKind::kNumber, 298, false, 0, nullptr, LoadDefault::kNumberWhenZero, 40,
     nullptr},
    {21376, 1, FieldKind::kFlag, 259, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21377, 1, FieldKind::kFlag, 260, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21378, 1, FieldKind::kFlag, 261, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21379, 1, FieldKind::kFlag, 262, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21380, 1, FieldKind::kFlag, 263, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21381, 1, FieldKind::kFlag, 264, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21382, 1, FieldKind::kFlag, 265, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21383, 1, FieldKind::kFlag, 267, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // FTP port
    {21384, 2, FieldKind::kNumber, 268, false, 0, nullptr, LoadDefault::kNumberWhenZero, 21,
     nullptr},
    // FTP secure port
    {21386, 2, FieldKind::kNumber, 269, false, 0, nullptr, LoadDefault::kNumberWhenZero, 990,
     nullptr},
    // FTP service enabled; statistics report the FTP service as running only when set
    {21388, 1, FieldKind::kFlag, 422, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 8 (FTP, file prefix f)
    {21389, 1, FieldKind::kNumber, 270, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 2 (file prefix m)
    {21390, 1, FieldKind::kNumber, 271, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21391, 1, FieldKind::kNumber, 272, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number; copied to a process value at every load
    {21392, 4, FieldKind::kNumber, 273, true, 8, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {21396, 4, FieldKind::kNumber, 274, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    // number
    {21400, 4, FieldKind::kNumber, 275, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    // number
    {21404, 4, FieldKind::kNumber, 276, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    // number
    {21408, 4, FieldKind::kNumber, 277, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    // number
    {21412, 4, FieldKind::kNumber, 278, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    // number
    {21416, 4, FieldKind::kNumber, 279, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    // number
    {21420, 4, FieldKind::kNumber, 280, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    // number
    {21424, 4, FieldKind::kNumber, 281, false, 0, nullptr, LoadDefault::kNumberWhenZero, 256,
     nullptr},
    {21492, 1, FieldKind::kFlag, 282, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // FTP access list
    {21493, 256, FieldKind::kText, 283, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // FTP access list mode
    {21749, 1, FieldKind::kFlag, 284, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {21752, 4, FieldKind::kNumber, 285, false, 0, nullptr, LoadDefault::kNumberWhenZero, 40,
     nullptr},
    {21756, 4, FieldKind::kNumber, 286, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21760, 4, FieldKind::kNumber, 287, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21764, 4, FieldKind::kNumber, 288, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21768, 4, FieldKind::kNumber, 289, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21772, 4, FieldKind::kNumber, 290, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21776, 4, FieldKind::kNumber, 291, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21780, 4, FieldKind::kNumber, 292, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21784, 4, FieldKind::kNumber, 293, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {21788, 4, FieldKind::kNumber, 294, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // IMAP access list
    {21864, 256, FieldKind::kText, 295, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // IMAP access list mode
    {22120, 1, FieldKind::kFlag, 296, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // path separator character
    {22121, 1, FieldKind::kNumber, kNoSettingId, false, 0, nullptr, LoadDefault::kByStep, 0,
     nullptr},
    // platform kind of the file's author: the load keeps the value found aside and stores 0
    {22122, 1, FieldKind::kNumber, kNoSettingId, false, 0, nullptr, LoadDefault::kByStep, 0,
     nullptr},
    {22123, 1, FieldKind::kFlag, 297, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {22124, 4, FieldKind::kNumber, 299, false, 0, nullptr, LoadDefault::kNumberWhenZero, 40,
     nullptr},
    // number
    {22128, 4, FieldKind::kNumber, 300, false, 0, nullptr, LoadDefault::kNumberWhenZero, 1,
     nullptr},
    // log rotation size in kilobytes
    {22132, 4, FieldKind::kNumber, 301, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // option given to the DNS resolver at every load
    {22136, 4, FieldKind::kNumber, 302, false, 0, nullptr, LoadDefault::kNumberWhenZero, 1,
     nullptr},
    // mailbox folders get a prefix of the alias's first characters
    {22140, 1, FieldKind::kFlag, 303, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // length of that prefix
    {22141, 1, FieldKind::kNumber, 304, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // DNS cache size, shared with the resolver
    {22142, 4, FieldKind::kNumber, 306, false, 0, nullptr, LoadDefault::kNumberWhenZero, 128,
     nullptr},
    {22146, 4, FieldKind::kNumber, 335, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22150, 4, FieldKind::kNumber, 336, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22154, 4, FieldKind::kNumber, 337, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22158, 4, FieldKind::kNumber, 338, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22162, 4, FieldKind::kNumber, 339, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22166, 4, FieldKind::kNumber, 340, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22170, 4, FieldKind::kNumber, 341, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22174, 4, FieldKind::kNumber, 342, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22178, 4, FieldKind::kNumber, 345, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22182, 4, FieldKind::kNumber, 346, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22186, 4, FieldKind::kNumber, 347, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22190, 4, FieldKind::kNumber, 348, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22194, 4, FieldKind::kNumber, 343, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22198, 4, FieldKind::kNumber, 344, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22202, 1, FieldKind::kFlag, 307, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // logins are restricted by client address, iplogin.dat
    {22203, 1, FieldKind::kFlag, 308, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // antivirus engine 1 selected when 1
    {22204, 1, FieldKind::kNumber, 309, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // antivirus engine 4 selected when 1
    {22205, 1, FieldKind::kNumber, 312, false, 0, nullptr, LoadDefault::kNumberWhenZero, 1,
     nullptr},
    // antivirus engine 2 selected when 1
    {22206, 1, FieldKind::kNumber, 310, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // antivirus engine 3 selected when 1
    {22207, 1, FieldKind::kNumber, 311, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22212, 1, FieldKind::kFlag, 313, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number; copied to a process value at every load
    {22213, 4, FieldKind::kNumber, 314, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // SNMP port
    {22217, 2, FieldKind::kNumber, 316, false, 0, nullptr, LoadDefault::kNumberWhenZero, 161,
     nullptr},
    // number
    {22219, 2, FieldKind::kNumber, 315, false, 0, nullptr, LoadDefault::kNumberWhenZero, 13,
     nullptr},
    {22221, 1, FieldKind::kFlag, 317, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22222, 1, FieldKind::kFlag, 318, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22223, 64, FieldKind::kText, 319, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22287, 256, FieldKind::kText, 320, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // ScheduleRecord
    {22543, 284, FieldKind::kBlock, 321, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22827, 4, FieldKind::kNumber, 322, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {22831, 4, FieldKind::kNumber, 325, false, 0, nullptr, LoadDefault::kNumberWhenZero, 1000,
     nullptr},
    {22835, 4, FieldKind::kNumber, 324, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 9 (antispam, folder antispam/); bit 0 enables the antispam system
    // entries
    {22839, 1, FieldKind::kNumber, 351, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22840, 1, FieldKind::kFlag, 352, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22841, 4, FieldKind::kNumber, 353, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {22845, 256, FieldKind::kText, 354, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // ScheduleRecord
    {23101, 284, FieldKind::kBlock, 355, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {23385, 1, FieldKind::kFlag, 356, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number; copied to a process value at every load
    {23386, 4, FieldKind::kNumber, 358, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {23390, 4, FieldKind::kNumber, 359, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {23403, 1, FieldKind::kFlag, 363, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // migration status available: enables settings 375 to 381
    {23404, 1, FieldKind::kFlag, 365, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // migration source server, host name optionally followed by ":" and a port
    {23405, 256, FieldKind::kText, 366, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {23661, 256, FieldKind::kText, 367, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // migration log file
    {23917, 256, FieldKind::kText, 368, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {24181, 1, FieldKind::kFlag, 369, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // migration alias mode
    {24182, 1, FieldKind::kNumber, 370, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {24183, 1, FieldKind::kFlag, 371, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // migration takes the target domain from the queued record
    {24184, 1, FieldKind::kFlag, 372, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // migration protocol: 1 = POP3, other values IMAP
    {24185, 1, FieldKind::kNumber, 373, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // one character; when not 0 it is copied to a process value at every load
    {24186, 1, FieldKind::kCharacter, 364, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // ScheduleRecord
    {24187, 284, FieldKind::kBlock, 374, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // ScheduleRecord
    {24471, 284, FieldKind::kBlock, 382, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // SIP port
    {24755, 2, FieldKind::kNumber, 384, false, 0, nullptr, LoadDefault::kNumberWhenZero, 5060,
     nullptr},
    {24757, 1, FieldKind::kFlag, 383, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {24758, 1, FieldKind::kFlag, 385, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // address patterns, separated by semicolons
    {24759, 256, FieldKind::kText, 386, false, 0, nullptr, LoadDefault::kTextWhenEmpty, 0,
     "127.0.0.1;192.168.*.*;10.*.*.*;172.16-31.*.*"},
    {25015, 128, FieldKind::kText, 387, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25143, 128, FieldKind::kText, 388, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25271, 128, FieldKind::kText, 389, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25399, 1, FieldKind::kFlag, 390, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25400, 1, FieldKind::kFlag, 391, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25401, 1, FieldKind::kFlag, 392, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25402, 1, FieldKind::kFlag, 408, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log level of log kind 10 (SIP, folder sip/)
    {25403, 1, FieldKind::kNumber, 394, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25404, 128, FieldKind::kText, 393, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // flag stored inverted: setting 396 reads and writes its negation
    {25532, 1, FieldKind::kInvertedFlag, 396, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25533, 128, FieldKind::kText, 397, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25661, 4, FieldKind::kNumber, 398, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25665, 1, FieldKind::kNumber, 399, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {25666, 4, FieldKind::kNumber, 400, false, 0, nullptr, LoadDefault::kNumberWhenZero, 10000,
     nullptr},
    // number
    {25670, 4, FieldKind::kNumber, 401, false, 0, nullptr, LoadDefault::kNumberWhenZero, 64,
     nullptr},
    {25674, 1, FieldKind::kFlag, 402, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25675, 128, FieldKind::kText, 403, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25803, 4, FieldKind::kNumber, 404, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25807, 1, FieldKind::kFlag, 409, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25808, 1, FieldKind::kFlag, 405, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25809, 1, FieldKind::kFlag, 406, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25810, 1, FieldKind::kFlag, 407, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // file logging switch, stored inverted: setting 410 reads and writes its negation
    {25811, 1, FieldKind::kInvertedFlag, 410, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // log lines also go to a syslog receiver
    {25812, 1, FieldKind::kFlag, 411, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // syslog receiver address
    {25813, 128, FieldKind::kText, 412, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {25941, 128, FieldKind::kText, 415, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {26069, 128, FieldKind::kText, 413, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {26197, 128, FieldKind::kText, 414, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {26325, 128, FieldKind::kText, 418, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {26453, 128, FieldKind::kText, 417, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {26581, 128, FieldKind::kText, 416, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // flag stored inverted: setting 419 reads and writes its negation
    {26709, 1, FieldKind::kInvertedFlag, 419, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // groupware super-user name
    {26710, 128, FieldKind::kText, kNoSettingId, false, 0, nullptr, LoadDefault::kByStep, 0,
     nullptr},
    // groupware super-user password
    {26838, 128, FieldKind::kText, kNoSettingId, false, 0, nullptr, LoadDefault::kByStep, 0,
     nullptr},
    // disables the domain and account caches
    {26966, 1, FieldKind::kFlag, 420, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {26967, 4, FieldKind::kNumber, 421, false, 0, nullptr, LoadDefault::kNumberWhenZero, 100,
     nullptr},
    // account cache capacity in entries
    {26971, 4, FieldKind::kNumber, 424, false, 0, nullptr, LoadDefault::kNumberWhenZero, 64,
     nullptr},
    // domain cache capacity in entries
    {26975, 4, FieldKind::kNumber, 425, false, 0, nullptr, LoadDefault::kNumberWhenZero, 32,
     nullptr},
    // backup of the mail root also takes *.tmp and *.imap files when set
    {26979, 1, FieldKind::kFlag, 426, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // backup of the mail root: largest file size taken, in megabytes; 0 = no limit
    {26980, 4, FieldKind::kNumber, 427, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // backup of the mail root: only files changed within this many days; 0 = no limit
    {26984, 4, FieldKind::kNumber, 428, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // further folders to back up, separated by semicolons
    {26988, 256, FieldKind::kText, 429, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {27244, 1, FieldKind::kFlag, 430, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // ScheduleRecord
    {27245, 284, FieldKind::kBlock, 431, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {27529, 4, FieldKind::kNumber, 432, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {27533, 256, FieldKind::kText, 433, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // backup also takes the log directory
    {27789, 1, FieldKind::kFlag, 434, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // SIP access list
    {27790, 256, FieldKind::kText, 436, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // SIP access list mode
    {28046, 1, FieldKind::kFlag, 437, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // SIP secure port
    {28047, 4, FieldKind::kNumber, 435, false, 0, nullptr, LoadDefault::kNumberWhenZero, 5061,
     nullptr},
    // archiving: reads archivedomains.dat at load
    {28051, 1, FieldKind::kFlag, 438, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // lifetime of the folder size cache in seconds
    {28052, 4, FieldKind::kNumber, 439, false, 0, nullptr, LoadDefault::kNumberWhenZero, 1800,
     nullptr},
    // folder size cache switch
    {28056, 1, FieldKind::kFlag, 440, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // time form of log lines
    {28057, 1, FieldKind::kNumber, 441, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28058, 1, FieldKind::kFlag, 442, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28059, 4, FieldKind::kNumber, 443, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    // number
    {28063, 4, FieldKind::kNumber, 444, false, 0, nullptr, LoadDefault::kNumberWhenZero, 240,
     nullptr},
    // change log: writes a line for each created, updated or deleted domain or account; also the
    // log level of log kind 14 (folder maintenance/)
    {28067, 1, FieldKind::kFlag, 445, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28068, 1, FieldKind::kFlag, 447, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28069, 1, FieldKind::kFlag, 448, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28070, 4, FieldKind::kNumber, 449, true, 10, nullptr, LoadDefault::kNone, 0, nullptr},
    {28074, 1, FieldKind::kFlag, 450, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28075, 1, FieldKind::kFlag, 451, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28076, 1, FieldKind::kFlag, 452, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28077, 1, FieldKind::kFlag, 453, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28078, 4, FieldKind::kNumber, 454, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28082, 1, FieldKind::kFlag, 455, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
    {28083, 1, FieldKind::kFlag, 456, false, 0, nullptr, LoadDefault::kNone, 0, nullptr},
};

}  // namespace

std::span<const ConfigField> ServerConfigFields() { return kFields; }

}  // namespace tarvelin

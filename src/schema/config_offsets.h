// Offsets of the ServerConfig fields that the library's own code acts on.
// Every other field is reached only through the layout table.
#pragma once

namespace tarvelin::offsets {

inline constexpr int kHostName = 0;
inline constexpr int kDatabaseLockOff = 152;
inline constexpr int kAddressLiterals = 155;
inline constexpr int kAccountCacheMegabytes = 233;
inline constexpr int kDnsOption = 238;
inline constexpr int kTimeoutSeconds = 242;
inline constexpr int kStorageModeGuard = 255;
inline constexpr int kTempDirectory = 256;
inline constexpr int kMailRoot = 512;
inline constexpr int kLogDirectory = 768;
inline constexpr int kAddressList = 1048;
inline constexpr int kServerAddresses = 1176;
inline constexpr int kDnsServers = 1304;
inline constexpr int kFlag1444 = 1444;
inline constexpr int kFlag1464 = 1464;
inline constexpr int kFlag1474 = 1474;  // on: the upgrade keeps the server addresses
inline constexpr int kDnsTimeout = 1476;
inline constexpr int kAccountDatabase = 2356;
inline constexpr int kLogBufferSize = 2878;
inline constexpr int kExtraDirectory = 3385;
inline constexpr int kModeFlagB = 3629;
inline constexpr int kAliasLogin = 3631;    // variable 115: logins are alias@domain
inline constexpr int kRecordAccess = 3632;  // variable 116
inline constexpr int kStorageMode = 3633;
inline constexpr int kMapLoginCharacters = 3638;  // variable 121: "%", "&", "/" count as "@"
inline constexpr int kPasswordPolicy = 6998;      // variable 155
inline constexpr int kRecordAccessToo = 7005;     // variable 141
inline constexpr int kAddressList3641 = 3641;
inline constexpr int kModeFlagA = 3900;
inline constexpr int kLocalNetworks = 4577;
inline constexpr int kDomainTableFormat = 7001;
inline constexpr int kDomainCount = 7020;
inline constexpr int kLegacyDomainTable = 7024;
inline constexpr int kProcessCount21392 = 21392;
inline constexpr int kPathSeparatorChar = 22121;
inline constexpr int kPlatformKind = 22122;
inline constexpr int kDnsResolverOption = 22136;
inline constexpr int kDnsCacheSize = 22142;
inline constexpr int kAntivirusEngine4 = 22205;
inline constexpr int kProcessCount22213 = 22213;
inline constexpr int kProcessCount23386 = 23386;
inline constexpr int kMigrationStatusOn = 23404;
inline constexpr int kProcessCharacter = 24186;
inline constexpr int kGroupwareUser = 26710;
inline constexpr int kGroupwarePassword = 26838;
inline constexpr int kCachesOff = 26966;
inline constexpr int kAccountCacheEntries = 26971;
inline constexpr int kDomainCacheEntries = 26975;
inline constexpr int kArchiving = 28051;

}  // namespace tarvelin::offsets

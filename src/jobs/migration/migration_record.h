// MigrationRecord: one 256-byte record of migrate.dat, the queue of accounts
// that the POP3 service migrates from another server. Held here with the
// password in plain text; StoredBytes/FromStored give and take the file's
// form, whose password field (48 bytes, length byte included) is scrambled
// with ScrambleBytes phase 0.
//
//   0   64  login name at the source, length-prefixed, at most 63
//   64  48  password, length-prefixed, at most 47 (scrambled in the file)
//   112 15  zero
//   127 1   protocol: 1 IMAP, 0 POP3
//   128 1   state: 1 queued or migrated once, 2 finished, 0 failed
//   129 127 target address alias@domain, length-prefixed, at most 126
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

inline constexpr size_t kMigrationRecordSize = 256;
inline constexpr size_t kMigrationLoginCapacity = 63;
inline constexpr size_t kMigrationPasswordCapacity = 47;
inline constexpr size_t kMigrationTargetCapacity = 126;

enum class MigrationProtocol : uint8_t { kPop3 = 0, kImap = 1 };

inline constexpr uint8_t kMigrationFailed = 0;
inline constexpr uint8_t kMigrationQueued = 1;
inline constexpr uint8_t kMigrationFinished = 2;

class MigrationRecord {
 public:
  using Bytes = std::array<uint8_t, kMigrationRecordSize>;

  MigrationRecord() { bytes_.fill(0); }
  // A record from its file form: the password field is unscrambled.
  static MigrationRecord FromStored(const uint8_t* stored);
  // The file form: the password field scrambled.
  Bytes StoredBytes() const;

  // Texts longer than their field are cut to its capacity.
  std::string login() const;
  void set_login(std::string_view login);
  std::string password() const;
  void set_password(std::string_view password);
  std::string target() const;
  void set_target(std::string_view target);
  MigrationProtocol protocol() const { return static_cast<MigrationProtocol>(bytes_[127]); }
  // The raw byte, which a damaged file may hold as any value.
  uint8_t protocol_byte() const { return bytes_[127]; }
  void set_protocol(MigrationProtocol protocol) { bytes_[127] = static_cast<uint8_t>(protocol); }
  uint8_t state() const { return bytes_[128]; }
  void set_state(uint8_t state) { bytes_[128] = state; }

  // The record identity: login name and password, both compared exactly.
  bool Matches(std::string_view login, std::string_view password) const;

 private:
  Bytes bytes_;
};

// Every whole record of migrate.dat's bytes, passwords unscrambled; a torn
// tail (a length that is no multiple of 256) is ignored.
std::vector<MigrationRecord> ParseMigrationRecords(std::string_view content);

// The overall state the records give: 1 when any failed (state 0), 2 when
// all are finished (also for none), else 0.
enum class MigrationState { kInProgress = 0, kSomeFailed = 1, kFinished = 2 };
MigrationState MigrationStateOf(const std::vector<MigrationRecord>& records);
const char* MigrationStateName(MigrationState state);

}  // namespace tarvelin

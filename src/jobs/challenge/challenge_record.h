// challenge.dat: the record of one pending challenge, exactly 1024 bytes,
// four length-prefixed texts of 255 characters (length byte, then the
// characters, unused bytes zero) at 0, 256, 512 and 768: the sender, the
// recipient, the confirmation code, the sender's IP address.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelin {

inline constexpr size_t kChallengeRecordSize = 1024;
inline constexpr std::string_view kChallengeRecordName = "challenge.dat";

class ChallengeRecord {
 public:
  // A record of zeros: four empty texts.
  ChallengeRecord() = default;
  // The first 1024 bytes of `bytes`; a shorter text is read as if zeros
  // followed it.
  static ChallengeRecord FromBytes(std::string_view bytes);

  std::string sender() const { return Field(kSender); }
  std::string recipient() const { return Field(kRecipient); }
  std::string code() const { return Field(kCode); }
  std::string ip_address() const { return Field(kIpAddress); }

  // Each cuts its text to 255 characters.
  void set_sender(std::string_view text) { SetField(kSender, text); }
  void set_recipient(std::string_view text) { SetField(kRecipient, text); }
  void set_code(std::string_view text) { SetField(kCode, text); }
  void set_ip_address(std::string_view text) { SetField(kIpAddress, text); }

  // The 1024 bytes as the file holds them.
  std::string Bytes() const;

 private:
  static constexpr size_t kSender = 0;
  static constexpr size_t kRecipient = 256;
  static constexpr size_t kCode = 512;
  static constexpr size_t kIpAddress = 768;

  std::string Field(size_t offset) const;
  void SetField(size_t offset, std::string_view text);

  std::array<uint8_t, kChallengeRecordSize> bytes_{};
};

}  // namespace tarvelin

// libFuzzer target for what the challenge-response store reads from places
// others write: challenge.dat, the envelopes of held messages, and the
// folder names callers give. Every input is taken as all three; nothing is
// written anywhere. A cleaned folder name must leave the path strictly
// below the challenge folder, or name the folder itself only when it
// cleans to nothing.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "jobs/challenge/challenge_folder.h"
#include "jobs/challenge/challenge_record.h"
#include "jobs/challenge/held_envelope.h"

namespace {

constexpr std::string_view kRoot = "/srv/tarvelin/spam/challenge/";

void Check(bool condition) {
  if (!condition) std::abort();
}

void Record(std::string_view bytes) {
  const tarvelin::ChallengeRecord record = tarvelin::ChallengeRecord::FromBytes(bytes);
  const std::string image = record.Bytes();
  Check(image.size() == tarvelin::kChallengeRecordSize);
  Check(image.compare(0, std::min(bytes.size(), image.size()), bytes.data(),
                      std::min(bytes.size(), image.size())) == 0);
  for (const std::string& text :
       {record.sender(), record.recipient(), record.code(), record.ip_address()}) {
    Check(text.size() <= 255);
  }
  // Written back field by field, the texts come out as they went in.
  tarvelin::ChallengeRecord copy;
  copy.set_sender(record.sender());
  copy.set_recipient(record.recipient());
  copy.set_code(record.code());
  copy.set_ip_address(record.ip_address());
  Check(copy.sender() == record.sender() && copy.ip_address() == record.ip_address());
}

void Envelope(std::string_view bytes) {
  const tarvelin::HeldEnvelope envelope = tarvelin::ParseHeldEnvelope(bytes);
  Check(envelope.sender.find('\n') == std::string::npos);
  for (const std::string& recipient : envelope.recipients) {
    Check(!recipient.empty());
    Check(recipient.find(';') == std::string::npos && recipient.find('\n') == std::string::npos);
  }
}

void FolderName(std::string_view name) {
  const std::string cleaned = tarvelin::CleanChallengeFolderName(name);
  Check(cleaned.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos);
  Check(cleaned.find("..") == std::string::npos);
  const std::string path = tarvelin::ChallengeFolderPath(kRoot, name);
  Check(path.compare(0, kRoot.size(), kRoot) == 0);
  const std::string normal = std::filesystem::path(path).lexically_normal().string();
  const bool is_root = normal == kRoot;
  Check(is_root == tarvelin::NamesNoFolder(cleaned));
  if (!is_root) {
    // One folder below the root, nothing more.
    Check(normal.compare(0, kRoot.size(), kRoot) == 0);
    const std::string below = normal.substr(kRoot.size());
    Check(!below.empty() && below.find('/') == below.size() - 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Record(bytes);
  Envelope(bytes);
  FolderName(bytes);
  return 0;
}

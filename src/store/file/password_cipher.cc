#include "store/file/password_cipher.h"

#include <openssl/evp.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/blowfish.h"
#include "schema/user_record_offsets.h"
#include "foundation/base64.h"

namespace tarvelin {

namespace {

constexpr std::string_view kKeyText = "kq7#Vd!2mPz$Lw9@xTr4&Ybn6*Hs3^Gf8(Ju1)Ec5%Na0+Qo2=Wi7?Zk3ab";
constexpr std::string_view kEncipheredPrefix = "~#1";

struct PasswordCipher {
  std::unique_ptr<Blowfish> blowfish;
  uint8_t initial_vector[8];
};

// Created at first use and kept for the process.
const PasswordCipher& Cipher() {
  static const PasswordCipher* const cipher = [] {
    uint8_t key[EVP_MAX_MD_SIZE];
    unsigned int key_length = 0;
    EVP_Digest(kKeyText.data(), kKeyText.size(), key, &key_length, EVP_sha1(), nullptr);
    auto* built = new PasswordCipher{std::make_unique<Blowfish>(key, key_length), {}};
    std::memset(built->initial_vector, 0xFF, sizeof built->initial_vector);
    built->blowfish->EncryptBlock(built->initial_vector);
    return built;
  }();
  return *cipher;
}

enum class Direction { kEncipher, kDecipher };

// The cipher is built once and only read afterwards: no lock needed.
std::string Chain(std::string_view input, Direction direction) {
  const PasswordCipher& cipher = Cipher();
  uint8_t feedback[8];
  std::memcpy(feedback, cipher.initial_vector, 8);
  std::string output(input);
  auto* bytes = reinterpret_cast<uint8_t*>(output.data());
  size_t offset = 0;
  for (; offset + 8 <= output.size(); offset += 8) {
    uint8_t* block = bytes + offset;
    if (direction == Direction::kEncipher) {
      for (int i = 0; i < 8; ++i) block[i] ^= feedback[i];
      cipher.blowfish->EncryptBlock(block);
      for (int i = 0; i < 8; ++i) feedback[i] ^= block[i];
    } else {
      uint8_t stored[8];
      std::memcpy(stored, block, 8);
      cipher.blowfish->DecryptBlock(block);
      for (int i = 0; i < 8; ++i) {
        block[i] ^= feedback[i];
        feedback[i] ^= stored[i];
      }
    }
  }
  if (offset < output.size()) {
    uint8_t pad[8];
    std::memcpy(pad, feedback, 8);
    cipher.blowfish->EncryptBlock(pad);
    for (size_t i = 0; offset + i < output.size(); ++i) bytes[offset + i] ^= pad[i];
  }
  return output;
}

}  // namespace

std::string EncipherPassword(std::string_view plain) { return Chain(plain, Direction::kEncipher); }

std::string DecipherPassword(std::string_view cipher) {
  return Chain(cipher, Direction::kDecipher);
}

bool IsEncipheredForm(std::string_view stored) {
  return stored.size() > 2 && stored[0] == '~' && stored[1] == '#';
}

std::optional<std::string> StoredPassword(std::string_view plain, bool encipher) {
  const bool misread_if_plain = IsEncipheredForm(plain);
  if (!encipher && !misread_if_plain) return std::string(plain);
  std::string enciphered(kEncipheredPrefix);
  enciphered += Base64Encode(EncipherPassword(plain));
  if (enciphered.size() <= static_cast<size_t>(user_offsets::kPasswordCapacity)) return enciphered;
  if (misread_if_plain) return std::nullopt;
  return std::string(plain);
}

std::string PlainPassword(std::string_view stored) {
  if (!IsEncipheredForm(stored)) return std::string(stored);
  const std::vector<uint8_t> cipher = Base64Decode(stored.substr(3));
  std::string plain = DecipherPassword(
      std::string_view(reinterpret_cast<const char*>(cipher.data()), cipher.size()));
  if (plain.size() > static_cast<size_t>(user_offsets::kPasswordCapacity)) {
    plain.resize(user_offsets::kPasswordCapacity);
  }
  return plain;
}

}  // namespace tarvelin

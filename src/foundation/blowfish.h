// Blowfish block cipher: 64-bit blocks, 16 rounds, the standard initial
// tables, key of 4 to 56 bytes; the two 32-bit halves of a block are
// big-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarvelin {

class Blowfish {
 public:
  Blowfish(const uint8_t* key, size_t length);
  ~Blowfish();
  Blowfish(const Blowfish&) = delete;
  Blowfish& operator=(const Blowfish&) = delete;

  // In place; the key schedule is only read, so several threads may share
  // one object.
  void EncryptBlock(uint8_t block[8]) const;
  void DecryptBlock(uint8_t block[8]) const;

 private:
  struct Schedule;
  std::unique_ptr<Schedule> schedule_;
};

}  // namespace tarvelin

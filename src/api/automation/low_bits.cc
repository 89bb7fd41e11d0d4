#include "api/automation/low_bits.h"

#include <cmath>

namespace tarvelin::automation {

uint32_t Low32BitsOf(double value) {
  constexpr double kTwoTo32 = 4294967296.0;
  if (!std::isfinite(value)) return 0;
  double low = std::fmod(std::trunc(value), kTwoTo32);
  if (low < 0) low += kTwoTo32;
  return static_cast<uint32_t>(low);
}

}  // namespace tarvelin::automation

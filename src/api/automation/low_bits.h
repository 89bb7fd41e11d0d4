// The low 32 bits of a truncated date-time difference in seconds, as the
// statistics object reports times. Blocks and session records hold what a
// service sent: a value that is no number gives 0, never undefined
// behaviour.
#pragma once

#include <cstdint>

namespace tarvelin::automation {

uint32_t Low32BitsOf(double value);

}  // namespace tarvelin::automation

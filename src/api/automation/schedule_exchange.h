// Schedule blocks between an owner (the API object's configuration, a
// remote-account object's record) and a schedule object, as GetSchedule
// and SetSchedule hand them over: the schedule object is made by class name
// and its Data address is read by name. An address is followed only when it
// is the record of a live object of this server that holds a whole block;
// any other number (a script may pass anything) is refused with an
// AutomationError, never dereferenced.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "api/automation/variant.h"

namespace tarvelin::automation {

class AutomationServer;

// The block-sized record a Data value addresses; raises AutomationError
// unless it is that of a live object with at least a block's bytes.
std::span<uint8_t> ScheduleBlockAt(const AutomationServer& server, const Variant& data);

// Reads a block into a 284-byte area; the getter's result.
using ScheduleReader = std::function<int32_t(void* area, int32_t size)>;
// Writes a block of 284 bytes; the setter's result.
using ScheduleWriter = std::function<int32_t(const void* block, int32_t size)>;

// GetSchedule: a new "OrvikCOM.ScheduleObject" holding the block `read`
// gives, or empty when `read` answers anything but exactly 284.
Variant ScheduleObjectFrom(AutomationServer& server, const ScheduleReader& read);
// SetSchedule: the block of the object `schedule` (through its Data
// property) handed to `write`; its result.
int32_t ScheduleBlockTo(AutomationServer& server, const Variant& schedule,
                        const ScheduleWriter& write);

}  // namespace tarvelin::automation

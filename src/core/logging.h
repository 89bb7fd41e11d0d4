// The server log of an installation: its Context's log writer, told the
// Context's configuration (log/log_writer.h has the rules).
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvelin {

class Context;

void WriteLog(const Context& context, uint32_t thread_id, int kind, std::string_view source,
              uint32_t entry_bits, std::string_view message);
void LogChange(const Context& context, std::string_view actor, std::string_view action,
               std::string_view object, bool is_new);
// Code 0 takes the system's last error code, read before anything else
// can change it.
void LogError(const Context& context, std::string_view function, std::string_view argument,
              bool formatted, int code);

}  // namespace tarvelin

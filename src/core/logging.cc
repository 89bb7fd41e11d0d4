#include "core/logging.h"

#include "core/context.h"
#include "platform/system_error.h"

namespace tarvelin {

void WriteLog(const Context& context, uint32_t thread_id, int kind, std::string_view source,
              uint32_t entry_bits, std::string_view message) {
  // Most entries are not wanted: answered here without a call further in.
  if (source.empty() || !LogKindWants(context.config.record, kind, entry_bits)) return;
  context.log().Write(context.log_settings(), thread_id, kind, source, entry_bits, message);
}

void LogChange(const Context& context, std::string_view actor, std::string_view action,
               std::string_view object, bool is_new) {
  context.log().Change(context.log_settings(), actor, action, object, is_new);
}

void LogError(const Context& context, std::string_view function, std::string_view argument,
              bool formatted, int code) {
  const int resolved = code != 0 ? code : LastSystemError();
  context.log().Error(context.log_settings(), function, argument, formatted, resolved);
}

}  // namespace tarvelin

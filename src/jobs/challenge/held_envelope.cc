#include "jobs/challenge/held_envelope.h"

#include "foundation/text.h"

namespace tarvelin {

HeldEnvelope ParseHeldEnvelope(std::string_view text) {
  const std::vector<std::string> lines = SplitLines(text);
  HeldEnvelope envelope;
  if (!lines.empty()) envelope.sender = Trim(lines[0]);
  if (lines.size() > 1) {
    for (const std::string& item : Split(lines[1], ';')) {
      std::string recipient = Trim(item);
      if (!recipient.empty()) envelope.recipients.push_back(std::move(recipient));
    }
  }
  return envelope;
}

}  // namespace tarvelin

// The envelope of a message held in a challenge folder: a text file of three
// lines beside the message (same base name, ".dat" for the envelope, ".tmp"
// for the message): the sender, the recipients separated by ";", and the
// number of recipients in decimal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

inline constexpr std::string_view kEnvelopeExtension = ".dat";
inline constexpr std::string_view kHeldMessageExtension = ".tmp";

struct HeldEnvelope {
  std::string sender;
  // Trimmed, empty items left out ("a@x;" is one recipient).
  std::vector<std::string> recipients;
};

// Reads lines ended by LF or CR LF; missing lines are empty. Never fails:
// what a broken file lacks stays empty. The count line is not needed: the
// list itself says who the message is for.
HeldEnvelope ParseHeldEnvelope(std::string_view text);

}  // namespace tarvelin

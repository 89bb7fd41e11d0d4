// Domain names between their Unicode form and the ASCII form of DNS, label
// by label, with Punycode (foundation/punycode.h) and no Nameprep: nothing
// is case-folded or normalised. Names are 16-bit units; a unit counts as
// one code point. Labels are separated by "." only.
//
// To Unicode: a name without "xn--" (case-sensitive) anywhere stays as it
// is. Otherwise it is split at every "." (a final "." gives no empty label
// after it, so it is lost); each label that begins with "xn--" is decoded
// into at most as many code points as its rest has characters, each kept
// to its low 16 bits; a label that does not decode becomes empty.
//
// To ASCII: a name with no unit of 128 or more stays as it is. Otherwise
// every label is kept (empty ones and one after a final "." too); a label
// holding such a unit becomes "xn--" and its encoding in at most four
// characters per unit, or the bare "xn--" when it cannot be encoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/punycode.h"

namespace tarvelin {

inline constexpr std::u16string_view kAcePrefix = u"xn--";

// A label that could not be converted, and why.
struct FailedLabel {
  size_t position = 0;  // 0-based among the labels
  std::u16string label;
  PunycodeStatus status = PunycodeStatus::kSuccess;
};

struct IdnResult {
  std::u16string name;
  std::vector<FailedLabel> failed;
};

IdnResult IdnToUnicode(std::u16string_view name);
IdnResult UnicodeToIdn(std::u16string_view name);

}  // namespace tarvelin

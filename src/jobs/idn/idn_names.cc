#include "jobs/idn/idn_names.h"

namespace tarvelin {

namespace {

constexpr char16_t kDot = u'.';
constexpr size_t kMaxEncodedPerUnit = 4;

bool HasWideUnit(std::u16string_view text) {
  for (char16_t unit : text) {
    if (unit >= 0x80) return true;
  }
  return false;
}

// The labels between dots; `keep_last_empty` keeps the empty label after a
// final dot.
std::vector<std::u16string_view> Labels(std::u16string_view name, bool keep_last_empty) {
  std::vector<std::u16string_view> labels;
  size_t start = 0;
  for (;;) {
    const size_t dot = name.find(kDot, start);
    if (dot == std::u16string_view::npos) break;
    labels.push_back(name.substr(start, dot - start));
    start = dot + 1;
  }
  if (start < name.size() || keep_last_empty) labels.push_back(name.substr(start));
  return labels;
}

}  // namespace

IdnResult IdnToUnicode(std::u16string_view name) {
  IdnResult result;
  if (name.find(kAcePrefix) == std::u16string_view::npos) {
    result.name = name;
    return result;
  }
  const std::vector<std::u16string_view> labels = Labels(name, /*keep_last_empty=*/false);
  for (size_t position = 0; position < labels.size(); ++position) {
    const std::u16string_view label = labels[position];
    if (position > 0) result.name += kDot;
    if (!label.starts_with(kAcePrefix)) {
      result.name += label;
      continue;
    }
    const std::u16string_view rest = label.substr(kAcePrefix.size());
    // Any unit of 128 or more is neither basic nor a digit, as is 0xFF.
    std::string ascii;
    for (char16_t unit : rest) ascii += static_cast<char>(unit < 0x80 ? unit : 0xFF);
    std::u32string decoded;
    const PunycodeStatus status = PunycodeDecode(ascii, rest.size(), decoded);
    if (status != PunycodeStatus::kSuccess) {
      result.failed.push_back({position, std::u16string(label), status});
      continue;
    }
    for (char32_t code_point : decoded) result.name += static_cast<char16_t>(code_point & 0xFFFF);
  }
  return result;
}

IdnResult UnicodeToIdn(std::u16string_view name) {
  IdnResult result;
  if (!HasWideUnit(name)) {
    result.name = name;
    return result;
  }
  const std::vector<std::u16string_view> labels = Labels(name, /*keep_last_empty=*/true);
  for (size_t position = 0; position < labels.size(); ++position) {
    const std::u16string_view label = labels[position];
    if (position > 0) result.name += kDot;
    if (!HasWideUnit(label)) {
      result.name += label;
      continue;
    }
    const std::u32string code_points(label.begin(), label.end());
    std::string encoded;
    const PunycodeStatus status =
        PunycodeEncode(code_points, label.size() * kMaxEncodedPerUnit, encoded);
    result.name += kAcePrefix;
    if (status != PunycodeStatus::kSuccess) {
      result.failed.push_back({position, std::u16string(label), status});
      continue;
    }
    result.name.append(encoded.begin(), encoded.end());
  }
  return result;
}

}  // namespace tarvelin

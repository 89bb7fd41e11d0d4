#include "foundation/punycode.h"

#include <cstdint>
#include <limits>

namespace tarvelin {

namespace {

constexpr uint32_t kBase = 36, kTmin = 1, kTmax = 26, kSkew = 38, kDamp = 700;
constexpr uint32_t kInitialBias = 72, kInitialN = 128;
constexpr char kDelimiter = '-';
constexpr uint32_t kMaxInt = std::numeric_limits<uint32_t>::max();

bool Basic(uint32_t code_point) { return code_point < 0x80; }

// 0..25 are "a".."z", 26..35 are "0".."9".
char EncodeDigit(uint32_t digit) {
  return static_cast<char>(digit < 26 ? 'a' + digit : '0' + digit - 26);
}

// kBase for a character that is no digit.
uint32_t DecodeDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0' + 26;
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a';
  return kBase;
}

uint32_t Threshold(uint32_t k, uint32_t bias) {
  if (k <= bias) return kTmin;
  if (k >= bias + kTmax) return kTmax;
  return k - bias;
}

uint32_t Adapt(uint32_t delta, uint32_t points, bool first_time) {
  delta = first_time ? delta / kDamp : delta >> 1;
  delta += delta / points;
  uint32_t k = 0;
  while (delta > ((kBase - kTmin) * kTmax) / 2) {
    delta /= kBase - kTmin;
    k += kBase;
  }
  return k + (kBase - kTmin + 1) * delta / (delta + kSkew);
}

PunycodeStatus Encode(std::u32string_view input, size_t max_output, std::string& output) {
  // Lengths past 32 bits cannot be counted in the RFC's arithmetic.
  if (input.size() >= kMaxInt) return PunycodeStatus::kOverflow;
  const auto length = static_cast<uint32_t>(input.size());
  for (char32_t c : input) {
    if (!Basic(c)) continue;
    // The RFC keeps room for the delimiter and one digit after the basics.
    if (max_output - output.size() < 2) return PunycodeStatus::kBigOutput;
    output += static_cast<char>(c);
  }
  uint32_t h = static_cast<uint32_t>(output.size());
  const uint32_t b = h;
  if (b > 0) output += kDelimiter;
  uint32_t n = kInitialN, delta = 0, bias = kInitialBias;
  while (h < length) {
    uint32_t m = kMaxInt;
    for (char32_t c : input) {
      if (c >= n && c < m) m = c;
    }
    if (m - n > (kMaxInt - delta) / (h + 1)) return PunycodeStatus::kOverflow;
    delta += (m - n) * (h + 1);
    n = m;
    for (char32_t c : input) {
      if (c < n && ++delta == 0) return PunycodeStatus::kOverflow;
      if (c != n) continue;
      uint32_t q = delta;
      for (uint32_t k = kBase;; k += kBase) {
        if (output.size() >= max_output) return PunycodeStatus::kBigOutput;
        const uint32_t t = Threshold(k, bias);
        if (q < t) break;
        output += EncodeDigit(t + (q - t) % (kBase - t));
        q = (q - t) / (kBase - t);
      }
      output += EncodeDigit(q);
      bias = Adapt(delta, h + 1, h == b);
      delta = 0;
      ++h;
    }
    ++delta;
    ++n;
  }
  return PunycodeStatus::kSuccess;
}

PunycodeStatus Decode(std::string_view input, size_t max_output, std::u32string& output) {
  if (input.size() >= kMaxInt) return PunycodeStatus::kOverflow;
  const auto length = static_cast<uint32_t>(input.size());
  // The basics run up to the last delimiter; without one there are none.
  uint32_t b = 0;
  for (uint32_t j = 0; j < length; ++j) {
    if (input[j] == kDelimiter) b = j;
  }
  if (b > max_output) return PunycodeStatus::kBigOutput;
  for (uint32_t j = 0; j < b; ++j) {
    const auto c = static_cast<unsigned char>(input[j]);
    if (!Basic(c)) return PunycodeStatus::kBadInput;
    output += static_cast<char32_t>(c);
  }
  uint32_t n = kInitialN, i = 0, bias = kInitialBias;
  for (uint32_t in = b > 0 ? b + 1 : 0; in < length;) {
    const uint32_t old_i = i;
    uint32_t w = 1;
    for (uint32_t k = kBase;; k += kBase) {
      if (in >= length) return PunycodeStatus::kBadInput;
      const uint32_t digit = DecodeDigit(static_cast<unsigned char>(input[in++]));
      if (digit >= kBase) return PunycodeStatus::kBadInput;
      if (digit > (kMaxInt - i) / w) return PunycodeStatus::kOverflow;
      i += digit * w;
      const uint32_t t = Threshold(k, bias);
      if (digit < t) break;
      if (w > kMaxInt / (kBase - t)) return PunycodeStatus::kOverflow;
      w *= kBase - t;
    }
    const auto out = static_cast<uint32_t>(output.size());
    bias = Adapt(i - old_i, out + 1, old_i == 0);
    if (i / (out + 1) > kMaxInt - n) return PunycodeStatus::kOverflow;
    n += i / (out + 1);
    i %= out + 1;
    if (out >= max_output) return PunycodeStatus::kBigOutput;
    output.insert(output.begin() + i, static_cast<char32_t>(n));
    ++i;
  }
  return PunycodeStatus::kSuccess;
}

}  // namespace

std::string_view PunycodeStatusText(PunycodeStatus status) {
  switch (status) {
    case PunycodeStatus::kSuccess:
      return "converted";
    case PunycodeStatus::kBadInput:
      return "the Punycode is not valid";
    case PunycodeStatus::kBigOutput:
      return "the result is too long";
    case PunycodeStatus::kOverflow:
      return "the label overflows the arithmetic";
    case PunycodeStatus::kEmptyInput:
      return "the label is empty";
  }
  return "unknown";
}

PunycodeStatus PunycodeEncode(std::u32string_view input, size_t max_output, std::string& output) {
  output.clear();
  if (input.empty()) return PunycodeStatus::kEmptyInput;
  const PunycodeStatus status = Encode(input, max_output, output);
  if (status != PunycodeStatus::kSuccess) output.clear();
  return status;
}

PunycodeStatus PunycodeDecode(std::string_view input, size_t max_output, std::u32string& output) {
  output.clear();
  if (input.empty()) return PunycodeStatus::kEmptyInput;
  const PunycodeStatus status = Decode(input, max_output, output);
  if (status != PunycodeStatus::kSuccess) output.clear();
  return status;
}

}  // namespace tarvelin

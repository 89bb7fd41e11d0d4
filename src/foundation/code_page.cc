#include "foundation/code_page.h"

#include <cerrno>

namespace tarvelin {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

bool IsAscii(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

// The length of the UTF-8 sequence that begins with `lead`, 1 for a byte
// that begins none, so a bad byte is skipped alone.
size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

}  // namespace

CodePage::CodePage(std::string name) : name_(std::move(name)) {
  from_utf8_ = iconv_open(name_.c_str(), "UTF-8");
  to_utf8_ = iconv_open("UTF-8", name_.c_str());
  if (from_utf8_ == kNoConverter || to_utf8_ == kNoConverter) {
    if (from_utf8_ != kNoConverter) iconv_close(from_utf8_);
    if (to_utf8_ != kNoConverter) iconv_close(to_utf8_);
    name_ = std::string(kDefaultCodePage);
    from_utf8_ = iconv_open(name_.c_str(), "UTF-8");
    to_utf8_ = iconv_open("UTF-8", name_.c_str());
  }
  std::string ascii;
  for (int c = 1; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
  ascii_compatible_ = Convert(to_utf8_, ascii, false) == ascii;
}

CodePage::~CodePage() {
  if (from_utf8_ != kNoConverter) iconv_close(from_utf8_);
  if (to_utf8_ != kNoConverter) iconv_close(to_utf8_);
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  if (ascii_compatible_ && IsAscii(utf8)) return std::string(utf8);
  std::lock_guard<std::mutex> lock(mutex_);
  return Convert(from_utf8_, utf8, true);
}

std::string CodePage::ToUtf8(std::string_view single_byte) const {
  if (ascii_compatible_ && IsAscii(single_byte)) return std::string(single_byte);
  std::lock_guard<std::mutex> lock(mutex_);
  return Convert(to_utf8_, single_byte, false);
}

std::string CodePage::Convert(iconv_t converter, std::string_view text, bool from_utf8) const {
  std::string out;
  if (converter == kNoConverter) return out;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text.data());
  size_t in_left = text.size();
  char buffer[1024];
  while (true) {
    char* next = buffer;
    size_t out_left = sizeof buffer;
    size_t done = in_left == 0 ? iconv(converter, nullptr, nullptr, &next, &out_left)
                               : iconv(converter, &in, &in_left, &next, &out_left);
    out.append(buffer, static_cast<size_t>(next - buffer));
    if (done != static_cast<size_t>(-1)) {
      if (in_left == 0) break;
      continue;
    }
    if (errno == E2BIG) continue;
    // A character the target lacks, or a bad or cut sequence: one "?" for
    // it, then on after it.
    size_t skip = from_utf8 ? Utf8SequenceLength(static_cast<unsigned char>(*in)) : 1;
    if (skip > in_left) skip = in_left;
    if (from_utf8) {
      for (size_t i = 1; i < skip; ++i) {
        if ((static_cast<unsigned char>(in[i]) & 0xC0) != 0x80) {
          skip = i;
          break;
        }
      }
    }
    out.push_back('?');
    in += skip;
    in_left -= skip;
    if (in_left == 0) break;
  }
  return out;
}

}  // namespace tarvelin

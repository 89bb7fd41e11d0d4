// Conversion between UTF-8 and the single-byte code page the system's texts
// are kept in (Windows-1252 unless the caller names another iconv code
// page). A character the target cannot hold becomes "?", as does a byte
// sequence that is not valid in the source; nothing fails.
#pragma once

#include <iconv.h>

#include <mutex>
#include <string>
#include <string_view>

namespace tarvelin {

inline constexpr std::string_view kDefaultCodePage = "WINDOWS-1252";

class CodePage {
 public:
  // A name iconv does not know falls back on Windows-1252.
  explicit CodePage(std::string name = std::string(kDefaultCodePage));
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  const std::string& name() const { return name_; }

  std::string FromUtf8(std::string_view utf8) const;
  std::string ToUtf8(std::string_view single_byte) const;

 private:
  std::string Convert(iconv_t converter, std::string_view text, bool from_utf8) const;

  std::string name_;
  iconv_t from_utf8_;
  iconv_t to_utf8_;
  // Both directions keep their shift state: one conversion at a time.
  mutable std::mutex mutex_;
  // ASCII reads the same in the code page: plain texts skip iconv.
  bool ascii_compatible_ = false;
};

}  // namespace tarvelin

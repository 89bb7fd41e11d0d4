// The classification header of a message file, "X-AntiSpam-Status: " and
// 0 (genuine) or 1 (spam), read and set in a stream of blocks so that a
// message of any size passes through in bounded memory.
//
// Setting it drops every X-AntiSpam-Status header of the header block (the
// name in any letter case, its continuation lines with it) and appends the
// new one at the end of the header block, before the empty line that ends
// it; the body passes unchanged. A message without that empty line is all
// header block: the new header goes at its end (after a line end, added
// when its last line has none). The new line ends like the message's own
// header lines (CR LF, or a lone LF in a message written with those), so a
// message keeps one kind of line end; CR LF when there is no line at all.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

inline constexpr std::string_view kSpamStatusHeaderName = "X-AntiSpam-Status";

class SpamStatusHeaderFilter {
 public:
  // `status` is the value the message is given (0 or 1).
  explicit SpamStatusHeaderFilter(int status);

  // Takes the next bytes of the message; what the rewritten message holds
  // so far is appended to `out` (none when `out` is null: reading only).
  void Feed(std::string_view bytes, std::string* out);
  // Ends the message: what is still owed goes to `out`.
  void Finish(std::string* out);

  // True once the empty line ending the header block has been fed.
  bool header_block_ended() const { return state_ == State::kBody; }
  // The value of the first X-AntiSpam-Status header fed so far: nullopt
  // without one; -1 when its value is not a number.
  std::optional<long> first_status() const { return first_status_; }

 private:
  enum class State { kLineStart, kRestOfLine, kBody };

  void EndLineStart(bool line_complete, std::string* out);
  void Emit(std::string_view bytes, std::string* out);
  void EmitNewHeader(std::string* out);

  int status_;
  State state_ = State::kLineStart;
  // The first bytes of the current line, enough to tell what it is.
  std::string line_;
  bool dropping_ = false;      // the current header is a status header
  bool copying_rest_ = false;  // kRestOfLine: the line is kept
  char last_byte_ = 0;
  std::string line_end_ = "\r\n";  // of the last complete line; CR LF before one
  bool open_line_ = false;         // output ends inside a line
  std::optional<long> first_status_;
};

}  // namespace tarvelin

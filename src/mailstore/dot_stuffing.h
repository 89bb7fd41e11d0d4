// The dot-stuffing of the POP3 mailbox layout as stream filters over the
// blocks of one message: a line that begins with "." carries an extra ".".
// A line begins after a line feed; the first byte of a message starts no
// stuffed line, so it is never added or removed. The state that carries
// across blocks is whether the previous block ended with a line feed.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

// Adds a "." before every "." that directly follows a line feed.
class DotStuffer {
 public:
  // Appends the stuffed form of `block` to `out`.
  void Filter(std::string_view block, std::string* out);

 private:
  bool after_line_feed_ = false;
};

// Removes the "." that directly follows a line feed (one per line).
class DotUnstuffer {
 public:
  // Appends the unstuffed form of `block` to `out`.
  void Filter(std::string_view block, std::string* out);

 private:
  bool after_line_feed_ = false;
};

}  // namespace tarvelin

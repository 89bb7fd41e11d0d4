#include "mailstore/spam_status_header.h"

#include <charconv>

#include "foundation/text.h"

namespace tarvelin {

namespace {

// A status header is told from the start of its line: the name, optional
// blanks and ":".
constexpr size_t kLinePrefix = 128;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsStatusHeader(std::string_view line) {
  if (line.size() < kSpamStatusHeaderName.size() ||
      !EqualsNoCase(line.substr(0, kSpamStatusHeaderName.size()), kSpamStatusHeaderName)) {
    return false;
  }
  size_t at = kSpamStatusHeaderName.size();
  while (at < line.size() && IsBlank(line[at])) ++at;
  return at < line.size() && line[at] == ':';
}

long StatusValue(std::string_view line) {
  std::string_view value = line.substr(line.find(':') + 1);
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() &&
         (IsBlank(value.back()) || value.back() == '\r' || value.back() == '\n')) {
    value.remove_suffix(1);
  }
  long number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) return -1;
  return number;
}

}  // namespace

SpamStatusHeaderFilter::SpamStatusHeaderFilter(int status) : status_(status) {
  line_.reserve(kLinePrefix);
}

void SpamStatusHeaderFilter::Emit(std::string_view bytes, std::string* out) {
  if (out == nullptr || bytes.empty()) return;
  out->append(bytes);
  open_line_ = bytes.back() != '\n';
}

void SpamStatusHeaderFilter::EmitNewHeader(std::string* out) {
  if (out == nullptr) return;
  if (open_line_) out->append(line_end_);
  out->append(kSpamStatusHeaderName)
      .append(": ")
      .append(status_ == 1 ? "1" : "0")
      .append(line_end_);
  open_line_ = false;
}

void SpamStatusHeaderFilter::Feed(std::string_view bytes, std::string* out) {
  while (!bytes.empty()) {
    switch (state_) {
      case State::kBody:
        Emit(bytes, out);
        return;
      case State::kRestOfLine: {
        const size_t lf = bytes.find('\n');
        const size_t take = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (copying_rest_) Emit(bytes.substr(0, take), out);
        if (lf != std::string_view::npos) {
          const char before = lf > 0 ? bytes[lf - 1] : last_byte_;
          line_end_ = before == '\r' ? "\r\n" : "\n";
          state_ = State::kLineStart;
        }
        last_byte_ = bytes[take - 1];
        bytes.remove_prefix(take);
        break;
      }
      case State::kLineStart: {
        const size_t room = kLinePrefix - line_.size();
        const size_t lf = bytes.substr(0, room).find('\n');
        const size_t take = lf == std::string_view::npos ? std::min(room, bytes.size()) : lf + 1;
        line_.append(bytes.substr(0, take));
        last_byte_ = bytes[take - 1];
        bytes.remove_prefix(take);
        if (lf != std::string_view::npos) {
          EndLineStart(/*line_complete=*/true, out);
        } else if (line_.size() == kLinePrefix) {
          EndLineStart(/*line_complete=*/false, out);
        }
        break;
      }
    }
  }
}

void SpamStatusHeaderFilter::EndLineStart(bool line_complete, std::string* out) {
  if (line_complete) {
    line_end_ = line_.size() >= 2 && line_[line_.size() - 2] == '\r' ? "\r\n" : "\n";
  }
  if (line_complete && (line_ == "\n" || line_ == "\r\n")) {
    EmitNewHeader(out);
    Emit(line_, out);
    line_.clear();
    state_ = State::kBody;
    return;
  }
  if (!IsBlank(line_.front())) {
    dropping_ = IsStatusHeader(line_);
    if (dropping_ && !first_status_) first_status_ = StatusValue(line_);
  }
  if (!dropping_) Emit(line_, out);
  copying_rest_ = !dropping_;
  line_.clear();
  state_ = line_complete ? State::kLineStart : State::kRestOfLine;
}

void SpamStatusHeaderFilter::Finish(std::string* out) {
  if (state_ == State::kBody) return;
  if (state_ == State::kLineStart && line_ == "\r") {
    // An empty line cut before its LF: the header block ends there too, or
    // the line end added after it would make it one at the next rewrite.
    EmitNewHeader(out);
    Emit(line_, out);
    line_.clear();
    state_ = State::kBody;
    return;
  }
  if (state_ == State::kLineStart && !line_.empty()) EndLineStart(/*line_complete=*/false, out);
  EmitNewHeader(out);
  state_ = State::kBody;
}

}  // namespace tarvelin

#include "mailstore/dot_stuffing.h"

namespace tarvelin {

void DotStuffer::Filter(std::string_view block, std::string* out) {
  if (block.empty()) return;
  size_t pos = 0;
  if (after_line_feed_ && block[0] == '.') out->push_back('.');
  while (true) {
    const size_t line_feed = block.find('\n', pos);
    if (line_feed == std::string_view::npos) break;
    out->append(block.substr(pos, line_feed + 1 - pos));
    pos = line_feed + 1;
    if (pos < block.size() && block[pos] == '.') out->push_back('.');
  }
  out->append(block.substr(pos));
  after_line_feed_ = block.back() == '\n';
}

void DotUnstuffer::Filter(std::string_view block, std::string* out) {
  if (block.empty()) return;
  size_t pos = 0;
  if (after_line_feed_ && block[0] == '.') pos = 1;
  while (true) {
    const size_t line_feed = block.find('\n', pos);
    if (line_feed == std::string_view::npos) break;
    out->append(block.substr(pos, line_feed + 1 - pos));
    pos = line_feed + 1;
    if (pos < block.size() && block[pos] == '.') ++pos;
  }
  if (pos < block.size()) out->append(block.substr(pos));
  // A removed dot at the very end leaves the state "not after a line feed".
  after_line_feed_ = block.back() == '\n';
}

}  // namespace tarvelin

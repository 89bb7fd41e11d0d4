#include "mailstore/spam_status_header.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

std::string Rewritten(std::string_view message, int status, size_t chunk = 1 << 20) {
  SpamStatusHeaderFilter filter(status);
  std::string out;
  for (size_t at = 0; at < message.size(); at += chunk)
    filter.Feed(message.substr(at, chunk), &out);
  filter.Finish(&out);
  return out;
}

TEST(SpamStatusHeaderTest, SetsTheHeaderAtTheEndOfTheHeaderBlock) {
  const struct {
    const char* name;
    const char* message;
    int status;
    const char* rewritten;
  } cases[] = {
      {"unclassified", "From: a\r\nSubject: b\r\n\r\nbody\r\n", 1,
       "From: a\r\nSubject: b\r\nX-AntiSpam-Status: 1\r\n\r\nbody\r\n"},
      {"other value replaced", "X-AntiSpam-Status: 1\r\nFrom: a\r\n\r\nbody", 0,
       "From: a\r\nX-AntiSpam-Status: 0\r\n\r\nbody"},
      {"any letter case, every one, continuation lines too",
       "x-antispam-STATUS: 1\r\nFrom: a\r\nX-ANTISPAM-STATUS :\r\n\t1\r\n  more\r\nTo: c\r\n\r\nb",
       0, "From: a\r\nTo: c\r\nX-AntiSpam-Status: 0\r\n\r\nb"},
      {"a header that only begins like it stays", "X-AntiSpam-Status-Old: 1\r\n\r\n", 0,
       "X-AntiSpam-Status-Old: 1\r\nX-AntiSpam-Status: 0\r\n\r\n"},
      {"the body is not a header block", "From: a\r\n\r\nX-AntiSpam-Status: 1\r\n", 0,
       "From: a\r\nX-AntiSpam-Status: 0\r\n\r\nX-AntiSpam-Status: 1\r\n"},
      {"lone LF line ends stay lone", "From: a\nSubject: b\n\nline\n", 1,
       "From: a\nSubject: b\nX-AntiSpam-Status: 1\n\nline\n"},
      {"no empty line: all header block", "From: a\r\nSubject: b\r\n", 1,
       "From: a\r\nSubject: b\r\nX-AntiSpam-Status: 1\r\n"},
      {"no empty line, no final line end", "From: a\r\nSubject: b", 1,
       "From: a\r\nSubject: b\r\nX-AntiSpam-Status: 1\r\n"},
      {"a last status header without line end goes", "From: a\nX-AntiSpam-Status: 0", 1,
       "From: a\nX-AntiSpam-Status: 1\n"},
      {"empty message", "", 0, "X-AntiSpam-Status: 0\r\n"},
      {"an empty line cut before its LF ends the block", "From: a\r\n\r", 1,
       "From: a\r\nX-AntiSpam-Status: 1\r\n\r"},
      {"empty header block", "\r\nbody", 1, "X-AntiSpam-Status: 1\r\n\r\nbody"},
  };
  for (const auto& c : cases) {
    for (const size_t chunk : {size_t{1}, size_t{3}, size_t{1} << 20}) {
      EXPECT_EQ(Rewritten(c.message, c.status, chunk), c.rewritten)
          << c.name << ", chunk " << chunk;
    }
  }
}

TEST(SpamStatusHeaderTest, ReadsTheValueOfTheFirstStatusHeader) {
  const struct {
    const char* message;
    std::optional<long> status;
    bool ended;
  } cases[] = {
      {"From: a\r\nX-AntiSpam-Status: 1\r\nX-AntiSpam-Status: 0\r\n\r\n", 1, true},
      {"x-antispam-status:0 \r\n\r\n", 0, true},
      {"X-AntiSpam-Status: maybe\r\n\r\n", -1, true},
      {"X-AntiSpam-Status:\r\n\r\n", -1, true},
      {"From: a\r\n\r\nX-AntiSpam-Status: 1\r\n", std::nullopt, true},
      {"From: a\r\n", std::nullopt, false},
  };
  for (const auto& c : cases) {
    SpamStatusHeaderFilter filter(0);
    filter.Feed(c.message, nullptr);
    EXPECT_EQ(filter.first_status(), c.status) << c.message;
    EXPECT_EQ(filter.header_block_ended(), c.ended) << c.message;
  }
}

TEST(SpamStatusHeaderTest, EveryByteOfTheBodyAndOtherHeadersSurvives) {
  std::string body;
  for (int i = 0; i < 70000; ++i) body.push_back(static_cast<char>(i * 7 % 256));
  const std::string head(300, 'h');  // one header line longer than the line prefix
  const std::string message = "Subject: " + head + "\r\nX-AntiSpam-Status: 1\r\n\r\n" + body;
  const std::string out = Rewritten(message, 0, 4096);
  EXPECT_EQ(out, "Subject: " + head + "\r\nX-AntiSpam-Status: 0\r\n\r\n" + body);
  EXPECT_EQ(Rewritten(out, 0, 5000), out) << "setting the same value again changes nothing";
}

}  // namespace
}  // namespace tarvelin

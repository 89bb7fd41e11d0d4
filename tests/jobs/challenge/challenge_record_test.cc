// challenge.dat and the envelopes of held messages, as the mail engine
// writes them.
#include "jobs/challenge/challenge_record.h"

#include <gtest/gtest.h>

#include <string>

#include "jobs/challenge/held_envelope.h"

namespace tarvelin {
namespace {

TEST(ChallengeRecord, FourTextsAtTheirOffsets) {
  ChallengeRecord record;
  record.set_sender("ann@example.org");
  record.set_recipient("bob@example.com");
  record.set_code("ABCD 2EF3");
  record.set_ip_address("192.0.2.7");
  const std::string bytes = record.Bytes();
  ASSERT_EQ(bytes.size(), 1024u);
  EXPECT_EQ(bytes.substr(0, 16), "\x0f" "ann@example.org");
  EXPECT_EQ(bytes.substr(256, 16), "\x0f" "bob@example.com");
  EXPECT_EQ(bytes.substr(512, 10), "\x09" "ABCD 2EF3");
  EXPECT_EQ(bytes.substr(768, 10), "\x09" "192.0.2.7");
  EXPECT_EQ(bytes[16], '\0') << "unused bytes are zero";

  const ChallengeRecord back = ChallengeRecord::FromBytes(bytes);
  EXPECT_EQ(back.Bytes(), bytes);
  EXPECT_EQ(back.sender(), "ann@example.org");
  EXPECT_EQ(back.ip_address(), "192.0.2.7");
}

TEST(ChallengeRecord, ShortOrLongFilesAndOverlongTexts) {
  // A file cut inside the recipient: what is missing reads as zeros.
  ChallengeRecord full;
  full.set_sender("ann@example.org");
  full.set_recipient("bob@example.com");
  const ChallengeRecord cut = ChallengeRecord::FromBytes(full.Bytes().substr(0, 260));
  EXPECT_EQ(cut.sender(), "ann@example.org");
  EXPECT_EQ(cut.recipient(), "bob" + std::string(12, '\0'))
      << "the length byte promises more than is there";
  EXPECT_EQ(ChallengeRecord::FromBytes(full.Bytes() + "trailing").Bytes(), full.Bytes());

  ChallengeRecord record;
  record.set_sender(std::string(300, 's'));
  EXPECT_EQ(record.sender(), std::string(255, 's'));
  record.set_sender("x");
  EXPECT_EQ(record.Bytes().substr(0, 3), std::string("\x01x\0", 3)) << "an old longer text leaves no bytes";
}

TEST(HeldEnvelope, ThreeLinesOrWhatIsThere) {
  const struct {
    std::string text;
    std::string sender;
    std::vector<std::string> recipients;
  } cases[] = {
      {"ann@example.org\r\nbob@x.org;cy@x.org\r\n2\r\n", "ann@example.org", {"bob@x.org", "cy@x.org"}},
      {"ann@example.org\nbob@x.org;\n1\n", "ann@example.org", {"bob@x.org"}},
      {"ann@example.org\n ; bob@x.org ;;\n", "ann@example.org", {"bob@x.org"}},
      {"ann@example.org", "ann@example.org", {}},
      {"", "", {}},
  };
  for (const auto& c : cases) {
    const HeldEnvelope envelope = ParseHeldEnvelope(c.text);
    EXPECT_EQ(envelope.sender, c.sender) << c.text;
    EXPECT_EQ(envelope.recipients, c.recipients) << c.text;
  }
}

}  // namespace
}  // namespace tarvelin

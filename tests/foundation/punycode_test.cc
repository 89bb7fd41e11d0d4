#include "foundation/punycode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvelin {
namespace {

struct Sample {
  const char* name;
  std::u32string unicode;
  std::string punycode;
};

// RFC 3492, section 7.1, without its case annotations: basic letters keep
// their case, and every digit is written in lower case.
const std::vector<Sample>& RfcSamples() {
  static const std::vector<Sample> samples = {
      {"A Arabic",
       U"\u0644\u064A\u0647\u0645\u0627\u0628\u062A\u0643\u0644\u0645\u0648\u0634\u0639\u0631"
       U"\u0628\u064A\u061F",
       "egbpdaj6bu4bxfgehfvwxn"},
      {"B Chinese simplified", U"他们为什么不说中文", "ihqwcrb4cv8a8dqg056pqjye"},
      {"C Chinese traditional", U"他們爲什麽不說中文", "ihqwctvzc91f659drss3x8bo0yb"},
      {"D Czech", U"Pročprostěnemluvíčesky", "Proprostnemluvesky-uyb24dma41a"},
      {"E Hebrew", U"למההםפשוטלאמדבריםעברית", "4dbcagdahymbxekheh6e0a7fei0b"},
      {"F Hindi", U"यहलोगहिन्दीक्योंनहींबोलसकतेहैं",
       "i1baa7eci9glrd9b2ae1bj0hfcgg6iyaf8o0a1dig0cd"},
      {"G Japanese", U"なぜみんな日本語を話してくれないのか",
       "n8jok5ay5dzabd5bym9f0cm5685rrjetr6pdxa"},
      {"H Korean", U"세계의모든사람들이한국어를이해한다면얼마나좋을까",
       "989aomsvi5e83db1d2a355cv1e0vak1dwrv93d5xbh15a0dt30a5jpsd879ccm6fea98c"},
      {"I Russian", U"почемужеонинеговорятпорусски", "b1abfaaepdrnnbgefbadotcwatmq2g4l"},
      {"J Spanish", U"PorquénopuedensimplementehablarenEspañol",
       "PorqunopuedensimplementehablarenEspaol-fmd56a"},
      {"K Vietnamese", U"TạisaohọkhôngthểchỉnóitiếngViệt",
       "TisaohkhngthchnitingVit-kjcr8268qyxafd2f1b9g"},
      {"L", U"3年B組金八先生", "3B-ww4c5e180e575a65lsy2b"},
      {"M", U"安室奈美恵-with-SUPER-MONKEYS", "-with-SUPER-MONKEYS-pc58ag80a8qai00g7n9n"},
      {"N", U"Hello-Another-Way-それぞれの場所", "Hello-Another-Way--fc4qua05auwb3674vfr0b"},
      {"O", U"ひとつ屋根の下2", "2-u9tlzr9756bt3uc0v"},
      {"P", U"MajiでKoiする5秒前", "MajiKoi5-783gue6qz075azm5e"},
      {"Q", U"パフィーdeルンバ", "de-jg4avhby1noc0d"},
      {"R", U"そのスピードで", "d9juau41awczczp"},
      {"S", U"-> $1.00 <-", "-> $1.00 <--"},
  };
  return samples;
}

TEST(PunycodeTest, EncodesAndDecodesTheRfcSamples) {
  for (const Sample& sample : RfcSamples()) {
    std::string encoded;
    EXPECT_EQ(PunycodeEncode(sample.unicode, 256, encoded), PunycodeStatus::kSuccess)
        << sample.name;
    EXPECT_EQ(encoded, sample.punycode) << sample.name;
    std::u32string decoded;
    EXPECT_EQ(PunycodeDecode(sample.punycode, 256, decoded), PunycodeStatus::kSuccess)
        << sample.name;
    EXPECT_EQ(decoded, sample.unicode) << sample.name;
  }
}

TEST(PunycodeTest, DigitsReadInEitherCaseWhileBasicLettersKeepTheirs) {
  // The RFC's own form of sample I marks a case with a capital digit.
  std::u32string decoded;
  ASSERT_EQ(PunycodeDecode("b1abfaaepdrnnbgefbaDotcwatmq2g4l", 64, decoded),
            PunycodeStatus::kSuccess);
  EXPECT_EQ(decoded, U"почемужеонинеговорятпорусски");
  ASSERT_EQ(PunycodeDecode("BCHER-KVA", 64, decoded), PunycodeStatus::kSuccess);
  EXPECT_EQ(decoded, U"BüCHER");
  std::string encoded;
  ASSERT_EQ(PunycodeEncode(U"BÜCHER", 64, encoded), PunycodeStatus::kSuccess);
  EXPECT_EQ(encoded, "BCHER-2pa") << "no case folding: Ü is not ü";
}

TEST(PunycodeTest, RefusesWhatIsNoPunycode) {
  struct Case {
    std::string input;
    PunycodeStatus status;
  };
  const std::vector<Case> cases = {
      {"", PunycodeStatus::kEmptyInput},
      {"b\xC3\xBC-kva", PunycodeStatus::kBadInput},  // non-basic before the delimiter
      {"bcher-k_a", PunycodeStatus::kBadInput},      // no digit
      {"bcher-k\xFF", PunycodeStatus::kBadInput},
      {"-", PunycodeStatus::kBadInput},  // a delimiter at 0 is read as a digit
      {"bcher-99", PunycodeStatus::kBadInput},  // ends inside a number
      {"9999999", PunycodeStatus::kBadInput},
      {"99999999", PunycodeStatus::kOverflow},  // the weight passes 32 bits
      {std::string("a\0b-", 4), PunycodeStatus::kSuccess},  // NUL is basic
  };
  for (const Case& c : cases) {
    std::u32string decoded = U"kept?";
    EXPECT_EQ(PunycodeDecode(c.input, 64, decoded), c.status) << c.input;
    if (c.status != PunycodeStatus::kSuccess) {
      EXPECT_EQ(decoded, U"") << c.input;
    }
  }
}

TEST(PunycodeTest, StopsAtTheOutputLimit) {
  std::string encoded;
  EXPECT_EQ(PunycodeEncode(U"bücher", 8, encoded), PunycodeStatus::kBigOutput);
  EXPECT_EQ(encoded, "");
  EXPECT_EQ(PunycodeEncode(U"bücher", 9, encoded), PunycodeStatus::kSuccess);
  EXPECT_EQ(encoded, "bcher-kva");
  // The basics keep room for the delimiter and a digit.
  EXPECT_EQ(PunycodeEncode(U"ab", 2, encoded), PunycodeStatus::kBigOutput);
  EXPECT_EQ(PunycodeEncode(U"\uFFFF", 4, encoded), PunycodeStatus::kSuccess);
  EXPECT_EQ(encoded, "1n7c");
  EXPECT_EQ(PunycodeEncode(U"\uFFFF", 3, encoded), PunycodeStatus::kBigOutput);

  std::u32string decoded;
  EXPECT_EQ(PunycodeDecode("bcher-kva", 6, decoded), PunycodeStatus::kSuccess);
  EXPECT_EQ(PunycodeDecode("bcher-kva", 5, decoded), PunycodeStatus::kBigOutput);
  EXPECT_EQ(PunycodeDecode("bcher-kva", 4, decoded), PunycodeStatus::kBigOutput)
      << "the basics alone do not fit";
  EXPECT_EQ(decoded, U"");
}

TEST(PunycodeTest, HighCodePointsRoundTripAndLongLabelsOverflow) {
  for (const std::u32string& input :
       {std::u32string(U"\U0010FFFF"), std::u32string(U"a\U0010FFFFb\uFFFF\u0080"),
        std::u32string(U"\xD83D\xDE00")}) {
    std::string encoded;
    ASSERT_EQ(PunycodeEncode(input, 64, encoded), PunycodeStatus::kSuccess);
    std::u32string decoded;
    ASSERT_EQ(PunycodeDecode(encoded, 64, decoded), PunycodeStatus::kSuccess) << encoded;
    EXPECT_EQ(decoded, input) << encoded;
  }
  // delta grows by (0xFFFF - 128) for each of 70000 handled points.
  std::u32string long_label(70000, U'a');
  long_label += U'\uFFFF';
  std::string encoded;
  EXPECT_EQ(PunycodeEncode(long_label, long_label.size() * 4, encoded), PunycodeStatus::kOverflow);
}

}  // namespace
}  // namespace tarvelin

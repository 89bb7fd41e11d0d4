#include "jobs/idn/idn_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "jobs/idn/idn_text_forms.h"
#include "jobs/idn/lenient_utf8.h"

namespace tarvelin {
namespace {

struct Case {
  std::u16string input;
  std::u16string output;
};

TEST(IdnNamesTest, ToUnicodeDecodesOnlyLowerCasePrefixedLabels) {
  const std::vector<Case> cases = {
      {u"example.com", u"example.com"},
      {u"example.com.", u"example.com."},  // no "xn--": the dot stays
      {u"xn--bcher-kva.example.com", u"bücher.example.com"},
      {u"www.xn--bcher-kva.de.", u"www.bücher.de"},  // a final dot goes
      {u"XN--bcher-kva.xn--bcher-kva", u"XN--bcher-kva.bücher"},
      {u"Xn--bcher-kva.xn--Bcher-kva", u"Xn--bcher-kva.Bücher"},
      {u"xn--", u""},
      {u"xn--.xn--", u"."},
      {u"a..xn--bcher-kva", u"a..bücher"},  // empty labels stay
      {u".xn--bcher-kva", u".bücher"},
      {u"...xn--bcher-kva...", u"...bücher.."},
      {u"xn--bcher-k_a.example", u".example"},   // bad digit
      {u"xn--99999999.example", u".example"},    // overflow
      {u"xn--bcher-kvä.example", u".example"},    // a non-ASCII unit
      {u"axn--bcher-kva", u"axn--bcher-kva"},    // prefix not at the start
      {u"xn--ls8h", u"\uF4A9"},  // U+1F4A9 keeps its low 16 bits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IdnToUnicode(c.input).name, c.output);
  }
}

TEST(IdnNamesTest, ToAsciiEncodesLabelsWithWideUnitsKeepingCase) {
  const std::vector<Case> cases = {
      {u"Example.COM.", u"Example.COM."},
      {u"bücher.Example.COM", u"xn--bcher-kva.Example.COM"},
      {u"Bücher.de", u"xn--Bcher-kva.de"},
      {u"BÜCHER.de", u"xn--BCHER-2pa.de"},  // not lower-cased
      {u"bücher.de.", u"xn--bcher-kva.de."},
      {u"a..bücher.", u"a..xn--bcher-kva."},
      {u"ü", u"xn--tda"},
      {u"\uFFFF", u"xn--1n7c"},
      {u"\xD83D\xDE00.x", u"xn--8c9bk9h.x"},  // a surrogate pair is two units
      {u"xn--bcher-kva.ü", u"xn--bcher-kva.xn--tda"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnicodeToIdn(c.input).name, c.output);
  }
}

TEST(IdnNamesTest, FailedLabelsAreToldWithWhy) {
  const IdnResult decoded = IdnToUnicode(u"ok.xn--.xn--bcher-kva.xn--bcher-k_a");
  EXPECT_EQ(decoded.name, u"ok..bücher.");
  ASSERT_EQ(decoded.failed.size(), 2u);
  EXPECT_EQ(decoded.failed[0].position, 1u);
  EXPECT_EQ(decoded.failed[0].status, PunycodeStatus::kEmptyInput);
  EXPECT_EQ(decoded.failed[1].position, 3u);
  EXPECT_EQ(decoded.failed[1].label, u"xn--bcher-k_a");
  EXPECT_EQ(decoded.failed[1].status, PunycodeStatus::kBadInput);

  // 70000 ASCII letters before one high unit overflow the encoder.
  std::u16string long_label(70000, u'a');
  long_label += u'\uFFFF';
  const IdnResult encoded = UnicodeToIdn(u"ü." + long_label + u".ö");
  EXPECT_EQ(encoded.name, u"xn--tda.xn--.xn--nda");
  ASSERT_EQ(encoded.failed.size(), 1u);
  EXPECT_EQ(encoded.failed[0].position, 1u);
  EXPECT_EQ(encoded.failed[0].status, PunycodeStatus::kOverflow);
}

TEST(IdnNamesTest, EncodedLabelsDecodeBack) {
  for (const std::u16string name :
       {u"bücher.de", u"Pročprostěnemluvíčesky.cz", u"\xD83D\xDE00\u00e9.x", u"\uFFFF\u0080"}) {
    const IdnResult ascii = UnicodeToIdn(name);
    ASSERT_TRUE(ascii.failed.empty());
    EXPECT_EQ(IdnToUnicode(ascii.name).name, name);
  }
}

TEST(LenientUtf8Test, ReadsEveryByteSequenceWithoutRefusing) {
  struct Bytes {
    std::string bytes;
    std::u16string units;
  };
  const std::vector<Bytes> cases = {
      {"abc", u"abc"},
      {"b\xC3\xBC" "cher", u"bücher"},
      {"\xE2\x82\xAC", u"€"},
      {"\xEF\xBF\xBF", u"\uFFFF"},
      {"\xC3\x41", u"\u00C1"},        // the trail's high bits are not looked at
      {"\xC0\x80", std::u16string(1, u'\0')},  // overlong: what the bits say
      {"\x80\x80", std::u16string(1, u'\0')},  // bit 5 clear: two bytes
      {"\xF0\x9F\x98\x80", u"\u07D8"},  // bit 5 set: three bytes; the last is cut off
      {"a\xE2\x82", u"a"},                 // cut off: the reading ends
      {"a\xC3", u"a"},
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const Bytes& c : cases) {
    EXPECT_EQ(ReadLenientUtf8(c.bytes), c.units) << c.bytes;
  }
  EXPECT_EQ(WriteUtf8Units(u"aü€\uFFFF"), "a\xC3\xBC\xE2\x82\xAC\xEF\xBF\xBF");
  EXPECT_EQ(WriteUtf8Units(u"\xD83D\xDE00"), "\xED\xA0\xBD\xED\xB8\x80") << "unit by unit";
}

// What the automation members see: 8-bit texts in the system code page.
TEST(IdnTextFormsTest, UnicodeGoesOutAsUtf8BytesAndComesInAsThem) {
  const CodePage windows1252;
  EXPECT_EQ(IdnToUtf8Bytes(windows1252, "xn--bcher-kva.de"), "b\xC3\xBC" "cher.de");
  EXPECT_EQ(IdnToUtf8Bytes(windows1252, "example.com."), "example.com.");
  // No "xn--": the code page's ü (0xFC) comes out as its UTF-8 bytes.
  EXPECT_EQ(IdnToUtf8Bytes(windows1252, "b\xFC" "cher.de"), "b\xC3\xBC" "cher.de");
  EXPECT_EQ(IdnToUtf8Bytes(windows1252, "\x80.xn--tda"), "\xE2\x82\xAC.\xC3\xBC");

  EXPECT_EQ(Utf8BytesToIdn("b\xC3\xBC" "cher.de."), "xn--bcher-kva.de.");
  EXPECT_EQ(Utf8BytesToIdn("Example.com"), "Example.com");
  // Bytes that read as ASCII units come back as they were given.
  EXPECT_EQ(Utf8BytesToIdn("a\xC1\x81.b\xC3"), "a\xC1\x81.b\xC3");
  EXPECT_EQ(Utf8BytesToIdn(""), "");
}

}  // namespace
}  // namespace tarvelin

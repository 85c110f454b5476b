#include <gtest/gtest.h>
#include <iconv.h>

#include "text/ascii.h"
#include "text/cp1250.h"
#include "text/number_text.h"

using namespace vestok;

TEST(Cp1250, EveryByteMatchesTheSystemConverter) {
  iconv_t cd = iconv_open("UTF-16LE", "CP1250");
  ASSERT_NE(cd, iconv_t(-1));
  int compared = 0;
  for (int b = 0; b < 256; ++b) {
    char in = char(b);
    unsigned char out[4] = {};
    char* inp = &in;
    char* outp = reinterpret_cast<char*>(out);
    std::size_t inleft = 1, outleft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inleft, &outp, &outleft) == std::size_t(-1)) {
      // Undefined in the code page: kept as the C1 control of the same value.
      EXPECT_EQ(Cp1250ToUnicode(static_cast<unsigned char>(b)), char16_t(b)) << b;
      continue;
    }
    const char16_t expected = char16_t(out[0] | (out[1] << 8));
    EXPECT_EQ(Cp1250ToUnicode(static_cast<unsigned char>(b)), expected) << b;
    EXPECT_EQ(static_cast<unsigned char>(UnicodeToCp1250(expected)), b) << b;
    ++compared;
  }
  iconv_close(cd);
  EXPECT_GE(compared, 251);
}

TEST(Cp1250, CommaBelowLettersBecomeCedillaLettersAndOthersAQuestionMark) {
  EXPECT_EQ(Utf16ToCp1250(u"\u0218\u0219\u021A\u021B"), "\xAA\xBA\xDE\xFE");
  EXPECT_EQ(Utf16ToCp1250(u"Paine \u0103\u00EE\u00E2"), "Paine \xE3\xEE\xE2");
  EXPECT_EQ(Utf16ToCp1250(u"\u4E2D\U0001F600x"), "??x");
  EXPECT_EQ(Cp1250ToUtf16("\xAA\xE3"), u"\u015E\u0103");
}

TEST(Ascii, UpperCasingTouchesOnlyAToZ) {
  EXPECT_EQ(AsciiUpper("w0;cola \xE3z{}`"), "W0;COLA \xE3Z{}`");
  EXPECT_TRUE(AsciiIEquals("Communication", "COMMUNICATION"));
  EXPECT_FALSE(AsciiIEquals("\xE3", "\xC3"));
}

TEST(NumberText, IntegerForms) {
  EXPECT_EQ(ParseInt32("-17"), -17);
  EXPECT_EQ(ParseInt32("+17"), 17);
  EXPECT_EQ(ParseInt32("$ff"), 255);
  EXPECT_EQ(ParseInt32("0X7FFFFFFF"), 2147483647);
  EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
  EXPECT_FALSE(ParseInt32("2147483648"));
  EXPECT_FALSE(ParseInt32("0x80000000"));
  EXPECT_FALSE(ParseInt32(""));
  EXPECT_FALSE(ParseInt32("-"));
  EXPECT_FALSE(ParseInt32("+-1"));
  EXPECT_FALSE(ParseInt32("-$1"));
  EXPECT_FALSE(ParseInt32("1.0"));
  EXPECT_FALSE(ParseInt32("0x"));
  EXPECT_FALSE(ParseInt32(" 1"));
}

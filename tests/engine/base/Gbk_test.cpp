#include "engine/base/Gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace tervane {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";
// 山顶 (summit) in GBK, and a character outside GBK in its four-byte form.
const std::string kSummitGbk = "\xC9\xBD\xB6\xA5";
const std::string kGrinGb18030 = "\x94\x39\xFC\x36";

TEST(Gbk, ConvertsBothWays)
{
    EXPECT_EQ(utf8ToGbk("山顶"), kSummitGbk);
    EXPECT_EQ(gbkToUtf8(kSummitGbk), "山顶");
    EXPECT_EQ(utf8ToGbk("鞍部 well 12"), "\xB0\xB0\xB2\xBF well 12");
    EXPECT_EQ(gbkToUtf8("plain ASCII  "), "plain ASCII  ");
    EXPECT_EQ(gbkToUtf8(""), "");
}

TEST(Gbk, KeepsCharactersOutsideGbkInFourBytes)
{
    EXPECT_EQ(utf8ToGbk("\xF0\x9F\x98\x80"), kGrinGb18030);
    EXPECT_EQ(gbkToUtf8(kGrinGb18030), "\xF0\x9F\x98\x80");
}

TEST(Gbk, InvalidBytesBecomeReplacementAndConversionGoesOn)
{
    // A lead byte followed by a blank: the blank survives.
    EXPECT_EQ(gbkToUtf8("\x81 A"), kReplacement + " A");
    EXPECT_EQ(gbkToUtf8("a\xFF" + kSummitGbk), "a" + kReplacement + "山顶");
    EXPECT_EQ(gbkToUtf8("\x80"), kReplacement);
    // A character cut at the end of the text.
    EXPECT_EQ(gbkToUtf8("AB\xC9"), "AB" + kReplacement);
    // Invalid UTF-8 has no character to keep.
    EXPECT_EQ(utf8ToGbk("x\xFFy"), "x?y");
}

TEST(FitGbkField, PadsAndCutsByBytes)
{
    EXPECT_EQ(fitGbkField("12.5", 15), "12.5           ");
    EXPECT_EQ(fitGbkField("", 3), "   ");
    EXPECT_EQ(fitGbkField("123456789012345678", 15), "123456789012345");
    EXPECT_EQ(fitGbkField("ab" + kSummitGbk, 6), "ab" + kSummitGbk);
}

TEST(FitGbkField, NeverCutsInsideACharacter)
{
    const std::string note = "ab" + kSummitGbk;  // a b 山 顶: 1 1 2 2 bytes
    EXPECT_EQ(fitGbkField(note, 3), "ab ");
    EXPECT_EQ(fitGbkField(note, 4), "ab\xC9\xBD");
    EXPECT_EQ(fitGbkField(note, 5), "ab\xC9\xBD ");
    // A four-byte character is kept whole or left out.
    const std::string grin = "a" + kGrinGb18030 + "b";
    EXPECT_EQ(fitGbkField(grin, 4), "a   ");
    EXPECT_EQ(fitGbkField(grin, 5), "a" + kGrinGb18030);
    EXPECT_EQ(fitGbkField(grin, 6), grin);
}

TEST(FitGbkField, StrayBytesCountAsOne)
{
    // A lead byte that no trail byte follows is one (invalid) byte, so the
    // blank after it is not swallowed.
    EXPECT_EQ(fitGbkField("\x81 xyz", 3), "\x81 x");
    EXPECT_EQ(fitGbkField("ab\xC9", 3), "ab\xC9");
}

} // namespace
} // namespace tervane

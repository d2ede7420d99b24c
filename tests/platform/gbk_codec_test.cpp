#include <gtest/gtest.h>

#include "platform/gbk_codec.h"

using platform::gbkToUtf8;
using platform::utf8ToGbk;

TEST(GbkCodec, ConvertsBothWaysAndReplacesWhatCannotBeConverted)
{
    EXPECT_EQ(utf8ToGbk("abc"), "abc");
    EXPECT_EQ(utf8ToGbk("张三"), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(gbkToUtf8("\xD5\xC5\xC8\xFD"), "张三");
    EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x98\x80z"), "a?z") << "an emoji has no GBK form";
    EXPECT_EQ(gbkToUtf8("a\xFFz"), "a?z");
    EXPECT_EQ(gbkToUtf8("ab\xD5"), "ab?") << "a cut double-byte character";
    EXPECT_EQ(utf8ToGbk(""), "");
}

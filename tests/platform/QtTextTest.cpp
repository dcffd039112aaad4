#include "platform/QtText.h"

#include <gtest/gtest.h>

TEST(TextConversion, Utf8RoundTripsThroughQString)
{
    const std::string bytes = "caf\xc3\xa9 \xe2\x82\xac";
    const QString text = platform::ToQString(bytes);
    EXPECT_EQ(text.size(), 6);
    EXPECT_EQ(platform::ToBytes(text), bytes);
}

// Reading the layout ratio of a dialog from its string-file text (both platforms).
#include <gtest/gtest.h>

#include "ui/layout_scaling.h"

TEST(LayoutRatio, ReadsLikeAtof)
{
    EXPECT_DOUBLE_EQ(1.5, ReadRatioText("1.5"));
    EXPECT_DOUBLE_EQ(1.5, ReadRatioText("1.5abc"));
    EXPECT_DOUBLE_EQ(1.25, ReadRatioText("  \t+1.25 2"));
    EXPECT_DOUBLE_EQ(-2.0, ReadRatioText("-2"));
    EXPECT_DOUBLE_EQ(20.0, ReadRatioText("2e1x"));
    EXPECT_DOUBLE_EQ(0.5, ReadRatioText(".5"));
    EXPECT_DOUBLE_EQ(0.0, ReadRatioText("abc"));
    EXPECT_DOUBLE_EQ(0.0, ReadRatioText(""));
    EXPECT_DOUBLE_EQ(0.0, ReadRatioText(nullptr));
}

TEST(LayoutRatio, OnlyAPositiveFiniteValueScales)
{
    EXPECT_DOUBLE_EQ(1.5, LayoutFactorOf("1.5abc"));
    EXPECT_DOUBLE_EQ(0.75, LayoutFactorOf("0.75"));
    for (const char* bad : {"", "abc", "0", "-1.5", "0.0", "inf", "nan", "1e999"})
        EXPECT_DOUBLE_EQ(1.0, LayoutFactorOf(bad)) << bad;
    EXPECT_DOUBLE_EQ(1.0, LayoutFactorOf(nullptr));
}

#include "SortCode.h"

#include <gtest/gtest.h>

namespace {

TEST(SortCode, AClickOnTheSortedColumnFlipsItsDirectionAndAnotherColumnStartsAfresh) {
    EXPECT_EQ(SortCode::AfterColumnClick(0, 0), 128);
    EXPECT_EQ(SortCode::AfterColumnClick(128, 0), 0);
    EXPECT_EQ(SortCode::AfterColumnClick(0, 4), 4);
    EXPECT_EQ(SortCode::AfterColumnClick(4, 4), 132);
    EXPECT_EQ(SortCode::AfterColumnClick(132, 2), 2);
    EXPECT_EQ(SortCode::Column(131), 3);
    EXPECT_TRUE(SortCode::IsReversed(131));
    EXPECT_FALSE(SortCode::IsReversed(3));
}

} // namespace
